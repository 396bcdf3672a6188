#include "export/ChartFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/TextEncoding.h"
#include "export/Csv.h"

namespace kalvor {
namespace {

// Room for the hash, "-" and ".png" within the 255 bytes of a file name.
constexpr std::size_t kMostStemBytes = 200;

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

// Only characters that are shown alike everywhere; the cut never splits one.
std::string safeStem(std::string_view stem) {
    std::string out;
    for (std::size_t i = 0; i < stem.size();) {
        const std::size_t length = characterLength(stem, i);
        const std::string_view character = stem.substr(i, length);
        if (out.size() + length > kMostStemBytes) break;
        out.append(cleanText(character, kCsvCleaning) == character ? character : "_");
        i += length;
    }
    if (out.empty()) return "diagramm";
    if (out.front() == '.' || out.front() == '-') out.front() = '_';
    return out;
}

}  // namespace

std::string chartName(const std::string& absolutePath) {
    const std::filesystem::path path = std::filesystem::path(absolutePath).lexically_normal();
    char hex[16];
    const std::uint64_t hash = fnv1a(path.native());
    for (int i = 0; i < 16; ++i) hex[i] = "0123456789abcdef"[(hash >> (60 - 4 * i)) & 0xF];
    return safeStem(path.stem().native()) + "-" + std::string(hex, sizeof hex) + ".png";
}

std::unique_ptr<ChartFolder> ChartFolder::open(const std::string& path, const OutputGuard& guard) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<ChartFolder>(new ChartFolder(fd, guard));
}

ChartFolder::~ChartFolder() { ::close(fd_); }

// A picture from an earlier run that is this one byte for byte: writing it again
// would cost a new file and a rename over the old one, which the file system may
// flush to the disk at once.
bool ChartFolder::alreadyThere(const std::string& name, std::string_view png) const {
    struct stat named {};
    if (::fstatat(fd_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
        static_cast<std::size_t>(named.st_size) != png.size() || guard_.isProtected({named.st_dev, named.st_ino}))
        return false;
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened {};
    bool same = ::fstat(fd, &opened) == 0 && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    // One byte more than the picture, to see a file that has grown since.
    std::string bytes(png.size() + 1, '\0');
    std::size_t got = 0;
    while (same && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return same && got == png.size() && std::string_view(bytes).substr(0, got) == png;
}

std::string ChartFolder::write(const std::string& name, std::string_view png) const {
    if (alreadyThere(name, png)) return {};
    OutputFile file(fd_, name, guard_);
    file.write(png);
    return file.commit();
}

}  // namespace kalvor
