#pragma once
// Plain files opened for reading without ever waiting on the open: the name is
// opened non-blocking and checked on the open descriptor, so a FIFO or a device
// that stands under the name (or took a file's place since it was listed) is
// closed again unread.

#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <string>

namespace kalvor {

// The file from its start; nullptr when it is missing, unreadable or not a plain
// file. A read error midway makes the stream bad.
std::unique_ptr<std::istream> openRegularFile(const std::string& path);

// The whole file; nothing when it cannot be opened as above, fails while read, or
// holds more than maxBytes.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace kalvor
