// The laws against independent references: every sequence of up to 20 steps and
// every permanence of a few throws of a small wheel counted, a second exact method
// for the counts of the 37 numbers, bounds for a long permanence, and seeded
// Monte-Carlo runs of a million samples, each within four standard errors.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "stats/ArchiveLaws.h"
#include "stats/FileLaws.h"
#include "stats/Laws.h"
#include "stats/LogTerms.h"
#include "stats/Tally.h"

using namespace kalvor;

namespace {

// splitmix64: fast, and the same sequence everywhere.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(static_cast<double>(next() >> 11) * 0x1p-53 * n); }
};

void expectNear(double logP, double exact, const std::string& what) {
    EXPECT_NEAR(std::exp(logP), exact, 1e-11 * exact + 1e-15) << what;
}

// Within four standard errors of a Monte-Carlo estimate from `samples` draws.
void expectWithin(double logP, double hits, double samples, const std::string& what) {
    const double p = std::exp(logP), f = hits / samples;
    EXPECT_LE(std::abs(f - p), 4 * std::sqrt(p * (1 - p) / samples) + 1e-12)
        << what << ": law " << p << ", drawn " << f;
}

// The figures of m steps (bit k set: step k on right's side), counted plainly.
struct PlainSide {
    unsigned left = 0, series = 0, longest = 0, alternation = 0, time = 0;
    std::array<unsigned, 65> lengths{};  // series by length
};

PlainSide plainSide(uint64_t steps, unsigned m) {
    const auto right = [&](unsigned k) { return (steps >> k & 1) != 0; };
    PlainSide s;
    for (unsigned i = 0; i < m;) {
        unsigned j = i;
        while (j < m && right(j) == right(i)) ++j;
        ++s.series;
        ++s.lengths[j - i];
        s.longest = std::max(s.longest, j - i);
        i = j;
    }
    for (unsigned i = 0; i < m;) {
        unsigned j = i + 1;
        while (j < m && right(j) != right(j - 1)) ++j;
        s.alternation = std::max(s.alternation, j - i);
        i = j;
    }
    int position = 0;
    for (unsigned k = 0; k < m; ++k) {
        s.left += !right(k);
        const int before = position;
        position += right(k) ? 1 : -1;
        if (k < m / 2 * 2 && (before > 0 || position > 0)) ++s.time;
    }
    return s;
}

}  // namespace

TEST(Laws, TheEvenChanceLawsAgreeWithEverySequenceUpTo20Steps) {
    for (unsigned m = 1; m <= 20; ++m) {
        if (m > 14 && m < 20) continue;                            // 14 and below, and 20: a million sequences
        std::map<std::pair<unsigned, unsigned>, double> bySeries;  // (left, series)
        std::vector<double> longest(m + 2), alternation(m + 2), time(m + 1), lengths(m + 1);
        for (uint32_t path = 0; path < (1u << m); ++path) {
            const PlainSide s = plainSide(path, m);
            if (m <= 12) {
                SideTally tally;
                for (unsigned k = 0; k < m; ++k) {
                    tally.play(path >> k & 1 ? ThrowKind::Right : ThrowKind::Left);
                    if (path % 3 == 0) tally.play(path % 2 ? ThrowKind::Zero : ThrowKind::NoSide);  // no steps
                }
                ASSERT_EQ(tally.left(), s.left);
                ASSERT_EQ(tally.series(), s.series);
                ASSERT_EQ(std::max(tally.longestLeft(), tally.longestRight()), s.longest);
                ASSERT_EQ(tally.longestAlternation(), s.alternation);
                ASSERT_EQ(tally.timeRight(), s.time);
                std::map<uint64_t, uint64_t> seen;
                for (unsigned k = 1; k <= m; ++k)
                    if (s.lengths[k]) seen[k] = s.lengths[k];
                ASSERT_EQ(tally.seriesLengths(), seen);
            }
            bySeries[{s.left, s.series}] += 1;
            longest[s.longest] += 1;
            alternation[s.alternation] += 1;
            time[s.time] += 1;
            for (unsigned k = 1; k <= m; ++k) lengths[k] += s.lengths[k];
        }
        const double all = std::ldexp(1.0, static_cast<int>(m));
        const std::string at = " m=" + std::to_string(m);
        // The runs test, given the left count.
        for (unsigned a = 0; a <= m; ++a) {
            std::vector<double> given(m + 2);
            double total = 0;
            for (unsigned r = 0; r <= m + 1; ++r) {
                const auto it = bySeries.find({a, r});
                given[r] = it == bySeries.end() ? 0 : it->second;
                total += given[r];
            }
            double below = 0;
            for (unsigned r = 0; r <= m + 1; ++r) {
                below += given[r];
                const Tails t = seriesTails(a, m - a, r);
                expectNear(t.logAtMost, below / total, "series <=" + at + " a=" + std::to_string(a));
                expectNear(t.logAtLeast, (total - below + given[r]) / total, "series >=" + at);
            }
        }
        double atLeast = 0, alternationAtLeast = 0;
        for (unsigned v = m + 1; v-- > 0;) {
            atLeast += longest[v];
            alternationAtLeast += alternation[v];
            expectNear(logLongestAtLeast(m, v), atLeast / all, "longest" + at + " L=" + std::to_string(v));
            expectNear(logLongestAtLeast(m, v), alternationAtLeast / all, "intermittence" + at);
        }
        double below = 0;
        for (unsigned x = 0; x <= m; ++x) {
            below += time[x];
            if (time[x] == 0) continue;
            double above = 0;
            for (unsigned y = x; y <= m; ++y) above += time[y];
            expectNear(logTimeTwoSided(m / 2, x), std::min(1.0, 2 * std::min(below, above) / all), "time" + at);
        }
        for (unsigned k = 1; k <= m; ++k)
            EXPECT_NEAR(seriesAtLeast(m, k) - seriesAtLeast(m, k + 1), lengths[k] / all, 1e-12)
                << "series of " << k << at;
    }
    // All of one side: 2^(1-m), far below the doubles for a long file.
    EXPECT_NEAR(logLongestAtLeast(5000, 5000), -4999 * std::log(2.0), 1e-9);
    EXPECT_NEAR(logAbsenceAtLeast(100000, 100000), 100000 * std::log(36.0 / 37), 1e-7);
}

