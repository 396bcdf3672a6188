// Imports one file as "OK" does and reports what came of it, how long it took and
// the peak memory of the process: for files too large to keep beside the suite
// (a sparse 4 GB file of zero bytes, hundreds of megabytes of commas).
//   import_file PATH

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/Random.h"
#include "app/Window.h"
#include "import/LocalFileSystem.h"
#include "tests/support/Fakes.h"

namespace {

long peakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* outcomeName(kalvor::PermanenceRead::Outcome outcome) {
    switch (outcome) {
    case kalvor::PermanenceRead::Outcome::Read: return "imported";
    case kalvor::PermanenceRead::Outcome::Empty: return "refused: empty";
    case kalvor::PermanenceRead::Outcome::NotPermanence: return "refused: no permanence";
    case kalvor::PermanenceRead::Outcome::Unreadable: return "refused: unreadable";
    case kalvor::PermanenceRead::Outcome::TooLarge: return "refused: too large";
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: import_file /absolute/path.txt\n");
        return 2;
    }
    kalvor::testing::FakePlatform platform;
    kalvor::ClockRandom random;
    kalvor::LocalFileSystem disk;
    kalvor::NoPrinter printer;
    kalvor::Window form({platform, random, disk, printer});
    kalvor::ImportPanel& panel = form.panel();
    const long before = peakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    const auto result = panel.importFile(argv[1]);
    const auto outcome = result ? result->outcome : kalvor::PermanenceRead::Outcome::Unreadable;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = peakKilobytes();
    std::printf("%s; %.0f numbers; %.2f s; peak memory %.1f MB (%.1f MB before the import)\n", outcomeName(outcome),
                form.state().zeilen, seconds, static_cast<double>(peak) / 1024.0, static_cast<double>(before) / 1024.0);
    for (const std::string& notice : platform.notices) std::printf("message: %s\n", notice.c_str());
    return 0;
}
