// The page of a decade's archive, measured as the suite measures it but on the
// optimised build and over more rounds: its size, its load event in headless
// Chromium against a plain table of the same rows (the two loaded by turns), and
// how long a click on a column's head takes to sort it.
//   page_measure [FILES [ROUNDS]]      defaults: 21900 files of 300 numbers, 5 rounds

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchFiles.h"
#include "report/Report.h"
#include "tests/support/PageMeasure.h"

int main(int argc, char** argv) {
    const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 21900;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (!kalvor::testing::haveChromium()) {
        std::fprintf(stderr, "page_measure: chromium is missing\n");
        return 1;
    }
    kalvor::bench::ScratchDirectory scratch;
    kalvor::testing::writeArchive(scratch.path / "archiv", files, 300, 2026);
    const std::string page = (scratch.path / "bericht.html").string();
    std::ostringstream csv, err;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> arguments{"--html", page, (scratch.path / "archiv").string()};
    if (kalvor::reportMain(arguments, csv, err) != kalvor::kAllRead) {
        std::fprintf(stderr, "%s", err.str().c_str());
        return 1;
    }
    const double reportSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string html = kalvor::testing::fileText(page);
    const auto figures = kalvor::testing::measurePage(html, csv.str(), scratch.path, rounds);
    if (!figures) {
        std::fprintf(stderr, "page_measure: a page did not load\n");
        return 1;
    }
    const size_t plainBytes = kalvor::testing::plainTable(csv.str()).size();
    std::printf("%zu files of 300 numbers; report with --html %.1f s\n", files, reportSeconds);
    std::printf("page %zu bytes (%.2f MB), plain table %zu bytes\n", html.size(),
                static_cast<double>(html.size()) / 1e6, plainBytes);
    std::printf("load event: page %.0f ms, plain table %.0f ms (medians of %d), ratio %.2f\n", figures->load,
                figures->plainLoad, rounds, figures->ratio());
    std::printf(
        "sorting (ms, slowest of %d runs): P Abweichung %.0f, again %.0f, Datei %.0f, Kopfzeile 2 %.0f, "
        "Anzahl akut %.0f\n",
        rounds, figures->sorts.at(0), figures->sorts.at(1), figures->sorts.at(2), figures->sorts.at(3),
        figures->sorts.at(4));
    return 0;
}