TEST(Laws, TheEvenChanceLawsAgreeWithAMillionWalksOf64Steps) {
    constexpr double kSamples = 1e6;
    Random random{20260101};
    double longest7 = 0, alternation7 = 0, half = 0, timeAtMost10 = 0, fewSeries = 0, lengths5 = 0;
    for (int i = 0; i < static_cast<int>(kSamples); ++i) {
        const PlainSide s = plainSide(random.next(), 64);
        longest7 += s.longest >= 7;
        alternation7 += s.alternation >= 7;
        timeAtMost10 += s.time <= 10;
        lengths5 += s.lengths[5];
        if (s.left == 32) {
            ++half;
            fewSeries += s.series <= 28;
        }
    }
    expectWithin(logLongestAtLeast(64, 7), longest7, kSamples, "longest series");
    expectWithin(logLongestAtLeast(64, 7), alternation7, kSamples, "longest intermittence");
    // The two-sided time is twice the lower tail here.
    expectWithin(logTimeTwoSided(32, 10) - std::log(2.0), timeAtMost10, kSamples, "time on one side");
    expectWithin(seriesTails(32, 32, 28).logAtMost, fewSeries, half, "series given 32 each");
    // The mean number of series of five steps: their count has a variance below its mean.
    EXPECT_NEAR(lengths5 / kSamples, seriesAtLeast(64, 5) - seriesAtLeast(64, 6), 4 * std::sqrt(1.0 / kSamples));
}

TEST(Laws, TheNumberLawsAgreeWithEveryPermanenceOfASmallWheel) {
    for (const auto& [cells, n] : {std::pair{3u, 9u}, std::pair{4u, 8u}, std::pair{37u, 3u}}) {
        std::vector<double> largest(n + 1), smallest(n + 1), different(n + 1), absence(n + 1), anyAbsence(n + 1);
        uint64_t all = 1;
        for (unsigned i = 0; i < n; ++i) all *= cells;
        for (uint64_t code = 0; code < all; ++code) {
            std::vector<unsigned> counts(cells), last(cells, 0), gap(cells, 0);
            uint64_t c = code;
            for (unsigned t = 1; t <= n; ++t, c /= cells) {
                const auto x = static_cast<unsigned>(c % cells);
                ++counts[x];
                gap[x] = std::max(gap[x], t - last[x] - 1);
                last[x] = t;
            }
            for (unsigned x = 0; x < cells; ++x) gap[x] = std::max(gap[x], n - last[x]);
            largest[*std::max_element(counts.begin(), counts.end())] += 1;
            smallest[*std::min_element(counts.begin(), counts.end())] += 1;
            different[static_cast<size_t>(
                std::count_if(counts.begin(), counts.end(), [](unsigned k) { return k > 0; }))] += 1;
            absence[gap[0]] += 1;
            anyAbsence[*std::max_element(gap.begin(), gap.end())] += 1;
        }
        const std::string at = " cells=" + std::to_string(cells) + " n=" + std::to_string(n);
        const double total = static_cast<double>(all);
        double large = 0, small = 0, away = 0, anyAway = 0;
        std::vector<double> law = occupancyLaw(n, cells);
        for (unsigned v = n + 1; v-- > 0;) {
            large += largest[v];
            away += absence[v];
            anyAway += anyAbsence[v];
            expectNear(logMaxCountAtLeast(n, v, cells), large / total, "largest" + at + " c=" + std::to_string(v));
            expectNear(logAbsenceAtLeast(n, v, cells), away / total, "absence" + at + " g=" + std::to_string(v));
            EXPECT_LE(anyAway / total, cells * std::exp(logAbsenceAtLeast(n, v, cells)) + 1e-12) << "bound" << at;
            EXPECT_NEAR(law[v], different[v] / total, 1e-13) << "occupancy" << at;
        }
        for (unsigned v = 0; v <= n; ++v) {
            small += smallest[v];
            expectNear(logMinCountAtMost(n, v, cells), small / total, "smallest" + at + " c=" + std::to_string(v));
        }
    }
}

