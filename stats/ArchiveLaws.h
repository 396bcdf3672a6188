#pragma once
// An archive on trial: the laws of all its files together (the law of series, the
// blocks of 37 throws, the 37 numbers), and one verdict over the archive's tests,
// each valid under a fair wheel, combined by Holm's step-down method so that a fair
// wheel is accused with a chance of at most the level, whatever the tests' ties.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "stats/ArchiveSummary.h"
#include "stats/Tally.h"

namespace kalvor {

// Pearson's chi-square over classes that each expect at least five.
struct ChiSquareTest {
    bool done = false;  // false: fewer than two such classes
    unsigned classes = 0, degrees = 0;
    double chiSquare = 0;
    double logPValue = 0;
};

// The expected number of series of at least k steps in m fair steps:
// (m - k + 2) / 2^k for 1 <= k <= m, 0 beyond. Of exactly k: (m - k + 3) / 2^(k+1)
// for k < m and 2^(1-m) for k = m.
double seriesAtLeast(uint64_t m, uint64_t k);

class ArchiveLaws {
public:
    // A file's tallies over all its throws.
    void add(const SideTally& side, const NumberTally& numbers);
    uint64_t files() const { return files_; }

    // Series of exactly k steps over all files, both sides, against the sum over the
    // files of their expectation, for k = 1 to the longest seen (lengths no file
    // reached and a fair wheel expects less than 1e-6 of are left out).
    struct SeriesLine {
        uint64_t length, observed;
        double expected;
    };
    std::vector<SeriesLine> seriesLines() const;
    // The law of series as a test: lengths 1, 2, ... as classes while each and the
    // rest expect five, the rest one class. The counts of a renewal process are
    // tighter than a multinomial's in their sum, so Pearson's statistic is at most a
    // chi-square with as many degrees as classes (one more than the multinomial's):
    // the p-value errs on the safe side.
    ChiSquareTest seriesTest() const;

    // The complete blocks of 37 throws of each file by their different numbers,
    // against the occupancy law (d where it gives less than 1e-6 and no block fell
    // are left out).
    struct BlockLine {
        unsigned different;
        uint64_t observed;
        double expected;
    };
    std::vector<BlockLine> blockLines() const;
    ChiSquareTest blockTest() const;  // classes joined up to five, one degree less than classes

    // The counts of the numbers 0-36 over the archive, and their test (36 degrees,
    // from kFewestForChiSquare throws on).
    const std::array<uint64_t, 37>& numberCounts() const { return joined_.counts(); }
    uint64_t numberThrows() const { return joined_.throws(); }
    ChiSquareTest numbersTest() const;

    // All files' numbers as one permanence, in the order they were added.
    const NumberTally& joinedNumbers() const { return joined_; }

private:
    uint64_t files_ = 0;
    std::map<uint64_t, uint64_t> lengths_;  // steps -> files
    std::map<uint64_t, uint64_t> series_;   // length -> series
    NumberTally joined_;
};

// The archive's tests, in the order they are listed.
enum class ArchiveTest : unsigned {
    Balance,      // the joined walk's end: P(|S_m| >= |e|)
    Numbers,      // the 37 numbers' counts
    SeriesCount,  // the joined walk's number of series, given its two sides' counts
    SeriesLaw,    // the law of series
    Deviations,   // the files' P Abweichung (ArchiveSummary::fit)
    Blocks,       // the blocks of 37
    TimeOnSide,   // the joined walk's time on right's side
};
inline constexpr std::size_t kArchiveTestCount = 7;

struct TestOutcome {
    ArchiveTest test = ArchiveTest::Balance;
    bool done = false;
    double logPValue = 0;
    double threshold = 0;  // Holm's level for its rank among the tests done
    bool rejected = false;
};

struct ArchiveVerdict {
    double level = kVerdictLevel;
    std::array<TestOutcome, kArchiveTestCount> tests;  // in the order of ArchiveTest
    unsigned done = 0;
    bool rejected() const;
    // The test done with the smallest p-value; none when none was done.
    const TestOutcome* smallest() const;
};

// Holm's step-down: the tests done sorted by p-value, the i-th of K (from 1) rejected
// when it and every one before it lie at or below level / (K - i + 1).
ArchiveVerdict holmVerdict(const std::array<std::optional<double>, kArchiveTestCount>& logPValues,
                           double level = kVerdictLevel);

// The verdict on an archive: its files' deviations, their laws, and all files as one walk.
ArchiveVerdict archiveVerdict(const ArchiveSummary& deviations, const ArchiveLaws& laws, const SideTally& joined,
                              double level = kVerdictLevel);

}  // namespace kalvor
