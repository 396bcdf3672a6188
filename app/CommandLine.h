#pragma once
// The program's command line, read before any toolkit starts: Qt never sees the
// arguments, so its own start-up options (-style, -stylesheet FILE, -reverse) are
// refused here like any other unknown option.

#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    // Run: the permanence to import at start, absolute and in plain form; empty for none.
    std::string file;
    // UsageError: what was wrong, one German line.
    std::string error;
};

// args without the program name; relative file names are taken against
// workingDirectory (absolute). The first of --help, --version and an unknown option
// decides; "--" ends the options.
CommandLine parseCommandLine(const std::vector<std::string>& args, std::string_view workingDirectory);

// The usage text, with a line naming the info file the Info button shows and whether
// it is there.
std::string helpText(std::string_view infoFile, bool infoFound);
std::string usageText();
// The version as every program of the package prints it: "kalvor1 (Kalvor 1) 3.1"
// and the licence line.
std::string versionText(std::string_view program = "kalvor1");
// Why the window cannot open where no display can be reached, for standard error.
std::string noDisplayText();
// The project's version, "3.1".
std::string_view programVersion();

}  // namespace kalvor
