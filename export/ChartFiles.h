#pragma once
// The chart pictures of a report, each a file of the chart folder written as every
// output file is (see OutputFile): whole or not at all, never through a link, never
// over a FIFO, a device or a file this run reads.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/OutputFile.h"

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
    // opened. The guard must outlive the folder.
    static std::unique_ptr<ChartFolder> open(const std::string& path, const OutputGuard& guard);
    ~ChartFolder();
    ChartFolder(const ChartFolder&) = delete;
    ChartFolder& operator=(const ChartFolder&) = delete;

    // Writes the picture as name; empty when it is written, otherwise why it is not.
    // A plain file there with the same bytes is left as it is. Several pictures may
    // be written at once.
    std::string write(const std::string& name, std::string_view png) const;

private:
    bool alreadyThere(const std::string& name, std::string_view png) const;
    ChartFolder(int fd, const OutputGuard& guard) : fd_(fd), guard_(guard) {}
    int fd_;
    const OutputGuard& guard_;
};

}  // namespace kalvor
