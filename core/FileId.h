#pragma once
// A file as the system knows it, whatever its names: what tells an output from an
// input that the run reads under another name.

#include <sys/types.h>

#include <compare>

namespace kalvor {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    auto operator<=>(const FileId&) const = default;
};

}  // namespace kalvor
