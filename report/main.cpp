// kalvor1-report: the archive report, without a display.

#include <iostream>
#include <string>
#include <vector>

#include "report/Report.h"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kalvor::reportMain(arguments, std::cout, std::cerr);
}
