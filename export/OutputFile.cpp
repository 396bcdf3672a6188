#include "export/OutputFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/NumberText.h"

namespace kalvor {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

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

// Signals are held back while a file has a name of its own that is not yet its
// last: between linking and renaming. They arrive as soon as the name is final.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, s);
        ::pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t before_;
};

// Scratch files under a name, where a file system has no nameless ones: a signal
// handler may remove them, so they are kept in fixed slots it can read safely.
struct ScratchSlot {
    std::atomic<bool> used{false};
    std::atomic<int> directory{-1};
    char name[256] = {};
};
std::array<ScratchSlot, 64> scratchSlots;
std::atomic<unsigned> scratchNumber{0};

int takeSlot(int directory, const std::string& name) {
    if (name.size() >= sizeof ScratchSlot::name) return -1;
    for (std::size_t i = 0; i < scratchSlots.size(); ++i) {
        bool expected = false;
        ScratchSlot& slot = scratchSlots[i];
        if (slot.directory.load() != -1 || !slot.used.compare_exchange_strong(expected, true)) continue;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
        slot.directory.store(directory);
        return static_cast<int>(i);
    }
    return -1;
}

void releaseSlot(int index) {
    if (index < 0) return;
    ScratchSlot& slot = scratchSlots[static_cast<std::size_t>(index)];
    slot.directory.store(-1);
    slot.used.store(false);
}

extern "C" void removeScratchAndEnd(int signal) {
    for (ScratchSlot& slot : scratchSlots) {
        const int directory = slot.directory.load();
        if (directory >= 0) ::unlinkat(directory, slot.name, 0);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// A hidden name of its own beside `name`: ".name.<pid>-<n>.tmp". Appended piece by
// piece: GCC 12 at -O3 warns wrongly about a literal + a string.
std::string scratchName(const std::string& name) {
    std::string scratch = ".";
    scratch += name.substr(0, 200);
    scratch += '.';
    scratch += integerText(::getpid());
    scratch += '-';
    scratch += integerText(scratchNumber.fetch_add(1));
    scratch += ".tmp";
    return scratch;
}

// The directory of path and the name in it.
std::pair<std::string, std::string> split(const std::string& path) {
    const std::filesystem::path p(path);
    std::string directory = p.parent_path().native();
    if (directory.empty()) directory.assign(1, '.');  // not = ".": GCC 12 at -O3 warns wrongly
    return {directory, p.filename().native()};
}

std::string describeType(mode_t mode) {
    if (S_ISLNK(mode)) return "eine symbolische Verknüpfung steht an seiner Stelle";
    return "an seiner Stelle steht keine normale Datei";
}

// Why the name in directory may not be taken: anything but a plain file that the
// run does not read.
std::string nameRefusal(int directory, const std::string& name, const OutputGuard& guard, struct stat& st,
                        bool& exists) {
    exists = false;
    if (::fstatat(directory, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return {};
        return std::string(writeReason(errno));
    }
    exists = true;
    if (!S_ISREG(st.st_mode)) return describeType(st.st_mode);
    if (guard.isProtected({st.st_dev, st.st_ino}))
        return "an seiner Stelle steht eine Datei, die diese Auswertung liest";
    return {};
}

}  // namespace

void OutputGuard::protect(FileId id) {
    const std::lock_guard lock(mutex_);
    const auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
    if (at == ids_.end() || *at != id) ids_.insert(at, id);
}

void OutputGuard::protectDescriptor(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) protect({st.st_dev, st.st_ino});
}

bool OutputGuard::isProtected(FileId id) const {
    const std::lock_guard lock(mutex_);
    return std::binary_search(ids_.begin(), ids_.end(), id);
}

std::string_view writeReason(int error) {
    switch (error) {
    case ENOSPC: return "Datenträger voll";
    case EDQUOT: return "Kontingent erschöpft";
    case EFBIG: return "Datei zu groß";
    case EACCES:
    case EPERM: return "keine Berechtigung";
    case EROFS: return "nur lesbares Dateisystem";
    case ENOENT:
    case ENOTDIR: return "Verzeichnis nicht vorhanden";
    case ENAMETOOLONG: return "Name zu lang";
    default: return "Schreibfehler";
    }
}

bool PendingWrites::write(int fd, std::string_view bytes) {
    if (!failure.empty() || fd < 0) return false;
    if (buffer_.size() + bytes.size() > kBufferBytes && !flush(fd)) return false;
    if (bytes.size() >= kBufferBytes) {
        if (!writeAll(fd, bytes)) fail(errno);
        return failure.empty();
    }
    buffer_.append(bytes);
    return true;
}

bool PendingWrites::flush(int fd) {
    if (!failure.empty() || fd < 0) return false;
    if (!writeAll(fd, buffer_)) fail(errno);
    buffer_.clear();
    return failure.empty();
}

void PendingWrites::fail(int error) {
    if (failure.empty()) failure = writeReason(error);
}

bool OutputFile::write(std::string_view bytes) { return out_.write(fd_, bytes); }

OutputFile::OutputFile(int directory, std::string name, const OutputGuard& guard)
    : directory_(directory), name_(std::move(name)), guard_(guard) {
    open();
}

OutputFile::OutputFile(const std::string& path, const OutputGuard& guard) : guard_(guard) {
    auto [directory, name] = split(path);
    name_ = std::move(name);
    directory_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory_ < 0) {
        out_.fail(errno);
        return;
    }
    ownsDirectory_ = true;
    open();
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!scratch_.empty()) ::unlinkat(directory_, scratch_.c_str(), 0);
    releaseSlot(slot_);
    if (ownsDirectory_) ::close(directory_);
}

