// The archive's verdict on synthetic archives: every test's p-value is valid under a
// fair wheel (at most as often below a level as the level says), Holm's method steps
// down, and each of three biased wheels is found. The full runs of the rates (200
// fair archives, 50 of each biased kind) are the program verdict_rates.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/stats/SimulatedArchive.h"

using namespace kalvor;
using kalvor::testing::simulateArchive;
using kalvor::testing::Wheel;

TEST(Verdict, EveryTestsPValueIsValidUnderAFairWheel) {
    constexpr int kArchives = 1000;
    constexpr std::array<double, 3> kLevels{0.01, 0.05, 0.2};
    std::array<std::array<int, kLevels.size()>, kArchiveTestCount> below{};
    int rejected = 0;
    for (int a = 0; a < kArchives; ++a) {
        const ArchiveVerdict verdict = simulateArchive(Wheel::Fair, 30, 100, 1000 + static_cast<uint64_t>(a)).verdict();
        ASSERT_EQ(verdict.done, kArchiveTestCount) << a;
        rejected += verdict.rejected();
        for (size_t t = 0; t < kArchiveTestCount; ++t)
            for (size_t l = 0; l < kLevels.size(); ++l)
                below[t][l] += verdict.tests[t].logPValue <= std::log(kLevels[l]);
    }
    for (size_t t = 0; t < kArchiveTestCount; ++t) {
        for (size_t l = 0; l < kLevels.size(); ++l) {
            const double level = kLevels[l], bound = kArchives * level + 4 * std::sqrt(kArchives * level * (1 - level));
            EXPECT_LE(below[t][l], bound) << "test " << t << " at level " << level;
        }
    }
    EXPECT_LE(rejected, 0.01 * kArchives + 4 * std::sqrt(0.01 * kArchives));
}

TEST(Verdict, HolmStepsDownAndStopsAtTheFirstTestItKeeps) {
    // Sorted 0.001, 0.003, 0.004 lie below 0.01/4, 0.01/3, 0.01/2; 0.5 does not.
    ArchiveVerdict v = holmVerdict(
        {std::log(0.001), std::log(0.004), std::nullopt, std::log(0.003), std::log(0.5), std::nullopt, std::nullopt});
    EXPECT_EQ(v.done, 4u);
    EXPECT_TRUE(v.tests[0].rejected && v.tests[1].rejected && v.tests[3].rejected);
    EXPECT_FALSE(v.tests[4].rejected);
    EXPECT_DOUBLE_EQ(v.tests[1].threshold, 0.005);
    // 0.003 is above 0.01/4: nothing is rejected, not even 0.0049 below its own 0.01/2.
    v = holmVerdict(
        {std::log(0.003), std::log(0.0049), std::log(0.0049), std::log(0.9), std::nullopt, std::nullopt, std::nullopt});
    EXPECT_FALSE(v.rejected());
    EXPECT_EQ(v.smallest()->test, ArchiveTest::Balance);
}

TEST(Verdict, EachBiasedWheelIsFoundAndAFairOneIsNot) {
    constexpr int kArchives = 10;
    for (const Wheel wheel : {Wheel::Fair, Wheel::RedHeavy, Wheel::Repeating, Wheel::HotNumber}) {
        int rejected = 0;
        for (int a = 0; a < kArchives; ++a)
            rejected += simulateArchive(wheel, 100, 300, 77 + static_cast<uint64_t>(a)).verdict().rejected();
        if (wheel == Wheel::Fair) EXPECT_LE(rejected, 1);
        else EXPECT_GE(rejected, 8) << static_cast<int>(wheel);
    }
}
