#include "import/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <system_error>

namespace kalvor {
namespace {

// A descriptor of a plain file, or -1. Opening does not wait for a FIFO's writer
// or a device; once the descriptor is known to be a plain file, reads may block as
// any file read does.
int openPlain(const std::string& path, off_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    size = st.st_size;
    return fd;
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

std::unique_ptr<std::istream> openRegularFile(const std::string& path) {
    off_t size = 0;
    const int fd = openPlain(path, size);
    if (fd < 0) return nullptr;
    return std::make_unique<DescriptorStream>(fd);
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes) {
    off_t size = 0;
    const int fd = openPlain(path, size);
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
