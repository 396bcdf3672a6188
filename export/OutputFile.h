#pragma once
// Every file the report writes (pictures, summary, page) goes through here. It is
// written whole as a file without a name in the target's directory and given its
// name only when complete: a reader never sees half a file, and a run that is
// interrupted or fails leaves nothing behind. A name is taken only where nothing
// stands or a plain file stands that this run neither reads nor writes its own
// output into; a link, a device, a FIFO, a socket or a directory there is left as
// it is, and so is such a file. A replaced file's mode is kept; a new file gets
// 0666 less the umask.

#include <sys/stat.h>
#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileId.h"

namespace kalvor {

// The files a run must not replace: those it reads, and those its standard output
// and error go to. Shared by the threads that write pictures.
class OutputGuard {
public:
    void protect(FileId id);
    // The file behind an open descriptor, when it is a plain file.
    void protectDescriptor(int fd);
    bool isProtected(FileId id) const;

private:
    mutable std::mutex mutex_;
    std::vector<FileId> ids_;  // sorted
};

// Why a write failed, in a few German words: "Datenträger voll", "keine Berechtigung".
std::string_view writeReason(int error);

// Bytes gathered and written to a descriptor in large pieces, and the first failure
// in words: how both kinds of file below write.
class PendingWrites {
public:
    // False once anything has failed; later bytes are dropped.
    bool write(int fd, std::string_view bytes);
    // Writes out what is gathered.
    bool flush(int fd);
    // Keeps the first failure.
    void fail(int error);

    std::string failure;  // empty while everything went well

private:
    std::string buffer_;
};

class OutputFile {
public:
    // A file that is to become `name` in the directory open at `directory`, which
    // must stay open until the file is committed or gone.
    OutputFile(int directory, std::string name, const OutputGuard& guard);
    // A file that is to become `path`.
    OutputFile(const std::string& path, const OutputGuard& guard);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False once anything has failed; later writes do nothing.
    bool write(std::string_view bytes);
    // Gives the file its name: empty when it is in place, otherwise why not, with
    // the name left as it was.
    std::string commit();

    // Why path could not be taken now, as commit would say it; empty when it could.
    // Lets a run refuse an output before it does the work for it.
    static std::string refusal(const std::string& path, const OutputGuard& guard);

private:
    void open();
    std::string checkName(struct stat& existing, bool& exists) const;
    std::string place(bool replacing);

    int directory_ = -1;
    bool ownsDirectory_ = false;
    std::string name_;
    const OutputGuard& guard_;
    int fd_ = -1;
    bool unnamed_ = false;  // O_TMPFILE: nothing to remove
    std::string scratch_;   // otherwise the hidden name it is written under
    int slot_ = -1;         // where the scratch name waits for removal on a signal
    PendingWrites out_;
};

// A file that is staged and read back but never named: the page's rows, kept next
// to the page rather than in /tmp. Gone when closed, and when the program ends.
class StagingFile {
public:
    // In the directory that holds path.
    explicit StagingFile(const std::string& path);
    ~StagingFile();
    StagingFile(const StagingFile&) = delete;
    StagingFile& operator=(const StagingFile&) = delete;

    bool write(std::string_view bytes);
    // Back to its start for reading: false when anything failed.
    bool rewind();
    // The next bytes into buffer; 0 at the end, -1 on a failure.
    long read(char* buffer, std::size_t size);
    // Why it failed, when it did.
    const std::string& failure() const { return out_.failure; }

private:
    int fd_ = -1;
    PendingWrites out_;
};

// On SIGINT, SIGTERM and SIGHUP first removes the scratch files being written (where
// the file system has no files without a name), then ends as the signal would.
void removeScratchFilesOnSignals();

}  // namespace kalvor
