#include "stats/FairWalk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "stats/LogTerms.h"

namespace kalvor {
namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();

// ln(C(m, j) / 2^m), to the last few bits of a double for every m.
double logHalfBinomial(uint64_t m, uint64_t j) {
    if (j > m) return kNone;
    const double n = static_cast<double>(m);
    if (j == 0 || j == m) return -n * std::numbers::ln2;
    const double k = static_cast<double>(j), rest = static_cast<double>(m - j);
    return stirlingError(n) - stirlingError(k) - stirlingError(rest) - deviance(k, n / 2) - deviance(rest, n / 2) +
           0.5 * std::log(n / (2 * std::numbers::pi * k * rest));
}

// ln sum over x >= from with x = m (mod 2) of weight(x) P(S_m = x); from >= 1, so the
// terms fall from the first on, and weights lie in 0..2 with the first one positive.
template <typename Weight>
double logWeightedTail(uint64_t m, uint64_t from, Weight weight) {
    if ((m + from) % 2 != 0) ++from;
    if (from > m) return kNone;
    uint64_t j = (m + from) / 2;  // red steps of a walk ending at x
    const double first = logHalfBinomial(m, j);
    double sum = 0, term = 1;
    for (uint64_t x = from;; x += 2) {
        sum += weight(x) * term;
        if (j == m) break;
        const double ratio = static_cast<double>(m - j) / static_cast<double>(j + 1);
        term *= ratio;
        ++j;
        // The rest is below 2 term / (1 - ratio).
        if (term == 0 || 2 * term < 1e-18 * sum * (1 - ratio)) break;
    }
    return std::min(0.0, first + std::log(sum));
}

}  // namespace

double logEndAt(uint64_t m, int64_t x) {
    const uint64_t distance = x < 0 ? 0 - static_cast<uint64_t>(x) : static_cast<uint64_t>(x);
    if (distance > m || (m + distance) % 2 != 0) return kNone;
    return logHalfBinomial(m, (m + distance) / 2);
}

double logMaxAtLeast(uint64_t m, uint64_t h) {
    if (h == 0) return 0;
    return logWeightedTail(m, h, [h](uint64_t x) { return x == h ? 1.0 : 2.0; });
}

double logAbsMaxAtLeast(uint64_t m, uint64_t a) {
    if (a == 0) return 0;
    const double tail = logWeightedTail(m, a, [a](uint64_t x) {
        const uint64_t q = x / a;
        if (x % a == 0 && q % 2 == 1) return 1.0;   // on (2j+1)a
        return ((q + 1) / 2) % 2 == 1 ? 2.0 : 0.0;  // inside ((2k-1)a, (2k+1)a): 1 + (-1)^(k+1)
    });
    return std::min(0.0, std::numbers::ln2 + tail);
}

double logReturnsAtMost(uint64_t m, uint64_t r) {
    const uint64_t n = m / 2;
    if (r >= n) return 0;
    const double first = logHalfBinomial(2 * n, n);  // P(N_m = 0)
    double sum = 0, term = 1;
    for (uint64_t i = 0; i <= r; ++i) {
        sum += term;
        // P(N_m = i+1) / P(N_m = i) = 2 (n-i) / (2n-i), at most 1: the terms fall.
        term *= 2 * static_cast<double>(n - i) / static_cast<double>(2 * n - i);
        if (term == 0 || term * static_cast<double>(r - i) < 1e-18 * sum) break;
    }
    return std::min(0.0, first + std::log(sum));
}

double logAbsEndAtLeast(uint64_t m, uint64_t e) {
    if (e == 0) return 0;
    return std::min(0.0, std::numbers::ln2 + logWeightedTail(m, e, [](uint64_t) { return 1.0; }));
}

std::optional<std::array<double, kFairChanceCount>> fairChances(const WalkFigures& w) {
    const uint64_t m = w.steps();
    if (m == 0) return std::nullopt;
    const auto magnitude = [](int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); };
    const uint64_t h = magnitude(w.high), t = magnitude(w.low);
    return std::array<double, kFairChanceCount>{logMaxAtLeast(m, h), logMaxAtLeast(m, t),
                                                logAbsMaxAtLeast(m, std::max(h, t)), logReturnsAtMost(m, w.returns),
                                                logAbsEndAtLeast(m, magnitude(w.position))};
}

}  // namespace kalvor
