// kalvor1-report over an archive of 1,460 permanences of 300 numbers each (four
// years of one table), on one core and on all of them, against a plain loop that
// reads every file twice, line by line, as the import's two passes do; and the
// report with charts, with its page and with its probabilities against the report
// without them. The charts of 2,000 files also against their floor: the report
// without pictures plus a bare loop that writes as many new files of their size.
// The laws' file against the report without it, on the same archive, on one of
// days of 200 to 500 numbers, as a table's days differ, and on ten times as many
// such days.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
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

// 2,000 files of the same kind, for the charts against the disk.
struct ChartArchive {
    ChartArchive() {
        std::mt19937 engine(815);
        fs::create_directories(dir);
        for (int f = 0; f < 2000; ++f)
            kalvor::bench::writePermanence(dir / ("tag_" + std::to_string(10000 + f) + ".txt"), 1,
                                           "Tag " + std::to_string(f + 1), kNumbers, engine);
    }
    kalvor::bench::ScratchDirectory scratch;
    const fs::path dir = scratch.path / "archiv";
    const fs::path charts = scratch.path / "bilder";
};

const ChartArchive& chartArchive() {
    static const ChartArchive a;
    return a;
}

kalvor::ReportOptions chartOptions(bool withCharts) {
    kalvor::ReportOptions options;
    options.paths = {chartArchive().dir.native()};
    options.jobs = 1;
    if (withCharts) options.chartDirectory = chartArchive().charts.native();
    return options;
}

void runOnce(benchmark::State& st, const kalvor::ReportOptions& options) {
    std::ostringstream csv, err;
    if (kalvor::runReport(options, csv, err) != kalvor::kAllRead) st.SkipWithError("a file was refused");
    benchmark::DoNotOptimize(csv.str().size());
}

void emptyChartFolder() {
    fs::remove_all(chartArchive().charts);
    fs::create_directories(chartArchive().charts);
}

// The floor: the report without pictures, then as many new files of the pictures'
// sizes written as plainly as the system allows.
void ChartFloor_baseline(benchmark::State& st) {
    std::vector<std::size_t> sizes;
    emptyChartFolder();
    runOnce(st, chartOptions(true));
    for (const auto& entry : fs::directory_iterator(chartArchive().charts)) sizes.push_back(entry.file_size());
    const std::string bytes(*std::max_element(sizes.begin(), sizes.end()), 'x');
    for (auto _ : st) {
        st.PauseTiming();
        emptyChartFolder();
        st.ResumeTiming();
        runOnce(st, chartOptions(false));
        const int dir = ::open(chartArchive().charts.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string name = "bild" + std::to_string(i) + ".png";
            const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, bytes.data(), sizes[i]) != static_cast<ssize_t>(sizes[i]))
                st.SkipWithError("cannot write");
            ::close(fd);
        }
        ::close(dir);
    }
}

// Into an empty folder.
void ChartFloor(benchmark::State& st) {
    for (auto _ : st) {
        st.PauseTiming();
        emptyChartFolder();
        st.ResumeTiming();
        runOnce(st, chartOptions(true));
    }
}

// Into the folder of the run before, whose pictures are all there already.
void ChartRerun_baseline(benchmark::State& st) { ChartFloor_baseline(st); }
void ChartRerun(benchmark::State& st) {
    emptyChartFolder();
    runOnce(st, chartOptions(true));
    for (auto _ : st) runOnce(st, chartOptions(true));
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
BENCHMARK(ChartFloor_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChartFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChartRerun_baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChartRerun)->Unit(benchmark::kMillisecond)->UseRealTime();
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
    chartArchive();
    variedArchive();
    largeArchive();
    return kalvor::bench::runWithRatios(argc, argv);
}
