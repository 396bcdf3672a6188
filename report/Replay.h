#pragma once
// One permanence replayed exactly as the window replays it: a fresh Form1 with its
// import panel, "Import" and "OK" on the file, "Durchlauf", then "Start" through the
// controls. What the labels and the prompt show afterwards is the file's result.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Controls.h"
#include "core/Platform.h"
#include "core/SeriesState.h"
#include "import/FileSystem.h"
#include "import/ListBudget.h"
#include "import/LocalFileSystem.h"
#include "import/Permanence.h"
#include "stats/FileLaws.h"
#include "stats/Tally.h"
#include "stats/Walk.h"

namespace kalvor {

struct FileReport {
    PermanenceRead::Outcome outcome = PermanenceRead::Outcome::Unreadable;
    // The three header fields as the import read them, decoded (see headerText).
    std::array<std::string, 3> header;
    // The texts of the labels of kValueLabels after the run, empty where a label
    // shows nothing.
    std::array<std::string, kZahl> values;
    // Why the import refused the file, with its message; for a file that was read,
    // any line the run added to the prompt besides the end line (a limit reached).
    std::string note;
    // The chart `blatt` after the run as a PNG file, when asked for.
    std::string chartPng;
    // The walk the run played, as the window counted it but in 64 bits.
    WalkFigures walk;
    // Every throw of the list, when asked for: the archive's joined walk.
    ThrowList throws;
    // What the laws count over every throw of the list, when asked for.
    struct Tallies {
        SideTally side;
        NumberTally numbers;
    };
    std::optional<Tallies> tallies;
    // The texts of the laws of the throws the run played, when asked for.
    std::vector<std::string> laws;
    // The file that was read, which no output of the run may replace.
    FileId input;

    bool refused() const { return outcome != PermanenceRead::Outcome::Read; }
};

// No desktop: a message the import would show is kept for the report instead, and
// no question is ever answered with Yes.
class HeadlessPlatform final : public Platform {
public:
    Answer askYesNo(const std::string& message, const std::string& title) override;
    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    void inform(const std::string& message, const std::string& title) override;
    void showText(const std::string&, const std::string&, const std::string&) override {}
    std::string programDirectory() override { return {}; }
    std::optional<std::string> readFile(const std::string&) override { return std::nullopt; }
    NumberFormat numberFormat() override { return {}; }
    void quit() override {}

    std::vector<std::string> messages;
};

// The local disk as the import panel of a report sees it: files open as they do in
// the window, but every directory lists empty and "/" is the only drive. The panel
// lists a directory when it is made and again for every file it imports; for an
// archive of a thousand files that would be a thousand listings of the same
// directories, and the report never picks a file from a list.
class ReplayDisk final : public FileSystem {
public:
    std::vector<std::string> drives() override { return {"/"}; }
    std::optional<std::vector<std::string>> subdirectories(const std::string&) override {
        return std::vector<std::string>{};
    }
    std::optional<std::vector<std::string>> files(const std::string&) override { return std::vector<std::string>{}; }
    OpenedFile open(const std::string& path) override {
        OpenedFile file = disk_.open(path);
        opened_ = file.id;
        return file;
    }
    std::string currentDirectory() override { return "/"; }
    // The file opened last.
    FileId opened() const { return opened_; }

private:
    LocalFileSystem disk_;
    FileId opened_;
};

// What a replay does beyond the window's own run.
struct ReplayExtras {
    EvenChance chance = EvenChance::RedBlack;  // the split of 1-36 the run plays with
    bool keepThrows = false;                   // fills FileReport::throws
    bool tallies = false;                      // fills FileReport::tallies
    LawCache* laws = nullptr;                  // when given, fills FileReport::laws
};

// path is absolute. Touches nothing shared but the budget, which the list of
// numbers takes its memory from when one is given, so files can be replayed side by side.
FileReport replayPermanence(const std::string& path, bool withChart, const ReplayExtras& extras = {},
                            ListBudget* budget = nullptr);

}  // namespace kalvor
