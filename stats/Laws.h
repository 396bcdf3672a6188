#pragma once
// The exact laws of what system players count, under a fair wheel: the series and
// intermittences of an even chance, the time its walk spends on one side, and the
// counts, absences and occupancy of the 37 numbers. Like FairWalk, every figure is a
// natural logarithm summed from exact terms, so that figures far below the smallest
// double keep their digits; nothing is approximated by the normal distribution.

#include <cstdint>
#include <vector>

namespace kalvor {

// The numbers 0-36: the cells of the number laws.
inline constexpr unsigned kWheelNumbers = 37;

// The two tails of a statistic as logarithms: ln P(X <= x) and ln P(X >= x).
struct Tails {
    double logAtMost = 0;
    double logAtLeast = 0;
};

// min(1, 2 min(P(X <= x), P(X >= x))).
double logTwoSided(Tails tails);

// ln P(Bin(n, p) >= k) and ln P(Bin(n, p) <= k), 0 < p < 1.
double logBinomialAtLeast(uint64_t n, double p, uint64_t k);
double logBinomialAtMost(uint64_t n, double p, uint64_t k);

// The number of series (maximal runs of one side) among `left` and `right` steps in
// an order drawn at random, every order alike: the runs test given the two counts.
Tails seriesTails(uint64_t left, uint64_t right, uint64_t series);

// ln P(at least `length` successes in a row somewhere in `trials` independent trials
// that each succeed with chance q).
double logRunAtLeast(uint64_t trials, uint64_t length, double q);

// ln P(the longest series of either side in m fair steps has at least `length`
// steps). A series of L steps is L - 1 steps like the one before, an intermittence
// of L steps L - 1 steps unlike it, and each step is like the one before with chance
// 1/2 apart from all others: the same law serves the longest intermittence.
double logLongestAtLeast(uint64_t m, uint64_t length);

// Two-sided ln P for the time on one side: of the 2n steps of a fair walk, `above`
// (even) have their edge from S_{k-1} to S_k above the line; P(above = 2k) =
// u_{2k} u_{2n-2k} with u_{2j} = C(2j, j) / 4^j (the discrete arcsine law).
double logTimeTwoSided(uint64_t n, uint64_t above);

// The counts of `cells` equally likely numbers in n throws (a fair multinomial):
// ln P(every count lies in lo..hi).
double logAllCountsWithin(uint64_t n, uint64_t lo, uint64_t hi, unsigned cells = kWheelNumbers);
// ln P(the largest count >= c) and ln P(the smallest count <= c).
double logMaxCountAtLeast(uint64_t n, uint64_t c, unsigned cells = kWheelNumbers);
double logMinCountAtMost(uint64_t n, uint64_t c, unsigned cells = kWheelNumbers);

// ln P(one given number stays away for at least g throws in a row somewhere in n).
double logAbsenceAtLeast(uint64_t n, uint64_t g, unsigned cells = kWheelNumbers);

// P(exactly d different numbers in `draws` throws), d = 0..draws.
std::vector<double> occupancyLaw(unsigned draws, unsigned cells = kWheelNumbers);

// The band of counts a fair wheel keeps all its numbers in, n throws, with chance at
// least `level`: lo the largest with P(min < lo) <= (1 - level)/2, hi the smallest with
// P(max > hi) <= (1 - level)/2.
struct CountBand {
    uint64_t lo = 0, hi = 0;
};
CountBand fairCountBand(uint64_t n, double level, unsigned cells = kWheelNumbers);

}  // namespace kalvor
