// kalvor1-report: the archive report, without a display.

#include <unistd.h>

#include <csignal>
#include <exception>
#include <iostream>
#include <new>
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
    // The report's one exception barrier: whatever escapes a run ends it with a
    // message and a failure status, never with an abort.
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return kalvor::reportMain(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
    } catch (const std::bad_alloc&) {
        std::cerr << "kalvor1-report: Der Arbeitsspeicher reicht nicht; der Bericht wurde abgebrochen.\n";
    } catch (const std::exception& e) {
        std::cerr << "kalvor1-report: Der Bericht wurde abgebrochen: " << e.what() << "\n";
    }
    return kalvor::kSomeRefused;
}
