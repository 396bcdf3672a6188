// kalvor1-report: the archive report, without a display.

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "export/OutputFile.h"
#include "import/StandardDescriptors.h"
#include "report/Report.h"

namespace {

// The progress line is drawn over itself with "\r": only where the CSV cannot run
// into it, that is not on the terminal the lines go to.
bool progressFits() {
    if (::isatty(STDERR_FILENO) != 1) return false;
    if (::isatty(STDOUT_FILENO) != 1) return true;
    struct stat out {
    }, err{};
    return ::fstat(STDOUT_FILENO, &out) != 0 || ::fstat(STDERR_FILENO, &err) != 0 || out.st_rdev != err.st_rdev;
}

}  // namespace

int main(int argc, char* argv[]) {
    const unsigned closed = kalvor::openClosedStandardDescriptors();
    // A file size limit makes a write fail, and the picture is removed, instead of
    // ending the program in the middle of one.
    std::signal(SIGXFSZ, SIG_IGN);
    kalvor::removeScratchFilesOnSignals();
    std::ios::sync_with_stdio(false);
    // What would go to a closed standard output is lost: a failure, not a success.
    if (closed & kalvor::kStandardOutputClosed) std::cout.setstate(std::ios::badbit);
    // The report's one exception barrier: whatever escapes a run ends it with a
    // message and a failure status, never with an abort.
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return kalvor::reportMain(arguments, std::cout, std::cerr, progressFits());
    } catch (const std::bad_alloc&) {
        std::cerr << "kalvor1-report: Der Arbeitsspeicher reicht nicht; der Bericht wurde abgebrochen.\n";
    } catch (const std::exception& e) {
        std::cerr << "kalvor1-report: Der Bericht wurde abgebrochen: " << e.what() << "\n";
    }
    return kalvor::kSomeRefused;
}
