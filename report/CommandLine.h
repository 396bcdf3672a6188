#pragma once
// The report's command line, read as one pure function: what to do, with which
// options, or what was wrong in one German line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "report/Archive.h"

namespace kalvor {

struct ReportOptions {
    std::vector<std::string> paths;  // files, and directories standing for their *.txt files
    std::string chartDirectory;      // empty: no charts
    unsigned jobs = 0;               // files replayed at once; 0: one per core
    ArchiveOptions archive;          // even chance, probabilities, summary, joined walk, page
    bool progress = false;           // the lines done of all on err, for a terminal
    std::size_t memoryBudget = 0;    // bytes the lists of all jobs may take; 0: half the usable memory
};

struct ReportCommand {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    ReportOptions options;
    std::string error;  // UsageError: what was wrong, one German line
};

// The arguments without the program's name. In the order given: the first of
// --help, --version and a mistake decides.
ReportCommand parseReportArguments(const std::vector<std::string>& arguments);

// The help text of --help.
std::string_view reportHelp();
// The line after a usage error's message.
std::string_view reportUsageLine();

// The most files replayed at once.
inline constexpr unsigned kMostJobs = 256;

}  // namespace kalvor
