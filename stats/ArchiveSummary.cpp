#include "stats/ArchiveSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "stats/FairWalk.h"

namespace kalvor {
namespace {

constexpr double kFewest = 5;  // files a class of the test must expect
// Beyond a deviation a fair wheel expects fewer files of, the table gives only the
// tens that files reached.
constexpr double kFewestShown = 1e-9;

}  // namespace

double logUpperGamma(double s, double x) {
    if (x <= 0) return 0;
    const double logPrefix = -x + s * std::log(x) - std::lgamma(s);
    if (x < s + 1) {
        // The lower function's series; the upper one is its complement, not small here.
        double term = 1 / s, sum = term;
        for (int n = 1; n < 100000; ++n) {
            term *= x / (s + n);
            sum += term;
            if (term < sum * 1e-17) break;
        }
        return std::log1p(-std::min(1.0, std::exp(logPrefix + std::log(sum))));
    }
    // The continued fraction, by Lentz's method; kept as a logarithm, since a
    // biased archive's figure lies far below the doubles.
    constexpr double tiny = 1e-300;
    double b = x + 1 - s, c = 1 / tiny, d = 1 / b, f = d;
    for (int i = 1; i < 100000; ++i) {
        const double an = -i * (i - s);
        b += 2;
        d = an * d + b;
        if (std::abs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny) c = tiny;
        d = 1 / d;
        const double delta = d * c;
        f *= delta;
        if (std::abs(delta - 1) < 1e-16) break;
    }
    return std::min(0.0, logPrefix + std::log(f));
}

void ArchiveSummary::add(uint64_t m, uint64_t deviation) {
    if (m == 0) return;
    ++files_;
    ++seen_[{m, deviation}];
    ++lengths_[m];
}

double ArchiveSummary::chance(uint64_t m, uint64_t deviation) const {
    const auto [it, added] = cache_.try_emplace({m, deviation}, 0.0);
    if (added) it->second = std::exp(logAbsMaxAtLeast(m, deviation));
    return it->second;
}

std::vector<ArchiveSummary::Line> ArchiveSummary::lines() const {
    std::set<uint64_t> reached;  // the tens files reached
    for (const auto& [key, count] : seen_)
        if (key.second >= 10) reached.insert(key.second / 10 * 10);
    const uint64_t top = reached.empty() ? 0 : *reached.rbegin();
    std::vector<Line> result;
    for (uint64_t from = 10;;) {
        Line line{from, 0, 0};
        for (const auto& [m, count] : lengths_) line.expected += static_cast<double>(count) * chance(m, from);
        if (line.expected < 1 && from > top) break;
        for (const auto& [key, count] : seen_)
            if (key.second >= from) line.observed += count;
        result.push_back(line);
        if (line.expected >= kFewestShown) {
            from += 10;
            continue;
        }
        // Far out, where a fair wheel expects next to nothing, only the tens reached.
        const auto next = reached.upper_bound(from);
        if (next == reached.end()) break;
        from = *next;
    }
    return result;
}

ArchiveSummary::Fit ArchiveSummary::fit() const {
    constexpr int kClasses = 10;
    std::vector<double> observed(kClasses, 0.0), expected(kClasses, 0.0);
    auto classOf = [](double p) {
        int k = 0;
        while (k + 1 < kClasses && p > (k + 1) / static_cast<double>(kClasses)) ++k;
        return k;
    };
    for (const auto& [key, count] : seen_)
        observed[static_cast<size_t>(classOf(chance(key.first, key.second)))] += static_cast<double>(count);
    for (const auto& [m, count] : lengths_) {
        // P(P Abweichung <= c) = P(A >= a_c), a_c the least deviation whose chance is
        // at most c; the chances fall with the deviation, from 1 at 1 to 0 beyond m.
        double below = 0;  // the chance of the classes before
        for (int k = 0; k < kClasses; ++k) {
            double atMost = 1;
            if (k + 1 < kClasses) {
                const double edge = (k + 1) / static_cast<double>(kClasses);
                uint64_t lo = 1, hi = m + 1;  // chance(lo) > edge >= chance(hi)
                if (chance(m, lo) <= edge) hi = lo;
                while (hi - lo > 1) {
                    const uint64_t mid = lo + (hi - lo) / 2;
                    (chance(m, mid) > edge ? lo : hi) = mid;
                }
                atMost = hi > m ? 0 : chance(m, hi);
            }
            expected[static_cast<size_t>(k)] += static_cast<double>(count) * (atMost - below);
            below = atMost;
        }
    }
    Fit fit;
    for (size_t k = 0; k < expected.size(); ++k) {
        if (fit.expected.empty() || fit.expected.back() >= kFewest) {
            fit.expected.push_back(0);
            fit.observed.push_back(0);
        }
        fit.expected.back() += expected[k];
        fit.observed.back() += observed[k];
    }
    if (fit.expected.size() > 1 && fit.expected.back() < kFewest) {
        fit.expected[fit.expected.size() - 2] += fit.expected.back();
        fit.observed[fit.observed.size() - 2] += fit.observed.back();
        fit.expected.pop_back();
        fit.observed.pop_back();
    }
    fit.classes = static_cast<unsigned>(fit.expected.size());
    if (fit.classes < 2 || fit.expected.front() < kFewest) {
        fit.classes = 0;
        return fit;
    }
    for (size_t k = 0; k < fit.expected.size(); ++k) {
        const double d = fit.observed[k] - fit.expected[k];
        fit.chiSquare += d * d / fit.expected[k];
    }
    fit.logPValue = logUpperGamma((fit.classes - 1) / 2.0, fit.chiSquare / 2);
    fit.done = true;
    return fit;
}

}  // namespace kalvor
