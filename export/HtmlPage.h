#pragma once
// The report as one self-contained German HTML page: the archive against a fair
// wheel, the joined walk, and the table of all files with their charts. The page
// loads nothing from elsewhere (its content security policy forbids it).
//
// A page scales with the archive: the rows are in the page as plain table rows,
// so that it reads and prints without a script, but where a script runs it keeps
// only the rows in view in the document and draws a file's chart when its row
// comes into view, from the file's throws at two bits each. Only the pictures of
// the rarest files are in the page as PNGs; an archive of at most kInlinePictures
// files has all of them there.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "export/OutputFile.h"
#include "stats/ArchiveLaws.h"
#include "stats/ArchiveSummary.h"
#include "stats/Walk.h"

namespace kalvor {

// How a column of the files' table reads: a file's name, a text, or a number
// (aligned to the right).
enum class ColumnKind { Name, Text, Number };

struct PageColumn {
    std::string caption;
    ColumnKind kind = ColumnKind::Text;
};

// Whether a file's line counts in the archive's figures, or why it is named apart.
enum class FileStanding { Counted, NoStep, Refused };

// One line of the report.
struct PageRow {
    std::vector<std::string> fields;  // the texts as read, in the columns' order; the first names the file
    FileStanding standing = FileStanding::Counted;
    std::string_view png;               // the file's chart as the window drew it; empty: none
    const ThrowList* throws = nullptr;  // the throws the chart shows are the first `drawn` of these
    std::size_t drawn = 0;
    // The files of the smallest ranks keep their charts in the page as pictures.
    double rank = std::numeric_limits<double>::infinity();
};

// Everything above and below the files' rows. A new part of the page is a field
// here and a function of HtmlPage.cpp that turns it into a section.
struct PageOverview {
    std::vector<PageColumn> columns;  // the report's header
    std::string left, right;          // the names of the chance's sides
    std::string rankName;             // what the rows' rank is, for the words about the pictures
    uint64_t files = 0;               // files counted in the archive's figures
    std::vector<ArchiveSummary::Line> summary;
    std::string verdict;                                // heads the page
    std::vector<std::string> notes;                     // how to read small figures among many
    std::vector<std::vector<std::string>> tests;        // the archive's tests, their head first
    std::vector<ArchiveLaws::SeriesLine> series;        // the law of series
    std::array<uint64_t, 37> numberCounts{};            // the 37 numbers over the archive
    uint64_t bandLow = 0, bandHigh = 0;                 // a fair wheel keeps them all within, 99 times in 100
    std::vector<WalkTrace::Row> joinedRows;
    uint64_t joinedSteps = 0;
    std::vector<std::string> joined;  // the line "Gesamt"; empty: none
};

class HtmlPage {
public:
    static constexpr std::size_t kInlinePictures = 100;
    // Files named in the words above the table for each reason they do not count.
    static constexpr std::size_t kNamedApart = 20;

    // The rows wait in a file without a name beside the page: an archive's rows
    // need not fit in memory.
    explicit HtmlPage(const std::string& path);

    void addRow(const PageRow& row);
    // Empty when the page is written, otherwise why not.
    std::string write(const PageOverview& overview, const OutputGuard& guard);

    // The files named apart, and how many there are.
    struct Apart {
        uint64_t count = 0;
        std::vector<std::string> names;  // the first kNamedApart, as markup
    };

private:
    struct Picture {
        double rank;
        uint64_t row;
        std::string img;  // the <img> element
        bool operator<(const Picture& other) const {
            return rank < other.rank || (rank == other.rank && row < other.row);
        }
    };

    std::string path_;
    StagingFile rows_;
    uint64_t count_ = 0;
    std::vector<Picture> pictures_;  // a heap of the rarest so far, the least rare on top
    Apart noStep_, refused_;
};

}  // namespace kalvor
