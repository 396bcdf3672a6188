#include "import/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <system_error>

namespace kalvor {
namespace {

FileError errorOf(int number) {
    switch (number) {
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case EACCES:
    case EPERM: return FileError::NoPermission;
    case EISDIR:
    case ENXIO:  // a socket, or a device without its driver
    case ENODEV: return FileError::NotPlainFile;
    default: return FileError::ReadFailed;
    }
}

// A descriptor of a plain file, or -1 with error set. Opening does not wait for a
// FIFO's writer or a device; once the descriptor is known to be a plain file, reads
// may block as any file read does.
int openPlain(const std::string& path, off_t& size, FileError& error, FileId* id = nullptr) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errorOf(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errorOf(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = FileError::NotPlainFile;
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
            size = st.st_size;
            if (id) *id = {st.st_dev, st.st_ino};
            return fd;
        }
        error = FileError::ReadFailed;
    }
    ::close(fd);
    return -1;
}

ssize_t readSome(int fd, char* into, std::size_t count) {
    ssize_t n = 0;
    do n = ::read(fd, into, count);
    while (n < 0 && errno == EINTR);
    return n;
}

// Owns the descriptor; a failed read throws, which the stream turns into badbit.
class DescriptorBuffer final : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd) {}
    ~DescriptorBuffer() override { ::close(fd_); }
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        const ssize_t n = readSome(fd_, bytes_, sizeof bytes_);
        if (n < 0) throw std::system_error(errno, std::generic_category(), "read");
        if (n == 0) return traits_type::eof();
        setg(bytes_, bytes_, bytes_ + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    int fd_;
    char bytes_[64 * 1024];
};

class DescriptorStream final : public std::istream {
public:
    explicit DescriptorStream(int fd) : std::istream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

private:
    DescriptorBuffer buffer_;
};

}  // namespace

OpenedFile openRegularFile(const std::string& path) {
    off_t size = 0;
    OpenedFile opened;
    const int fd = openPlain(path, size, opened.error, &opened.id);
    if (fd < 0) return opened;
    opened.stream = std::make_unique<DescriptorStream>(fd);
    opened.size = static_cast<std::uint64_t>(size);
    return opened;
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes) {
    off_t size = 0;
    FileError error = FileError::None;
    const int fd = openPlain(path, size, error);
    if (fd < 0) return std::nullopt;
    std::string content;
    bool whole = static_cast<unsigned long long>(size) <= maxBytes;
    if (whole) {
        content.reserve(static_cast<std::size_t>(size));
        // Read to the end: the file may have grown, also past the bound, since fstat.
        char chunk[16 * 1024];
        for (;;) {
            const ssize_t n = readSome(fd, chunk, sizeof chunk);
            if (n == 0) break;
            if (n < 0 || content.size() + static_cast<std::size_t>(n) > maxBytes) {
                whole = false;
                break;
            }
            content.append(chunk, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (!whole) return std::nullopt;
    return content;
}

}  // namespace kalvor
