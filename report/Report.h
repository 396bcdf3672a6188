#pragma once
// kalvor1-report: the tendency figures of many permanences as CSV. Reads its
// command line, replays the files on all cores and writes one line a file, in the
// order of the arguments.

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "report/Archive.h"

namespace kalvor {

enum ReportExit : int { kAllRead = 0, kSomeRefused = 1, kUsageError = 2, kOutputError = 3 };

struct ReportOptions {
    std::vector<std::string> paths;  // files, and directories standing for their *.txt files
    std::string chartDirectory;      // empty: no charts
    unsigned jobs = 0;               // files replayed at once; 0: one per core
    ArchiveOptions archive;          // even chance, probabilities, summary, joined walk, page
    bool progress = false;           // the lines done of all on err, for a terminal
    std::size_t memoryBudget = 0;    // bytes the lists of all jobs may take; 0: half the usable memory
};

// The header line's names: the path, the three header lines, the result labels
// named as the window's captions name them (the chance's sides in place of red and
// black), the five probabilities and the note.
std::vector<std::string> reportColumns(EvenChance chance = EvenChance::RedBlack);

// Writes the CSV to out and notices to err; returns the exit status.
int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

// The whole program, given its arguments without the program's name; the progress
// is shown when err is a terminal.
// The command line, read without side effects.
struct ReportCommand {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    ReportOptions options;
    std::string error;  // UsageError: what was wrong, one German line
};
ReportCommand parseReportArguments(const std::vector<std::string>& arguments);

int reportMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               bool errIsTerminal = false);

}  // namespace kalvor