void OutputFile::open() {
    if (name_.empty() || name_ == "." || name_ == "..") {
        out_.failure = "kein Dateiname";
        return;
    }
    fd_ = ::openat(directory_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        unnamed_ = true;
        return;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        out_.fail(errno);
        return;
    }
    // No nameless files here: a hidden name of its own, which no directory argument
    // stands for, removed on a signal.
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        std::string scratch = scratchName(name_);
        const HeldSignals held;
        fd_ = ::openat(directory_, scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                       0666);
        if (fd_ >= 0) {
            scratch_ = std::move(scratch);
            slot_ = takeSlot(directory_, scratch_);
        } else if (errno != EEXIST) {
            out_.fail(errno);
            return;
        }
    }
    if (fd_ < 0) out_.fail(EEXIST);
}

std::string OutputFile::checkName(struct stat& st, bool& exists) const {
    return nameRefusal(directory_, name_, guard_, st, exists);
}

std::string OutputFile::refusal(const std::string& path, const OutputGuard& guard) {
    const auto [directory, name] = split(path);
    if (name.empty() || name == "." || name == "..") return "kein Dateiname";
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::string(writeReason(errno));
    struct stat st {};
    bool exists = false;
    std::string why = nameRefusal(fd, name, guard, st, exists);
    ::close(fd);
    return why;
}

std::string OutputFile::place(bool replacing) {
    if (!unnamed_) {
        // renameat never follows a link at the name: one put there since the look is
        // replaced itself, and no file behind it is touched.
        if (::renameat(directory_, scratch_.c_str(), directory_, name_.c_str()) != 0)
            return std::string(writeReason(errno));
        scratch_.clear();
        return {};
    }
    const std::string self = "/proc/self/fd/" + integerText(fd_);
    const auto link = [&](const std::string& name) {
        if (::linkat(AT_FDCWD, self.c_str(), directory_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        // Without /proc the descriptor itself, which needs the right to do so.
        return errno == ENOENT && ::linkat(fd_, "", directory_, name.c_str(), AT_EMPTY_PATH) == 0;
    };
    if (!replacing) {
        if (link(name_)) return {};
        if (errno != EEXIST) return std::string(writeReason(errno));
        // Something came to stand there since the look: replaced only as a file would be.
        struct stat st {};
        bool exists = false;
        if (std::string why = checkName(st, exists); !why.empty()) return why;
    }
    // Linked under a hidden name, then renamed over the old file in one step.
    const HeldSignals held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string scratch = scratchName(name_);
        if (!link(scratch)) {
            if (errno == EEXIST) continue;
            return std::string(writeReason(errno));
        }
        if (::renameat(directory_, scratch.c_str(), directory_, name_.c_str()) != 0) {
            const int error = errno;
            ::unlinkat(directory_, scratch.c_str(), 0);
            return std::string(writeReason(error));
        }
        return {};
    }
    return std::string(writeReason(EEXIST));
}

std::string OutputFile::commit() {
    if (fd_ < 0 && out_.failure.empty()) out_.failure = writeReason(EBADF);
    out_.flush(fd_);
    struct stat existing {};
    bool exists = false;
    if (out_.failure.empty()) out_.failure = checkName(existing, exists);
    if (out_.failure.empty() && exists && ::fchmod(fd_, existing.st_mode & 07777) != 0) out_.fail(errno);
    if (out_.failure.empty()) out_.failure = place(exists);
    if (fd_ >= 0 && ::close(fd_) != 0 && out_.failure.empty()) out_.fail(errno);
    fd_ = -1;
    return out_.failure;
}

StagingFile::StagingFile(const std::string& path) {
    const std::string directory = split(path).first;
    fd_ = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) return;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        out_.failure = writeReason(errno);
        return;
    }
    // Made under a name and unnamed at once, with the signals held in between.
    const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        out_.failure = writeReason(errno);
        return;
    }
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        const std::string scratch = scratchName("kalvor1-report");
        const HeldSignals held;
        fd_ = ::openat(dir, scratch.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::unlinkat(dir, scratch.c_str(), 0);
        else if (errno != EEXIST) break;
    }
    if (fd_ < 0) out_.failure = writeReason(errno);
    ::close(dir);
}

StagingFile::~StagingFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool StagingFile::write(std::string_view bytes) { return out_.write(fd_, bytes); }

bool StagingFile::rewind() {
    if (!out_.flush(fd_)) return false;
    if (::lseek(fd_, 0, SEEK_SET) != 0) out_.failure = writeReason(errno);
    return out_.failure.empty();
}

long StagingFile::read(char* buffer, std::size_t size) {
    if (!out_.failure.empty() || fd_ < 0) return -1;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        out_.failure = writeReason(errno);
        return -1;
    }
}

void removeScratchFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeScratchAndEnd;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // A signal the caller was told to ignore (nohup) stays ignored.
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace kalvor
