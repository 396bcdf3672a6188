#pragma once
// What the report adds beyond the window's own values: the fair-wheel
// probabilities of each file, the archive's summary, its joined walk and the page.
// The report hands each finished line here, in the order of its lines.

#include <array>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/SeriesState.h"
#include "export/OutputFile.h"
#include "report/Replay.h"
#include "stats/ArchiveLaws.h"
#include "stats/ArchiveSummary.h"
#include "stats/FileLaws.h"
#include "stats/Tally.h"
#include "stats/Walk.h"

namespace kalvor {

class HtmlPage;

// What the report says of an output it could not write: "Seite nicht geschrieben
// (Datenträger voll): bericht.html".
inline std::string notWritten(std::string_view what, std::string_view why, std::string_view path) {
    return std::string(what) + " nicht geschrieben (" + std::string(why) + "): " + std::string(path);
}

struct ArchiveOptions {
    EvenChance chance = EvenChance::RedBlack;  // --chance
    std::string summaryPath;                   // --summary: empty for none, "-" standard output
    bool joined = false;                       // --joined: the line "Gesamt"
    std::string htmlPath;                      // --html: empty for none
    std::string lawsPath;                      // --laws: empty for none
    bool probabilities = true;                 // off only for measuring their cost
};

class ArchiveExtras {
public:
    explicit ArchiveExtras(ArchiveOptions options);
    ~ArchiveExtras();

    ReplayExtras replayExtras();
    // Opens the files written line by line (the laws'), once the run knows which
    // files it must not replace.
    void start(const OutputGuard& guard);
    // The page shows every file's chart, so the replay must keep it.
    bool wantsCharts() const { return !options_.htmlPath.empty(); }

    // The five texts of a file's line; empty for a refused file or one without steps.
    std::array<std::string, 5> probabilities(const FileReport& report) const;
    // A finished line, its texts as read: the page cleans them its own way. Takes
    // the report's throws.
    void add(const std::vector<std::string>& fields, FileReport& report);
    // The line "Gesamt", with --joined; the page shows it too.
    std::vector<std::string> joinedLine();
    // Writes the laws, the summary and the page; a message for each file it could not
    // write. A summary named "-" goes to out.
    bool finish(const std::vector<std::string>& columns, const OutputGuard& guard, std::vector<std::string>& errors,
                std::ostream& out);

    // What the archive's laws found so far: the laws of all files, all files as one
    // walk, and the verdict on them.
    const ArchiveLaws& laws() const { return laws_; }
    const SideTally& joinedSide() const { return joinedSide_; }
    ArchiveVerdict verdict() const;

private:
    ArchiveOptions options_;
    ArchiveSummary summary_;
    ArchiveLaws laws_;
    WalkFigures joined_;
    SideTally joinedSide_;
    WalkTrace trace_;
    bool keepThrows_;
    bool tallies_;
    LawCache cache_;
    std::unique_ptr<OutputFile> lawsFile_;
    std::unique_ptr<HtmlPage> page_;
};

}  // namespace kalvor
