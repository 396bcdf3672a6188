// kalvor1-report over an archive of 1,460 permanences of 300 numbers each (four
// years of one table), on one core and on all of them, against a plain loop that
// reads every file twice, line by line, as the import's two passes do; and the
// report with charts, with its page and with its probabilities against the report
// without them. The laws' file against the report without it, on the same archive,
// on one of days of 200 to 500 numbers, as a table's days differ, and on ten times
// as many such days.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchFiles.h"
#include "bench/RatioReporter.h"
#include "report/Report.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1460;
constexpr int kNumbers = 300;

struct Archive {
    // Days of kNumbers numbers, or of 200 to 500.
    explicit Archive(bool varied = false, int days = kFiles) {
        std::mt19937 engine(4711);
        for (int f = 0; f < days; ++f) {
            const fs::path path =
                dir / ("tisch" + std::to_string(f % 4 + 1) + "_" + std::to_string(10000 + f) + ".txt");
            const int numbers = varied ? 200 + static_cast<int>(engine() % 301) : kNumbers;
            kalvor::bench::writePermanence(path, f % 4 + 1, "Tag " + std::to_string(f / 4 + 1), numbers, engine);
            files.push_back(path.native());
        }
    }
    kalvor::bench::ScratchDirectory scratch;
    const fs::path& dir = scratch.path;
    std::vector<std::string> files;
};

const Archive& archive() {
    static const Archive a;
    return a;
}

const Archive& variedArchive() {
    static const Archive a(true);
    return a;
}

// Ten tables over four years: the laws that depend only on a day's length are
// computed for the first days of each length and kept for the others.
const Archive& largeArchive() {
    static const Archive a(true, 10 * kFiles);
    return a;
}

unsigned jobs(const benchmark::State& st) {
    return st.range(0) ? static_cast<unsigned>(st.range(0)) : std::max(1u, std::thread::hardware_concurrency());
}

// The same work at every job count: the plain read does not run in parallel.
void Report_baseline(benchmark::State& st) {
    for (auto _ : st) {
        std::size_t lines = 0;
        for (const std::string& path : archive().files) {
            for (int pass = 0; pass < 2; ++pass) {
                std::ifstream in(path, std::ios::binary);
                std::string line;
                while (std::getline(in, line)) lines += !line.empty();
            }
        }
        benchmark::DoNotOptimize(lines);
    }
}

void Report(benchmark::State& st) {
    kalvor::ReportOptions options;
    options.paths = {archive().dir.native()};
    options.jobs = jobs(st);
    for (auto _ : st) {
        std::ostringstream out, err;
        if (kalvor::runReport(options, out, err) != kalvor::kAllRead) st.SkipWithError("a file was refused");
        benchmark::DoNotOptimize(out.str().size());
    }
}

// What the pictures and the probabilities add to the report, on one core: each
// against the report without them.
enum Extra {
    kPlain,
    kWithoutProbabilities,
    kChart,
    kHtml,
    kDaysLaws,
    kLarge,
    kLargeLaws,
    kVaried,
    kLaws,
    kJoined,
    kJoinedLaws
};

void reportWith(benchmark::State& st, Extra extra) {
    kalvor::ReportOptions options;
    const Archive& files = extra >= kVaried ? variedArchive() : extra >= kLarge ? largeArchive() : archive();
    options.paths = {files.dir.native()};
    options.jobs = 1;
    const fs::path out = files.dir.parent_path() / (files.dir.filename().native() + "_out");
    options.archive.probabilities = extra != kWithoutProbabilities;
    if (extra == kChart) options.chartDirectory = (out / "bilder").native();
    if (extra == kHtml) options.archive.htmlPath = (out / "bericht.html").native();
    if (extra == kLaws || extra == kJoinedLaws || extra == kDaysLaws || extra == kLargeLaws)
        options.archive.lawsPath = (out / "gesetze.csv").native();
    options.archive.joined = extra == kJoined || extra == kJoinedLaws;
    fs::create_directories(out);
    for (auto _ : st) {
        std::ostringstream csv, err;
        if (kalvor::runReport(options, csv, err) != kalvor::kAllRead) st.SkipWithError("a file was refused");
        benchmark::DoNotOptimize(csv.str().size());
    }
    fs::remove_all(out);
}

void Chart_baseline(benchmark::State& st) { reportWith(st, kPlain); }
void Chart(benchmark::State& st) { reportWith(st, kChart); }
void Html_baseline(benchmark::State& st) { reportWith(st, kPlain); }
void Html(benchmark::State& st) { reportWith(st, kHtml); }
void Probabilities_baseline(benchmark::State& st) { reportWith(st, kWithoutProbabilities); }
void Probabilities(benchmark::State& st) { reportWith(st, kPlain); }
void DaysLaws_baseline(benchmark::State& st) { reportWith(st, kPlain); }
void DaysLaws(benchmark::State& st) { reportWith(st, kDaysLaws); }
void LargeLaws_baseline(benchmark::State& st) { reportWith(st, kLarge); }
void LargeLaws(benchmark::State& st) { reportWith(st, kLargeLaws); }
void Laws_baseline(benchmark::State& st) { reportWith(st, kVaried); }
void Laws(benchmark::State& st) { reportWith(st, kLaws); }
void JoinedLaws_baseline(benchmark::State& st) { reportWith(st, kJoined); }
void JoinedLaws(benchmark::State& st) { reportWith(st, kJoinedLaws); }

// Arguments: 1 is one core, 0 all cores.
BENCHMARK(Report_baseline)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Report)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Chart_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Chart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Html_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Html)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Probabilities_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Probabilities)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DaysLaws_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DaysLaws)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LargeLaws_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LargeLaws)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Laws_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Laws)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JoinedLaws_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JoinedLaws)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    archive();
    variedArchive();
    largeArchive();
    return kalvor::bench::runWithRatios(argc, argv);
}
