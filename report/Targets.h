#pragma once
// What the arguments of a report stand for, one line of the report at a time: a
// file stands for itself, a directory for the *.txt files its file list shows, in
// that list's order, and for the *.txt entries it passes over, each with the reason.

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileId.h"
#include "import/FileSystem.h"

namespace kalvor {

// One line of the report: a file to replay, or an entry with nothing to replay.
struct Target {
    std::string shown;     // the path as the user gave it
    std::string absolute;  // what the import opens
    std::string refusal;   // set when there is nothing to replay
};

// The *.txt entries of a directory (as the file list matches them), sorted as the
// file list sorts them. Those that are no plain file, or cannot be looked at, have
// their reason in passedOver. Nothing when the directory cannot be opened.
struct ArchiveListing {
    std::vector<std::string> names;
    std::map<std::string, std::string> passedOver;
    std::vector<FileId> linkedFiles;  // the plain files that symbolic links among names lead to
    bool complete = true;             // false when reading the directory failed midway
};
std::optional<ArchiveListing> listArchive(FileSystem& disk, const std::string& dir);

// The arguments' lines one after the other; a directory is read when its turn comes,
// so that only its own names are held.
class TargetSource {
public:
    // notice gets what goes to standard error, such as a directory without *.txt files.
    TargetSource(std::span<const std::string> paths, FileSystem& disk, std::function<void(const std::string&)> notice);
    std::optional<Target> next();

private:
    std::span<const std::string> paths_;
    FileSystem& disk_;
    std::function<void(const std::string&)> notice_;
    std::size_t nextPath_ = 0;
    std::string shownDir_, absoluteDir_;
    std::optional<ArchiveListing> listing_;
    std::size_t nextName_ = 0;
};

// All lines the arguments stand for, counted before the run, and the files among
// them that a picture must never replace.
struct Survey {
    std::size_t lines = 0;
    std::vector<FileId> inputs;  // sorted
};
Survey surveyTargets(std::span<const std::string> paths, FileSystem& disk);

// The path made absolute as the import opens it; the path itself when that fails.
std::string absolutePath(const std::string& path);

}  // namespace kalvor
