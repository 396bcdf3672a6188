#pragma once
// Prints every benchmark as a ratio against the baseline measured in the same run,
// so the figures compare across machines. A benchmark named "X/..." is compared
// with the one named "X_baseline/...".

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace kalvor::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.error_occurred == false) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nRatios against the baselines of this run:\n");
        for (const auto& [name, time] : times_) {
            const auto slash = name.find('/');
            const std::string head = name.substr(0, slash);
            if (head.ends_with("_baseline")) continue;
            const std::string tail = slash == std::string::npos ? "" : name.substr(slash);
            const auto base = times_.find(head + "_baseline" + tail);
            if (base == times_.end() || base->second <= 0) continue;
            std::printf("  %-40s %6.2fx\n", name.c_str(), time / base->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

inline int runWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace kalvor::bench
