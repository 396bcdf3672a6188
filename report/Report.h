#pragma once
// kalvor1-report: the tendency figures of many permanences as CSV. Replays the
// files on all cores and writes one line a file, in the order of the arguments.

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "report/CommandLine.h"

namespace kalvor {

enum ReportExit : int { kAllRead = 0, kSomeRefused = 1, kUsageError = 2, kOutputError = 3 };

// The header line's names: the path, the three header lines, the result labels
// named as the window's captions name them (the chance's sides in place of red and
// black), the five probabilities and the note.
std::vector<std::string> reportColumns(EvenChance chance = EvenChance::RedBlack);

// Writes the CSV to out and notices to err; returns the exit status.
int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

// The whole program, given its arguments without the program's name; the progress
// is shown when err is a terminal.
int reportMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               bool errIsTerminal = false);

}  // namespace kalvor
