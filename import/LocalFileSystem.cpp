#include "import/LocalFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "import/RegularFile.h"

namespace kalvor {
namespace fs = std::filesystem;

namespace {

// Kernel interfaces, memory file systems and container layers: nothing a user
// would pick a file from. Removable media, disks and network shares stay.
constexpr std::array<std::string_view, 30> kPseudoTypes{
    "proc",      "sysfs",      "tmpfs",       "devtmpfs",        "devpts",     "cgroup",
    "cgroup2",   "securityfs", "debugfs",     "tracefs",         "pstore",     "bpf",
    "mqueue",    "hugetlbfs",  "configfs",    "fusectl",         "autofs",     "binfmt_misc",
    "efivarfs",  "rpc_pipefs", "nsfs",        "overlay",         "squashfs",   "ramfs",
    "selinuxfs", "nfsd",       "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs", "none",
};

constexpr std::array<std::string_view, 3> kSystemTrees{"/proc", "/sys", "/dev"};

bool isBelow(std::string_view path, std::string_view tree) {
    return path == tree || (path.starts_with(tree) && path.size() > tree.size() && path[tree.size()] == '/');
}

// The mount table writes blanks, tabs, newlines and backslashes as octal escapes.
std::string unescapeMountPath(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '7'; })) {
                out.push_back(
                    static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

FileSystem::Other otherKind(mode_t mode) {
    if (S_ISFIFO(mode)) return FileSystem::Other::Fifo;
    if (S_ISSOCK(mode)) return FileSystem::Other::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileSystem::Other::Device;
    return FileSystem::Other::Unknown;
}

FileSystem::Other lookupFailure(int error) {
    switch (error) {
    case ELOOP: return FileSystem::Other::LinkLoop;
    case ENOENT: return FileSystem::Other::DanglingLink;
    case EACCES: return FileSystem::Other::NoPermission;
    default: return FileSystem::Other::Unreadable;
    }
}

mode_t typeMode(unsigned char type) {
    switch (type) {
    case DT_REG: return S_IFREG;
    case DT_DIR: return S_IFDIR;
    case DT_FIFO: return S_IFIFO;
    case DT_SOCK: return S_IFSOCK;
    case DT_CHR: return S_IFCHR;
    case DT_BLK: return S_IFBLK;
    default: return 0;
    }
}

// Everything of a directory in one read; nothing when the directory cannot be
// read. readdir's own type saves a look-up per name; only names whose type it
// leaves open (symbolic links, some file systems) are looked up, following links.
std::optional<FileSystem::Listing> listDirectory(const std::string& dir) {
    DIR* stream = ::opendir(dir.c_str());
    if (!stream) return std::nullopt;
    FileSystem::Listing listing;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (!entry) {
            // A read error midway keeps what could be read.
            listing.complete = errno == 0;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        mode_t mode = typeMode(entry->d_type);
        if (mode == 0) {
            struct stat st {};
            if (::fstatat(::dirfd(stream), entry->d_name, &st, 0) != 0) {
                listing.others.push_back({std::string(name), lookupFailure(errno)});
                continue;
            }
            mode = st.st_mode;
            if (S_ISREG(mode) && entry->d_type == DT_LNK) listing.linkedFiles.push_back({st.st_dev, st.st_ino});
        }
        if (S_ISDIR(mode)) listing.subdirectories.emplace_back(name);
        else if (S_ISREG(mode)) listing.files.emplace_back(name);
        else listing.others.push_back({std::string(name), otherKind(mode)});
    }
    ::closedir(stream);
    return listing;
}

}  // namespace

std::vector<std::string> userMountPoints(std::istream& mountTable) {
    std::vector<std::string> points;
    std::string line;
    while (std::getline(mountTable, line)) {
        std::istringstream fields(line);
        std::string source, target, type;
        if (!(fields >> source >> target >> type)) continue;
        if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end()) continue;
        std::string point = unescapeMountPath(target);
        if (point.empty() || point.front() != '/' || point == "/") continue;
        if (std::any_of(kSystemTrees.begin(), kSystemTrees.end(),
                        [&](std::string_view tree) { return isBelow(point, tree); }))
            continue;
        if (std::find(points.begin(), points.end(), point) == points.end()) points.push_back(std::move(point));
    }
    return points;
}

std::vector<std::string> LocalFileSystem::drives() {
    std::vector<std::string> result{"/"};
    std::ifstream table("/proc/self/mounts");
    if (!table) return result;
    // The mounts themselves are not touched (no stat): one that hangs, a network
    // share gone away, must not hold up the window. A mount that is no directory
    // (a container binds single files such as /etc/hosts) fails when picked, and
    // the panel passes over it.
    for (std::string& point : userMountPoints(table)) result.push_back(std::move(point));
    std::sort(result.begin() + 1, result.end());
    return result;
}

std::optional<std::vector<std::string>> LocalFileSystem::subdirectories(const std::string& dir) {
    auto listing = listDirectory(dir);
    if (!listing) return std::nullopt;
    return std::move(listing->subdirectories);
}

std::optional<std::vector<std::string>> LocalFileSystem::files(const std::string& dir) {
    auto listing = listDirectory(dir);
    if (!listing) return std::nullopt;
    return std::move(listing->files);
}

std::optional<FileSystem::Listing> LocalFileSystem::list(const std::string& dir) { return listDirectory(dir); }

OpenedFile LocalFileSystem::open(const std::string& path) { return openRegularFile(path); }

std::string LocalFileSystem::currentDirectory() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string("/") : cwd.native();
}

}  // namespace kalvor
