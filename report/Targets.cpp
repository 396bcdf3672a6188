#include "report/Targets.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "import/FileNames.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;

// Why an entry that is no plain file is passed over.
std::string_view otherReason(FileSystem::Other kind) {
    switch (kind) {
    case FileSystem::Other::Fifo: return "keine normale Datei (FIFO)";
    case FileSystem::Other::Socket: return "keine normale Datei (Socket)";
    case FileSystem::Other::Device: return "keine normale Datei (Gerät)";
    case FileSystem::Other::Unknown: return "keine normale Datei";
    case FileSystem::Other::LinkLoop: return "symbolische Verknüpfungen im Kreis";
    case FileSystem::Other::DanglingLink: return "Verknüpfung ins Leere";
    case FileSystem::Other::NoPermission: return "keine Berechtigung";
    case FileSystem::Other::Unreadable: break;
    }
    return "nicht lesbar";
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.native();
}

std::optional<ArchiveListing> listArchive(FileSystem& disk, const std::string& dir) {
    std::optional<FileSystem::Listing> found = disk.list(dir);
    if (!found) return std::nullopt;
    ArchiveListing listing;
    listing.complete = found->complete;
    listing.linkedFiles = std::move(found->linkedFiles);
    for (std::string& name : found->files)
        if (matchesFilePattern(name)) listing.names.push_back(std::move(name));
    for (std::string& name : found->subdirectories) {
        if (!matchesFilePattern(name)) continue;
        listing.passedOver.emplace(name, "ein Verzeichnis");
        listing.names.push_back(std::move(name));
    }
    for (FileSystem::OtherEntry& entry : found->others) {
        if (!matchesFilePattern(entry.name)) continue;
        listing.passedOver.emplace(entry.name, otherReason(entry.kind));
        listing.names.push_back(std::move(entry.name));
    }
    sortNames(listing.names);
    return listing;
}

TargetSource::TargetSource(std::span<const std::string> paths, FileSystem& disk,
                           std::function<void(const std::string&)> notice)
    : paths_(paths), disk_(disk), notice_(std::move(notice)) {}

std::optional<Target> TargetSource::next() {
    for (;;) {
        if (listing_) {
            if (nextName_ < listing_->names.size()) {
                const std::string& name = listing_->names[nextName_++];
                const auto passed = listing_->passedOver.find(name);
                return Target{childPath(shownDir_, name), childPath(absoluteDir_, name),
                              passed == listing_->passedOver.end() ? std::string() : passed->second};
            }
            const bool complete = listing_->complete;
            listing_.reset();
            if (!complete) return Target{shownDir_, absoluteDir_, "Verzeichnis nicht vollständig lesbar"};
        }
        if (nextPath_ == paths_.size()) return std::nullopt;
        const std::string& path = paths_[nextPath_++];
        if (!isDirectory(path)) return Target{path, absolutePath(path), {}};
        shownDir_ = path;
        absoluteDir_ = absolutePath(path);
        listing_ = listArchive(disk_, absoluteDir_);
        nextName_ = 0;
        if (!listing_) return Target{shownDir_, absoluteDir_, "Verzeichnis nicht lesbar"};
        if (listing_->names.empty()) notice_("keine *.txt-Dateien in „" + path + "“");
    }
}

Survey surveyTargets(std::span<const std::string> paths, FileSystem& disk) {
    Survey survey;
    for (const std::string& path : paths) {
        if (!isDirectory(path)) {
            ++survey.lines;
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) survey.inputs.push_back({st.st_dev, st.st_ino});
            continue;
        }
        const auto listing = listArchive(disk, absolutePath(path));
        if (!listing) {
            ++survey.lines;
            continue;
        }
        survey.lines += listing->names.size() + (listing->complete ? 0 : 1);
        survey.inputs.insert(survey.inputs.end(), listing->linkedFiles.begin(), listing->linkedFiles.end());
    }
    std::sort(survey.inputs.begin(), survey.inputs.end());
    return survey;
}

}  // namespace kalvor
