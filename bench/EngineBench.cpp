// A 32,000-throw "Durchlauf" through the window model, against a bare loop that
// only draws and classifies the same numbers.

#include <benchmark/benchmark.h>

#include "tests/support/Fakes.h"
#include "bench/RatioReporter.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "app/Window.h"
#include "tests/support/FakeFileSystem.h"

namespace {

using kalvor::testing::FakePlatform;

constexpr int kThrows = 32000;

void Engine_baseline(benchmark::State& st) {
    const auto farbe = kalvor::wheelColours();
    kalvor::ClockRandom random;
    for (auto _ : st) {
        int red = 0, black = 0;
        for (int i = 0; i < kThrows; ++i) {
            random.seedFromClock();
            const int zahl = static_cast<int>(random.next() * 37.0);
            red += farbe[static_cast<size_t>(zahl)] == kalvor::kRed;
            black += farbe[static_cast<size_t>(zahl)] == kalvor::kBlack;
        }
        benchmark::DoNotOptimize(red + black);
    }
}
BENCHMARK(Engine_baseline)->Unit(benchmark::kMillisecond);

void Engine(benchmark::State& st) {
    FakePlatform platform;
    kalvor::ClockRandom random;
    kalvor::testing::MemoryFileSystem disk;
    kalvor::NoPrinter printer;
    for (auto _ : st) {
        st.PauseTiming();
        kalvor::Window form({platform, random, disk, printer});
        form.controls().Option1.select(kalvor::Mode::Durchlauf);
        form.controls().textanzahl.setText(std::to_string(kThrows));
        st.ResumeTiming();
        form.controls().okstart.click();
        benchmark::DoNotOptimize(form.state().akut);
    }
}
BENCHMARK(Engine)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return kalvor::bench::runWithRatios(argc, argv); }
