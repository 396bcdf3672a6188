#pragma once
// Prints every benchmark as a ratio against the baseline measured in the same run,
// so the figures compare across machines. A benchmark named "X/..." is compared
// with the one named "X_baseline/...". With repetitions, the medians are compared.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

namespace kalvor::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a saved log stays plain text.
    RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[run.run_name.str()] = run.GetAdjustedRealTime();
            } else {
                times_[run.run_name.str()] = run.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, time] : medians_) times_[name] = time;
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
    std::map<std::string, double> medians_;
};

inline int runWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace kalvor::bench
