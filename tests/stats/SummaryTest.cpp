// The archive summary on synthetic archives of 10,000 days of 300 numbers: a fair
// wheel passes the test of fit, a wheel with 19 red of every 36 coloured fails it.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/SeriesState.h"
#include "core/ThrowKind.h"
#include "stats/ArchiveSummary.h"
#include "stats/Walk.h"

using namespace kalvor;

namespace {

// Numbers 0-36; the biased wheel turns one black number red.
ArchiveSummary archive(bool biased, uint32_t seed) {
    std::array<int16_t, 38> colours = wheelColours();
    if (biased) colours[2] = kRed;  // 19 red, 17 black
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int32_t> wheel(0, 36);
    ArchiveSummary summary;
    for (int file = 0; file < 10'000; ++file) {
        WalkFigures walk;
        for (int k = 0; k < 300; ++k) walk.play(throwKind(wheel(engine), colours));
        summary.add(walk.steps(), walk.deviation());
    }
    return summary;
}

}  // namespace

TEST(Summary, AFairArchivePassesAndABiasedOneFails) {
    const ArchiveSummary fair = archive(false, 7);
    const ArchiveSummary::Fit passed = fair.fit();
    ASSERT_TRUE(passed.done);
    EXPECT_GT(passed.logPValue, std::log(0.01)) << passed.chiSquare;
    // The observed counts lie within four standard deviations of the expected.
    const auto lines = fair.lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front().from, 10u);
    // On to the largest deviation a file reached, past where a fair wheel expects one file.
    EXPECT_GE(lines.back().observed, 1u);
    EXPECT_LT(lines.back().expected, 1.0);
    for (const auto& line : lines) {
        const double p = line.expected / 10'000;
        EXPECT_LE(std::abs(static_cast<double>(line.observed) - line.expected),
                  4 * std::sqrt(line.expected * (1 - p)) + 1)
            << "from " << line.from;
    }

    const ArchiveSummary biased = archive(true, 7);
    const ArchiveSummary::Fit failed = biased.fit();
    ASSERT_TRUE(failed.done);
    EXPECT_LT(failed.logPValue, std::log(1e-6)) << failed.chiSquare;
}

TEST(Summary, UpperGammaAgreesWithClosedForms) {
    // Two degrees of freedom: Q(1, x) = e^-x; one degree: Q(1/2, x) = erfc(sqrt x).
    for (double x : {0.1, 1.0, 2.5, 10.0, 400.0}) {
        EXPECT_NEAR(logUpperGamma(1, x), -x, 1e-12) << x;
        EXPECT_NEAR(std::exp(logUpperGamma(0.5, x)), std::erfc(std::sqrt(x)), 1e-12 * std::erfc(std::sqrt(x)) + 1e-300)
            << x;
    }
    EXPECT_LT(logUpperGamma(4.5, 20000), -9000);  // far below the doubles, still a number
    ArchiveSummary few;
    few.add(300, 12);
    EXPECT_FALSE(few.fit().done);
}
