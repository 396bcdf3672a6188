#pragma once
// The chart pictures of a report. Each is written to a new file of its own in the
// chart folder and then renamed to its name, so that a picture is there whole or
// not at all, and a name never leads the report anywhere else: no symbolic link is
// followed, no FIFO or device opened, and no file this run reads replaced.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/Targets.h"

namespace kalvor {

// The picture's name for the file at absolutePath: the file's name without its
// ending, "-", 16 hexadecimal digits of a hash of the path (FNV-1a, 64 bits), and
// ".png". It depends on that path alone, not on the other files of the run, so a
// file gets the same name in every run and files of the same name in different
// folders get different ones. Bytes of the name that are no UTF-8 or a control
// character become "_", and so does a leading "." or "-".
std::string chartName(const std::string& absolutePath);

class ChartFolder {
public:
    // The folder, made first when it is missing; nullptr when it cannot be made or
    // opened. inputs are the files the run reads, sorted.
    static std::unique_ptr<ChartFolder> open(const std::string& path, std::vector<FileId> inputs);
    ~ChartFolder();
    ChartFolder(const ChartFolder&) = delete;
    ChartFolder& operator=(const ChartFolder&) = delete;

    // Writes the picture as name; empty when it is written, otherwise why it is not.
    // Several pictures may be written at once.
    std::string write(const std::string& name, std::string_view png) const;

private:
    ChartFolder(int fd, std::vector<FileId> inputs) : fd_(fd), inputs_(std::move(inputs)) {}
    int fd_;
    std::vector<FileId> inputs_;
};

}  // namespace kalvor