TEST(Laws, TheLargestAndSmallestCountAgreeWithACellByCellCount) {
    // P(some of i cells reaches c | t throws on them), cell by cell: the first cell
    // takes j of the t with chance Bin(t, 1/i), the others share the rest.
    const auto someCount = [](unsigned n, unsigned c, bool largest) {
        std::vector<long double> h(n + 1);
        for (unsigned t = 0; t <= n; ++t) h[t] = largest ? (t >= c) : (t <= c);
        for (unsigned i = 2; i <= 37; ++i) {
            std::vector<long double> next(n + 1);
            for (unsigned t = 0; t <= n; ++t) {
                long double sum = 0, term = std::pow(1 - 1.0L / i, static_cast<long double>(t));
                for (unsigned j = 0; j <= t; ++j) {
                    sum += term * ((largest ? j >= c : j <= c) ? 1.0L : h[t - j]);
                    term *= static_cast<long double>(t - j) / ((j + 1.0L) * (i - 1));
                }
                next[t] = sum;
            }
            h.swap(next);
        }
        return static_cast<double>(h[n]);
    };
    for (unsigned n : {50u, 300u}) {
        for (unsigned c = n / 37 + 1; c <= std::min(n, 60u); c += 3) {
            const double exact = someCount(n, c, true);
            EXPECT_NEAR(std::exp(logMaxCountAtLeast(n, c)), exact, 1e-11 * exact + 1e-14) << "n=" << n << " c=" << c;
        }
        for (unsigned c = 0; c < n / 37; ++c) {
            const double exact = someCount(n, c, false);
            EXPECT_NEAR(std::exp(logMinCountAtMost(n, c)), exact, 1e-11 * exact + 1e-14) << "n=" << n << " c=" << c;
        }
    }
}

TEST(Laws, ALongPermanencesLargestCountLiesBetweenItsBonferroniBounds) {
    // 200,000 throws: the convolution is taken by Fourier transforms. Where the chance
    // is small, S1 - S2 <= P <= S1, S1 = 37 P(Bin >= c) and S2 bounded as in the law.
    constexpr uint64_t n = 200'000;
    for (uint64_t c : {5600u, 5650u, 5700u}) {
        const double one = std::exp(logBinomialAtLeast(n, 1.0 / 37, c));
        const double upper = 37 * one, lower = upper - 666 * one * std::exp(logBinomialAtLeast(n - c, 1.0 / 36, c));
        const double p = -std::expm1(logAllCountsWithin(n, 0, c - 1));
        EXPECT_GE(p, lower * (1 - 1e-9) - 1e-13) << c;
        EXPECT_LE(p, upper * (1 + 1e-9) + 1e-13) << c;
        EXPECT_GT(lower, 0.9 * upper) << c;  // the bounds are close enough to say something
    }
    // Where the chance is near 0.01: S1 - S2 <= P <= S1 - S2 + S3, S2 summed exactly
    // over the first count, S3 bounded as for S2 above; 1e-4 of it apart at most.
    for (uint64_t c : {5645u, 5665u}) {
        const double one = std::exp(logBinomialAtLeast(n, 1.0 / 37, c));
        double pairs = 0;
        for (uint64_t j = c; j < c + 2000; ++j)
            pairs += std::exp(logBinomialTerm(n, j, 1.0 / 37) + logBinomialAtLeast(n - j, 1.0 / 36, c));
        const double lower = 37 * one - 666 * pairs;
        const double upper =
            lower +
            7770 * one * std::exp(logBinomialAtLeast(n - c, 1.0 / 36, c) + logBinomialAtLeast(n - 2 * c, 1.0 / 35, c));
        const double p = std::exp(logMaxCountAtLeast(n, c));
        EXPECT_GT(p, 1e-3) << c;
        EXPECT_GE(p, lower * (1 - 1e-9)) << c;
        EXPECT_LE(p, upper * (1 + 1e-9)) << c;
        EXPECT_LT(upper - lower, 1e-4 * p) << c;
    }
    // The smallest count of a long permanence: the same bounds from below.
    for (uint64_t c : {5100u, 5200u}) {
        const double one = std::exp(logBinomialAtMost(n, 1.0 / 37, c));
        const double upper = 37 * one, lower = upper - 666 * one * std::exp(logBinomialAtMost(n - c, 1.0 / 36, c));
        const double p = -std::expm1(logAllCountsWithin(n, c + 1, n));
        EXPECT_GE(p, lower * (1 - 1e-9) - 1e-13) << c;
        EXPECT_LE(p, upper * (1 + 1e-9) + 1e-13) << c;
    }
}

