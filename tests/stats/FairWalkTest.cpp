// The fair-wheel probabilities against independent references: every path of up
// to 20 steps counted, a band walked step by step for a long walk, and a seeded
// Monte-Carlo run of a million walks of 300 steps.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "stats/FairWalk.h"
#include "stats/Walk.h"

using namespace kalvor;

namespace {

// The statistics of one walk, as the report takes them from WalkFigures.
struct PathFigures {
    int high = 0, low = 0, returns = 0, end = 0;
};

void expectProbability(double logP, double exact, const char* what, int m, int threshold) {
    const double p = std::exp(logP);
    EXPECT_NEAR(p, exact, 1e-12 * exact + 1e-300) << what << " m=" << m << " threshold=" << threshold;
}

}  // namespace

TEST(FairWalk, AgreesWithEveryPathUpTo20Steps) {
    for (int m = 1; m <= 20; ++m) {
        // counts[statistic][value]
        std::vector<std::array<double, 4>> counts(static_cast<size_t>(m + 2), std::array<double, 4>{});
        for (uint32_t path = 0; path < (1u << m); ++path) {
            WalkFigures walk;
            for (int k = 0; k < m; ++k) walk.play(path >> k & 1 ? ThrowKind::Right : ThrowKind::Left);
            counts[static_cast<size_t>(walk.high)][0] += 1;
            counts[static_cast<size_t>(std::max(walk.high, -walk.low))][1] += 1;
            counts[static_cast<size_t>(walk.returns)][2] += 1;
            counts[static_cast<size_t>(std::abs(walk.position))][3] += 1;
        }
        const double total = std::ldexp(1.0, m);
        // Tails P(X >= v) and the distribution function P(N <= v).
        std::array<double, 4> tail{};
        std::vector<std::array<double, 4>> atLeast(counts.size());
        for (size_t v = counts.size(); v-- > 0;) {
            for (size_t s = 0; s < 4; ++s) tail[s] += counts[v][s];
            atLeast[v] = tail;
        }
        double returnsBelow = 0;
        for (int v = 0; v <= m + 1; ++v) {
            const auto u = static_cast<uint64_t>(v), mm = static_cast<uint64_t>(m);
            const size_t i = static_cast<size_t>(v);
            expectProbability(logMaxAtLeast(mm, u), atLeast[i][0] / total, "max S", m, v);
            expectProbability(logAbsMaxAtLeast(mm, u), atLeast[i][1] / total, "max |S|", m, v);
            returnsBelow += counts[i][2];
            expectProbability(logReturnsAtMost(mm, u), returnsBelow / total, "N <=", m, v);
            expectProbability(logAbsEndAtLeast(mm, u), atLeast[i][3] / total, "|S_m|", m, v);
        }
    }
}

TEST(FairWalk, TwoSidedMaximumOfALongWalkAgreesWithTheBand) {
    // The chance of staying strictly inside (-a, a), carried step by step.
    constexpr int m = 20000, a = 160;
    std::vector<double> inside(2 * a + 1, 0.0), next(inside.size());
    inside[a] = 1;
    for (int k = 0; k < m; ++k) {
        std::fill(next.begin(), next.end(), 0.0);
        for (int x = 1; x < 2 * a; ++x) {
            const double half = inside[static_cast<size_t>(x)] / 2;
            if (x - 1 > 0) next[static_cast<size_t>(x - 1)] += half;
            if (x + 1 < 2 * a) next[static_cast<size_t>(x + 1)] += half;
        }
        inside.swap(next);
    }
    double stay = 0;
    for (double p : inside) stay += p;
    expectProbability(logAbsMaxAtLeast(m, a), 1 - stay, "max |S| band", m, a);
}

