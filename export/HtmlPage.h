#pragma once
// The report as one self-contained German HTML page: the table of all files with
// their charts inline as data: PNGs, the summary drawn as observed against expected
// files, and the joined walk over the rows of one chart. The page loads nothing
// from elsewhere (its content security policy forbids it) and reads without a
// script; a script, where one runs, sorts the table by any column.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/OutputFile.h"
#include "stats/ArchiveSummary.h"
#include "stats/Walk.h"

namespace kalvor {

struct PageOverview {
    std::vector<std::string> columns;  // the CSV's header
    std::string left, right;           // the names of the chance's sides
    std::vector<ArchiveSummary::Line> summary;
    std::string verdict;
    std::vector<WalkTrace::Row> joinedRows;
    uint64_t joinedSteps = 0;
    std::vector<std::string> joined;  // the line "Gesamt"
    uint64_t files = 0;               // files with a walk
};

class HtmlPage {
public:
    // The rows wait in a file without a name beside the page: an archive's charts
    // need not fit in memory.
    explicit HtmlPage(const std::string& path);

    // One line of the report, with the file's chart (empty: none).
    void addRow(const std::vector<std::string>& fields, std::string_view png);
    // Empty when the page is written, otherwise why not.
    std::string write(const PageOverview& overview, const OutputGuard& guard);

private:
    std::string path_;
    StagingFile rows_;
    uint64_t count_ = 0;
};

}  // namespace kalvor
