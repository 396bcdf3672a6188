#include "report/ChartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/TextEncoding.h"
#include "report/CsvText.h"

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
        out.append(cleanText(character) == character ? character : "_");
        i += length;
    }
    if (out.empty()) return "diagramm";
    if (out.front() == '.' || out.front() == '-') out.front() = '_';
    return out;
}

std::string_view writeReason(int error) {
    switch (error) {
        case ENOSPC: return "Datenträger voll";
        case EDQUOT: return "Kontingent erschöpft";
        case EFBIG: return "Datei zu groß";
        case EACCES:
        case EPERM: return "keine Berechtigung";
        case EROFS: return "nur lesbares Dateisystem";
        default: return "Schreibfehler";
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::atomic<unsigned> scratchNumber{0};

std::string decimal(long long n) {
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

}  // namespace

std::string chartName(const std::string& absolutePath) {
    const std::filesystem::path path = std::filesystem::path(absolutePath).lexically_normal();
    char hex[16];
    const std::uint64_t hash = fnv1a(path.native());
    for (int i = 0; i < 16; ++i) hex[i] = "0123456789abcdef"[(hash >> (60 - 4 * i)) & 0xF];
    return safeStem(path.stem().native()) + "-" + std::string(hex, sizeof hex) + ".png";
}

std::unique_ptr<ChartFolder> ChartFolder::open(const std::string& path, std::vector<FileId> inputs) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<ChartFolder>(new ChartFolder(fd, std::move(inputs)));
}

ChartFolder::~ChartFolder() { ::close(fd_); }

std::string ChartFolder::write(const std::string& name, std::string_view png) const {
    // A hidden name of its own, which no directory argument stands for.
    std::string scratch;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        scratch = "." + name + "." + decimal(::getpid()) + "-" + decimal(scratchNumber.fetch_add(1)) + ".tmp";
        fd = ::openat(fd_, scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST) return std::string(writeReason(errno));
    }
    if (fd < 0) return std::string(writeReason(EEXIST));
    const bool written = writeAll(fd, png);
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && written) error = errno;
    std::string reason;
    if (error != 0) reason = writeReason(error);
    // The name is replaced only where it holds a plain file this run does not read.
    // renameat never follows a link at the name, so a link or FIFO put there after
    // this look is replaced itself, and no file behind it is touched.
    struct stat st {};
    if (reason.empty() && ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode)) reason = "eine symbolische Verknüpfung steht an seiner Stelle";
        else if (!S_ISREG(st.st_mode)) reason = "an seiner Stelle steht keine normale Datei";
        else if (std::binary_search(inputs_.begin(), inputs_.end(), FileId{st.st_dev, st.st_ino}))
            reason = "an seiner Stelle steht eine Datei, die diese Auswertung liest";
    } else if (reason.empty() && errno != ENOENT) {
        reason = writeReason(errno);
    }
    if (reason.empty() && ::renameat(fd_, scratch.c_str(), fd_, name.c_str()) != 0) reason = writeReason(errno);
    if (!reason.empty()) ::unlinkat(fd_, scratch.c_str(), 0);
    return reason;
}

}  // namespace kalvor
