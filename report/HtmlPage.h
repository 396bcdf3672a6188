#pragma once
// The report as one self-contained German HTML page: the table of all files with
// their charts inline as data: PNGs, the summary drawn as observed against expected
// files, and the joined walk over the rows of one chart. The page loads nothing
// from elsewhere (its content security policy forbids it) and reads without a
// script; a script, where one runs, sorts the table by any column.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "report/Chance.h"
#include "report/Summary.h"
#include "report/Walk.h"

namespace kalvor {

// Text for HTML: & < > " ' as references, control characters as blanks and every
// byte that is not part of valid UTF-8 as U+FFFD.
std::string htmlText(std::string_view text);

std::string base64(std::string_view bytes);

// Writes the whole file under a temporary name in its directory, then renames it:
// a reader never sees half a file, and an existing link is replaced, not followed.
bool writeWholeFile(const std::string& path, std::string_view bytes);

struct PageOverview {
    std::vector<std::string> columns;  // the CSV's header
    EvenChance chance = EvenChance::RedBlack;
    std::vector<ArchiveSummary::Line> summary;
    std::string verdict;
    std::vector<WalkTrace::Row> joinedRows;
    uint64_t joinedSteps = 0;
    std::vector<std::string> joined;  // the line "Gesamt"
    uint64_t files = 0;               // files with a walk
};

class HtmlPage {
public:
    // The rows wait in a temporary file: an archive's charts need not fit in memory.
    HtmlPage();
    ~HtmlPage();
    HtmlPage(const HtmlPage&) = delete;
    HtmlPage& operator=(const HtmlPage&) = delete;

    // One line of the report, with the file's chart (empty: none).
    void addRow(const std::vector<std::string>& fields, std::string_view png);
    bool write(const std::string& path, const PageOverview& overview);

private:
    std::FILE* rows_;
    bool failed_ = false;
    uint64_t count_ = 0;
};

// The two drawings, as inline SVG.
std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines);
std::string joinedSvg(const std::vector<WalkTrace::Row>& rows, uint64_t steps, EvenChance chance);

}  // namespace kalvor
