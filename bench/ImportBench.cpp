// The import of a 10-million-number permanence through the panel's "OK", against a
// plain loop that reads the same file twice, line by line, as the import's two
// passes do. The import also reports the memory it took at its peak, per number.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tests/support/Fakes.h"
#include "bench/BenchFiles.h"
#include "bench/RatioReporter.h"
#include "core/Random.h"
#include "app/Window.h"
#include "import/LocalFileSystem.h"

namespace {

namespace fs = std::filesystem;

constexpr int kNumbers = 10000000;
constexpr const char* kFileName = "bench.txt";

// A permanence in the published layout: header, one number a line, dashes every
// hour, "=" at the end.
struct PermanenceFile {
    PermanenceFile() {
        std::mt19937 engine(4711);
        kalvor::bench::writePermanence(dir / kFileName, 1, "Freitag 27.11.2026", kNumbers, engine);
    }
    kalvor::bench::ScratchDirectory scratch;
    const fs::path& dir = scratch.path;
};

const PermanenceFile& permanenceFile() {
    static const PermanenceFile file;
    return file;
}

void Import_baseline(benchmark::State& st) {
    const std::string path = permanenceFile().dir / kFileName;
    for (auto _ : st) {
        std::size_t lines = 0;
        for (int pass = 0; pass < 2; ++pass) {
            std::ifstream in(path, std::ios::binary);
            std::string line;
            while (std::getline(in, line)) lines += !line.empty();
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(Import_baseline)->Unit(benchmark::kMillisecond);

// The process's peak resident memory so far, in bytes.
double peakMemory() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void Import(benchmark::State& st) {
    kalvor::testing::FakePlatform platform;
    kalvor::ClockRandom random;
    kalvor::LocalFileSystem disk;
    kalvor::NoPrinter printer;
    // The panel starts in the working directory: the one holding the file.
    const fs::path before = fs::current_path();
    fs::current_path(permanenceFile().dir);
    kalvor::Window form({platform, random, disk, printer});
    fs::current_path(before);
    kalvor::Controls& c = form.controls();
    // The first import of the run raises the peak above everything before it: the
    // file was written and read line by line in small buffers. Later ones also
    // hold the previous list until the new one is complete.
    static const double peakBefore = peakMemory();
    static double firstPeak = 0;
    for (auto _ : st) {
        st.PauseTiming();
        c.okabbrechen.click();  // back to a window without an imported list
        c.okextern.click();
        c.File1.click(0);
        st.ResumeTiming();
        c.okexternok.click();
        if (form.state().zeilen != kNumbers) st.SkipWithError("the import did not read every number");
        if (firstPeak == 0) firstPeak = peakMemory();
    }
    st.counters["peak_bytes_per_number"] = (firstPeak - peakBefore) / kNumbers;
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    permanenceFile();
    return kalvor::bench::runWithRatios(argc, argv);
}
