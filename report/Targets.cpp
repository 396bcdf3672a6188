#include "report/Targets.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "import/FileSystem.h"
#include "app/ImportPanel.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;

// Why an entry of this type is passed over; empty for a plain file.
std::string_view typeReason(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "ein Verzeichnis";
    if (S_ISFIFO(mode)) return "keine normale Datei (FIFO)";
    if (S_ISSOCK(mode)) return "keine normale Datei (Socket)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "keine normale Datei (Gerät)";
    return "keine normale Datei";
}

std::string_view lookupReason(int error) {
    switch (error) {
        case ELOOP: return "symbolische Verknüpfungen im Kreis";
        case ENOENT: return "Verknüpfung ins Leere";
        case EACCES: return "keine Berechtigung";
        default: return "nicht lesbar";
    }
}

mode_t typeMode(unsigned char type) {
    switch (type) {
        case DT_REG: return S_IFREG;
        case DT_DIR: return S_IFDIR;
        case DT_FIFO: return S_IFIFO;
        case DT_SOCK: return S_IFSOCK;
        case DT_CHR: return S_IFCHR;
        case DT_BLK: return S_IFBLK;
        default: return 0;
    }
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

std::optional<ArchiveListing> listArchive(const std::string& dir) {
    DIR* stream = ::opendir(dir.c_str());
    if (!stream) return std::nullopt;
    ArchiveListing listing;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (!entry) {
            listing.complete = errno == 0;
            break;
        }
        const std::string_view name = entry->d_name;
        if (!matchesFilePattern(name)) continue;
        // readdir's own type saves a look-up per name; links and unknown types are
        // followed, as the import follows them.
        mode_t mode = typeMode(entry->d_type);
        std::string_view reason;
        if (mode == 0) {
            struct stat st {};
            if (::fstatat(::dirfd(stream), entry->d_name, &st, 0) == 0) {
                mode = st.st_mode;
                if (S_ISREG(mode) && entry->d_type == DT_LNK) listing.linkedFiles.push_back({st.st_dev, st.st_ino});
            } else {
                reason = lookupReason(errno);
            }
        }
        if (reason.empty()) reason = typeReason(mode);
        if (!reason.empty()) listing.passedOver.emplace(name, reason);
        listing.names.emplace_back(name);
    }
    ::closedir(stream);
    sortNames(listing.names);
    return listing;
}

TargetSource::TargetSource(std::span<const std::string> paths, std::function<void(const std::string&)> notice)
    : paths_(paths), notice_(std::move(notice)) {}

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
        listing_ = listArchive(absoluteDir_);
        nextName_ = 0;
        if (!listing_) return Target{shownDir_, absoluteDir_, "Verzeichnis nicht lesbar"};
        if (listing_->names.empty()) notice_("keine *.txt-Dateien in „" + path + "“");
    }
}

Survey surveyTargets(std::span<const std::string> paths) {
    Survey survey;
    for (const std::string& path : paths) {
        if (!isDirectory(path)) {
            ++survey.lines;
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) survey.inputs.push_back({st.st_dev, st.st_ino});
            continue;
        }
        const auto listing = listArchive(absolutePath(path));
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
