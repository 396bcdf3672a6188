#pragma once
// Plain files opened for reading without ever waiting on the open: the name is
// opened non-blocking and checked on the open descriptor, so a FIFO or a device
// that stands under the name (or took a file's place since it was listed) is
// closed again unread.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "core/FileId.h"

namespace kalvor {

// Why a file could not be opened or read.
enum class FileError {
    None,
    NotFound,      // no such file, or a directory of its path missing
    NoPermission,  // the user may not read it
    NotPlainFile,  // a directory, FIFO, socket or device
    ReadFailed,    // any other failure of the system, also while reading
};

struct OpenedFile {
    std::unique_ptr<std::istream> stream;  // nullptr when the file could not be opened
    FileError error = FileError::None;     // why, when it could not
    std::uint64_t size = 0;                // its size when it was opened
    FileId id;                             // the file opened

    explicit operator bool() const { return stream != nullptr; }
};

// The file from its start, or why it cannot be read. A read error midway makes the
// stream bad.
OpenedFile openRegularFile(const std::string& path);

// The whole file; nothing when it cannot be opened as above, fails while read, or
// holds more than maxBytes.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace kalvor
