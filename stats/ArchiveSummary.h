#pragma once
// An archive against a fair wheel: how many files reached each deviation against
// how many a fair wheel expects, and a test of fit of the files' "P Abweichung".
//
// The test: under a fair wheel a file's P Abweichung is not uniform, since the walk
// is discrete and its length differs from file to file. So the values are sorted
// into the classes (0, 0.1], (0.1, 0.2], ..., (0.9, 1], and each file adds to each
// class the exact chance that its own P Abweichung falls there; classes expecting
// fewer than five files are joined with their neighbour. Pearson's chi-square over
// these classes, with one degree of freedom less than classes, gives the p-value.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace kalvor {

class ArchiveSummary {
public:
    // A file whose walk has m >= 1 steps and reached max(h, t) = deviation.
    void add(uint64_t m, uint64_t deviation);
    uint64_t files() const { return files_; }

    struct Line {
        uint64_t from;      // "Abweichung ab"
        uint64_t observed;  // files whose max(h, t) reached it
        double expected;    // the sum over the files of P_m(max |S_k| >= from)
    };
    // from = 10, 20, 30, ... while a fair wheel expects at least one file, and on to
    // the largest deviation reached; where it expects fewer than 1e-9 files, only the
    // tens that files reached.
    std::vector<Line> lines() const;

    struct Fit {
        bool done = false;  // false: too few files for two classes of five
        unsigned classes = 0;
        double chiSquare = 0;
        double logPValue = 0;                    // natural logarithm
        std::vector<double> observed, expected;  // per class, after joining
    };
    Fit fit() const;

private:
    double chance(uint64_t m, uint64_t deviation) const;  // P_m(max |S_k| >= deviation), cached

    uint64_t files_ = 0;
    std::map<std::pair<uint64_t, uint64_t>, uint64_t> seen_;  // (m, deviation) -> files
    std::map<uint64_t, uint64_t> lengths_;                    // m -> files
    mutable std::map<std::pair<uint64_t, uint64_t>, double> cache_;
};

// ln Q(s, x), the upper regularized incomplete gamma function; the chi-square
// distribution with k degrees of freedom exceeds x with chance Q(k/2, x/2).
double logUpperGamma(double s, double x);

// The significance level of the archive's verdict.
inline constexpr double kVerdictLevel = 0.01;

}  // namespace kalvor