TEST(FairWalk, MillionWalksOf300StepsAgreeWithinFourStandardErrors) {
    // Steps from the bits of a seeded generator, eight at a time through a table
    // of each byte's rise, its highest and lowest prefix and its zeros by start.
    struct Chunk {
        int rise = 0, high = -9, low = 9;
        std::array<uint8_t, 17> zerosFrom{};  // prefix sums equal to -start, start -8..8
    };
    std::array<Chunk, 256> table;
    for (int byte = 0; byte < 256; ++byte) {
        Chunk& c = table[static_cast<size_t>(byte)];
        for (int k = 0; k < 8; ++k) {
            c.rise += byte >> k & 1 ? 1 : -1;
            c.high = std::max(c.high, c.rise);
            c.low = std::min(c.low, c.rise);
            if (std::abs(c.rise) <= 8) ++c.zerosFrom[static_cast<size_t>(8 - c.rise)];
        }
    }
    constexpr int kWalks = 1'000'000, kSteps = 300;  // 37 bytes and four bits
    const std::array<int, 3> highs{10, 20, 35}, bands{15, 25, 40}, returnsBound{3, 10, 20}, ends{10, 30};
    std::array<int, 3> highHits{}, bandHits{}, returnsHits{};
    std::array<int, 2> endHits{};
    std::mt19937_64 engine(20261207);
    for (int w = 0; w < kWalks; ++w) {
        int s = 0, high = 0, low = 0, returns = 0;
        std::array<uint64_t, 5> bits{engine(), engine(), engine(), engine(), engine()};
        for (int b = 0; b < 38; ++b) {
            int byte = static_cast<int>(bits[static_cast<size_t>(b / 8)] >> (8 * (b % 8)) & 0xFF);
            const Chunk* c = &table[static_cast<size_t>(byte)];
            if (b == 37) {
                // Four steps: walked one by one.
                for (int k = 0; k < kSteps - 8 * 37; ++k) {
                    s += byte >> k & 1 ? 1 : -1;
                    high = std::max(high, s);
                    low = std::min(low, s);
                    returns += s == 0;
                }
                break;
            }
            high = std::max(high, s + c->high);
            low = std::min(low, s + c->low);
            if (std::abs(s) <= 8) returns += c->zerosFrom[static_cast<size_t>(s + 8)];
            s += c->rise;
        }
        for (size_t i = 0; i < 3; ++i) {
            highHits[i] += high >= highs[i];
            bandHits[i] += std::max(high, -low) >= bands[i];
            returnsHits[i] += returns <= returnsBound[i];
        }
        for (size_t i = 0; i < 2; ++i) endHits[i] += std::abs(s) >= ends[i];
    }
    auto check = [](double logP, int hits, const char* what, int threshold) {
        const double p = std::exp(logP), seen = static_cast<double>(hits) / kWalks;
        const double error = std::sqrt(p * (1 - p) / kWalks);
        EXPECT_LE(std::abs(seen - p), 4 * error) << what << " threshold=" << threshold << " exact=" << p;
    };
    for (size_t i = 0; i < 3; ++i) {
        check(logMaxAtLeast(kSteps, highs[i]), highHits[i], "max S", highs[i]);
        check(logAbsMaxAtLeast(kSteps, bands[i]), bandHits[i], "max |S|", bands[i]);
        check(logReturnsAtMost(kSteps, returnsBound[i]), returnsHits[i], "N <=", returnsBound[i]);
    }
    for (size_t i = 0; i < 2; ++i) check(logAbsEndAtLeast(kSteps, ends[i]), endHits[i], "|S_m|", ends[i]);
}

TEST(FairWalk, HugeWalksStayFiniteAndConsistent) {
    // A file of a few hundred million numbers and an archive joined to billions.
    for (uint64_t m : {300'000'000ULL, 4'000'000'001ULL}) {
        const auto sd = static_cast<uint64_t>(std::sqrt(static_cast<double>(m)));
        const double one = logMaxAtLeast(m, 3 * sd), two = logAbsMaxAtLeast(m, 3 * sd);
        // P(max |S| >= a) lies between P(max S >= a) and twice it.
        EXPECT_GT(two, one);
        EXPECT_LE(two, one + std::log(2.0) + 1e-12);
        // About 2 P(Z >= 3) = 0.0027 for one side.
        EXPECT_NEAR(std::exp(one), 0.0027, 0.0002);
        EXPECT_NEAR(std::exp(logReturnsAtMost(m, m)), 1.0, 1e-15);
        // Far below any double, still a number: about -m times the divergence of 3/4 from 1/2.
        const double divergence = 0.75 * std::log(1.5) + 0.25 * std::log(0.5);
        EXPECT_NEAR(logAbsEndAtLeast(m, m / 2) / static_cast<double>(m), -divergence, 1e-6);
    }
}
