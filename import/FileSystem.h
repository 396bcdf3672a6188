#pragma once
// What the import panel needs from the file system, as a small port. The program
// passes LocalFileSystem; tests may pass an in-memory one.
// Paths are absolute, '/'-separated byte strings; names are single path components.

#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/RegularFile.h"

namespace kalvor {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The roots a user picks from in the drive list: "/" first, then the mount points.
    virtual std::vector<std::string> drives() = 0;
    // Names of the subdirectories of dir, in any order; nothing when dir cannot be read.
    virtual std::optional<std::vector<std::string>> subdirectories(const std::string& dir) = 0;
    // Names of the plain files of dir, in any order; nothing when dir cannot be read.
    virtual std::optional<std::vector<std::string>> files(const std::string& dir) = 0;

    // Why an entry is neither a directory nor a plain file (links are followed).
    enum class Other { Fifo, Socket, Device, Unknown, DanglingLink, LinkLoop, NoPermission, Unreadable };
    struct OtherEntry {
        std::string name;
        Other kind;
    };
    struct Listing {
        std::vector<std::string> subdirectories;
        std::vector<std::string> files;
        std::vector<OtherEntry> others;   // every other entry, for those who say what they pass over
        std::vector<FileId> linkedFiles;  // the plain files that symbolic links among files lead to
        bool complete = true;             // false when reading the directory broke off midway
    };
    // Everything at once, so that a large directory is read once; nothing when dir
    // cannot be read. A directory whose files cannot be listed gives none.
    virtual std::optional<Listing> list(const std::string& dir) {
        auto subdirectories = this->subdirectories(dir);
        if (!subdirectories) return std::nullopt;
        auto plain = files(dir);
        Listing listing;
        listing.subdirectories = std::move(*subdirectories);
        if (plain) listing.files = std::move(*plain);
        return listing;
    }
    // The file for reading from its start, or why it cannot be read: missing,
    // unreadable or not a plain file (a directory is never opened as a file).
    virtual OpenedFile open(const std::string& path) = 0;
    // The program's current working directory.
    virtual std::string currentDirectory() = 0;
};

// dir and name with exactly one separator between them; the root already ends with one.
inline std::string childPath(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (path.empty() || path.back() != '/') path.push_back('/');
    path.append(name);
    return path;
}

}  // namespace kalvor
