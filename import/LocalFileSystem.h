#pragma once
// The file-system port on the local disk.

#include <istream>

#include "import/FileSystem.h"

namespace kalvor {

class LocalFileSystem : public FileSystem {
public:
    std::vector<std::string> drives() override;
    std::optional<std::vector<std::string>> subdirectories(const std::string& dir) override;
    std::optional<std::vector<std::string>> files(const std::string& dir) override;
    std::optional<Listing> list(const std::string& dir) override;
    OpenedFile open(const std::string& path) override;
    std::string currentDirectory() override;
};

// The mount points of a mount table in the format of /proc/self/mounts that hold
// file systems a user keeps files on: no kernel or memory file systems, nothing
// below /proc, /sys or /dev. In table order, without "/" and without repeats.
std::vector<std::string> userMountPoints(std::istream& mountTable);

}  // namespace kalvor
