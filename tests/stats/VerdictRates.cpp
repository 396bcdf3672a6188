// How often the verdict rejects: 200 fair archives of 100 files of 300 throws, and
// 50 archives of 100 files for each biased wheel, with how often each test rejects.
// Not part of the suite; run as verdict_rates [FAIR [BIASED]] for other counts.

#include <cstdio>
#include <cstdlib>

#include "tests/stats/SimulatedArchive.h"

using namespace kalvor;
using kalvor::testing::simulateArchive;
using kalvor::testing::Wheel;

int main(int argc, char** argv) {
    struct Run {
        const char* name;
        Wheel wheel;
        int archives;
    };
    const int fair = argc > 1 ? std::atoi(argv[1]) : 200, biased = argc > 2 ? std::atoi(argv[2]) : 50;
    const Run kRuns[] = {{"fair", Wheel::Fair, fair},
                         {"18.5 red of 36", Wheel::RedHeavy, biased},
                         {"colour repeats with 0.53", Wheel::Repeating, biased},
                         {"one number 1.5/37", Wheel::HotNumber, biased}};
    constexpr const char* kTests[] = {"balance", "numbers", "series", "law of series", "deviations", "blocks", "time"};
    for (const Run& run : kRuns) {
        int rejected = 0;
        int byTest[kArchiveTestCount] = {};
        for (int a = 0; a < run.archives; ++a) {
            const ArchiveVerdict v = simulateArchive(run.wheel, 100, 300, 900'000 + static_cast<uint64_t>(a)).verdict();
            rejected += v.rejected();
            for (size_t t = 0; t < kArchiveTestCount; ++t) byTest[t] += v.tests[t].rejected;
        }
        std::printf("%-26s rejected %3d of %3d (%5.1f %%); by test:", run.name, rejected, run.archives,
                    100.0 * rejected / run.archives);
        for (size_t t = 0; t < kArchiveTestCount; ++t) std::printf(" %s %d", kTests[t], byTest[t]);
        std::printf("\n");
    }
    return 0;
}
