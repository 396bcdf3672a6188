#pragma once
// Exact probabilities of a symmetric simple random walk S_0 = 0, S_1, ..., S_m: what
// a fair wheel gives for a permanence's walk of m red and black steps.
//
// Every figure is a sum of binomial probabilities P(S_m = x) = C(m, (m+x)/2) / 2^m
// with non-negative weights, started from a term computed in log space (Stirling
// with the exact error terms) and continued by the ratio of neighbouring terms
// until the rest cannot change the sum. The cost grows with sqrt(m), not with m,
// and figures far below the smallest double keep their digits: they are returned
// as natural logarithms.

#include <array>
#include <cstdint>
#include <optional>

#include "stats/Walk.h"

namespace kalvor {

// ln P(S_m = x); -infinity where the walk cannot end at x.
double logEndAt(uint64_t m, int64_t x);

// ln P(max_{k<=m} S_k >= h): 2 P(S_m > h) + P(S_m = h) for h >= 1 (reflection), 1 for h = 0.
double logMaxAtLeast(uint64_t m, uint64_t h);

// ln P(max_{k<=m} |S_k| >= a): the reflection series at -a and +a, summed as
// 2 sum_{x>=a} c(x) P(S_m = x) with c = 1 on the odd multiples of a and, between
// them, 2 on ((4j+1)a, (4j+3)a) and 0 on ((4j+3)a, (4j+5)a).
double logAbsMaxAtLeast(uint64_t m, uint64_t a);

// ln P(N_m <= r), N_m the number of k in 1..m with S_k = 0. With n = floor(m/2),
// P(N_m = i) = P(S_{2n-i} = i) = C(2n-i, n) / 2^(2n-i) for i = 0..n.
double logReturnsAtMost(uint64_t m, uint64_t r);

// ln P(|S_m| >= e).
double logAbsEndAtLeast(uint64_t m, uint64_t e);

// The five figures of a walk under a fair wheel, as natural logarithms, in the
// report's column order: P(max S >= h), P(max -S >= t), P(max |S| >= max(h, t)),
// P(N_m <= r), P(|S_m| >= |e|). Nothing for a walk without steps.
enum FairChance : std::size_t {
    kHighChance,
    kLowChance,
    kDeviationChance,
    kReturnsChance,
    kEndChance,
    kFairChanceCount
};
std::optional<std::array<double, kFairChanceCount>> fairChances(const WalkFigures& walk);

}  // namespace kalvor
