#pragma once
// The laws of one permanence (or of all as one): what its tallies counted, each with
// the exact chance of a fair wheel to show as much, as natural logarithms. NaN stands
// for a figure the permanence has none of (no step, too few throws).

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "stats/Tally.h"

namespace kalvor {

// Below this many throws a number expects fewer than five, and the chi-square law of
// the 37 counts does not hold.
inline constexpr uint64_t kFewestForChiSquare = 185;

inline constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

struct FileLaws {
    // The even chance's steps.
    uint64_t steps = 0, returns = 0, series = 0;
    uint64_t longestLeft = 0, longestRight = 0, longestAlternation = 0, timeRight = 0;
    double logPSeries = kNoFigure;       // two-sided, given the two sides' counts
    double logPLongest = kNoFigure;      // P(longest series >= the longer one seen)
    double logPAlternation = kNoFigure;  // P(longest intermittence >= the one seen)
    double logPTime = kNoFigure;         // two-sided, discrete arcsine law
    // The throws 0-36.
    uint64_t numbers = 0;
    double chiSquare = kNoFigure, logPNumbers = kNoFigure;  // 36 degrees of freedom
    // Ties go to the smallest number. Meaningful only with throws.
    unsigned hottest = 0, coldest = 0, absent = 0;
    uint64_t hotCount = 0, coldCount = 0, longestAbsence = 0;
    double logPHot = kNoFigure;         // P(largest count >= hotCount)
    double logPCold = kNoFigure;        // P(smallest count <= coldCount)
    double logPAbsence = kNoFigure;     // 37 P(one given number absent that long), at most 1
    std::optional<unsigned> different;  // among the first 37 throws
    double logPDifferent = kNoFigure;   // two-sided, the occupancy law
};

// The laws that depend only on the length of a permanence, kept once computed: an
// archive's files mostly have a few lengths. Shared by the threads that replay files;
// its size is bounded, so that it stays small over any archive.
class LawCache {
public:
    template <typename Compute>
    double get(unsigned law, uint64_t a, uint64_t b, Compute compute) {
        const Key key{law, a, b};
        {
            const std::lock_guard lock(mutex_);
            if (const auto it = values_.find(key); it != values_.end()) return it->second;
        }
        const double value = compute();  // outside the lock: another thread may do the same
        const std::lock_guard lock(mutex_);
        if (values_.size() >= kMostValues) values_.clear();
        values_.emplace(key, value);
        return value;
    }

private:
    static constexpr std::size_t kMostValues = std::size_t{1} << 16;
    struct Key {
        unsigned law;
        uint64_t a, b;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            return std::hash<uint64_t>()(k.a * 0x9E3779B97F4A7C15ULL ^ (k.b + k.law * 0xC2B2AE3D27D4EB4FULL));
        }
    };
    std::mutex mutex_;
    std::unordered_map<Key, double, KeyHash> values_;
};

// Pearson's statistic of the 37 counts against n/37 each.
double numbersChiSquare(const std::array<uint64_t, 37>& counts, uint64_t throws);

// P(different numbers in 37 throws = d), d = 0..37.
const std::vector<double>& thirdsLaw();

FileLaws fileLaws(const SideTally& side, const NumberTally& numbers, LawCache* cache = nullptr);

}  // namespace kalvor
