// kalvor1-report: the archive report, without a display.

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "import/StandardDescriptors.h"
#include "report/Report.h"

int main(int argc, char* argv[]) {
    kalvor::openClosedStandardDescriptors();
    // A file size limit makes a write fail, and the picture is removed, instead of
    // ending the program in the middle of one.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kalvor::reportMain(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