TEST(Laws, TheNumberLawsAgreeWithAMillionPermanencesOf74Throws) {
    constexpr double kSamples = 1e6;
    Random random{4711};
    double hot = 0, cold = 0, away = 0, anyAway = 0, few = 0, blockFew = 0;
    for (int i = 0; i < static_cast<int>(kSamples); ++i) {
        NumberTally tally;
        for (int t = 0; t < 74; ++t) tally.add(static_cast<int32_t>(random.below(37)));
        const auto& counts = tally.counts();
        hot += *std::max_element(counts.begin(), counts.end()) >= 6;
        cold += *std::min_element(counts.begin(), counts.end()) == 0;
        away += tally.longestAbsence(0) >= 60;
        uint64_t longest = 0;
        for (unsigned x = 0; x < 37; ++x) longest = std::max(longest, tally.longestAbsence(x));
        anyAway += longest >= 60;
        few += *tally.differentInFirst37() <= 21;
        for (unsigned d = 0; d <= 21; ++d) blockFew += static_cast<double>(tally.blocks()[d]);
    }
    expectWithin(logMaxCountAtLeast(74, 6), hot, kSamples, "hottest");
    expectWithin(logMinCountAtMost(74, 0), cold, kSamples, "coldest");
    expectWithin(logAbsenceAtLeast(74, 60), away, kSamples, "absence of 0");
    EXPECT_LE(anyAway / kSamples, 37 * std::exp(logAbsenceAtLeast(74, 60))) << "the bound of P Ausbleiber";
    const std::vector<double>& law = thirdsLaw();
    double atMost21 = 0;
    for (unsigned d = 0; d <= 21; ++d) atMost21 += law[d];
    expectWithin(std::log(atMost21), few, kSamples, "different in 37");
    expectWithin(std::log(atMost21), blockFew, 2 * kSamples, "blocks of 37");
}

TEST(Laws, TheBandOfTheCountsHoldsAllNumbersWithTheChanceAskedFor) {
    for (uint64_t n : {300u, 30'000u}) {
        const CountBand band = fairCountBand(n, 0.99);
        EXPECT_GE(std::exp(logAllCountsWithin(n, band.lo, band.hi)), 0.99) << n;
        // Each end as narrow as its half of the 1 % allows.
        EXPECT_LE(std::exp(logMaxCountAtLeast(n, band.hi + 1)), 0.005) << n;
        EXPECT_GT(std::exp(logMaxCountAtLeast(n, band.hi)), 0.005) << n;
        if (band.lo > 0) {
            EXPECT_LE(std::exp(logMinCountAtMost(n, band.lo - 1)), 0.005) << n;
        }
        EXPECT_GT(std::exp(logMinCountAtMost(n, band.lo)), 0.005) << n;
    }
}

TEST(Laws, TalliesOfPartsJoinToTheTallyOfTheWhole) {
    Random random{99};
    for (int trial = 0; trial < 200; ++trial) {
        NumberTally whole, joined;
        const unsigned parts = 1 + random.below(4);
        for (unsigned p = 0; p < parts; ++p) {
            NumberTally part;
            const unsigned length = random.below(trial % 2 ? 30 : 400);
            for (unsigned t = 0; t < length; ++t) {
                // Now and then a 37 or a number off the wheel, which are no throws here.
                const int32_t x =
                    random.below(50) == 0 ? (random.below(2) ? 37 : -5) : static_cast<int32_t>(random.below(37));
                whole.add(x);
                part.add(x);
            }
            joined.append(part);
        }
        ASSERT_EQ(joined.throws(), whole.throws());
        ASSERT_EQ(joined.counts(), whole.counts());
        ASSERT_EQ(joined.differentInFirst37(), whole.differentInFirst37());
        for (unsigned x = 0; x < 37; ++x) ASSERT_EQ(joined.longestAbsence(x), whole.longestAbsence(x)) << x;
    }
}
