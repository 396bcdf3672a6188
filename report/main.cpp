// kalvor1-report: the archive report, without a display.

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "report/Report.h"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    // The report's one exception barrier: whatever escapes a run ends it with a
    // message and a failure status, never with an abort.
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return kalvor::reportMain(arguments, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "kalvor1-report: Der Arbeitsspeicher reicht nicht; der Bericht wurde abgebrochen.\n";
    } catch (const std::exception& e) {
        std::cerr << "kalvor1-report: Der Bericht wurde abgebrochen: " << e.what() << "\n";
    }
    return kalvor::kSomeRefused;
}
