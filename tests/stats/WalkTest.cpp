// The walk's own stores against plain recounting: the two-bit list of throws and
// the bounded trace of a long walk.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "stats/Walk.h"

using namespace kalvor;

TEST(Walk, TheListGivesBackEveryKindAndTheTraceCoversEveryStep) {
    std::mt19937 engine(31);
    std::vector<ThrowKind> kinds;
    std::vector<int64_t> positions;
    ThrowList list;
    WalkTrace trace(7);  // few rows, so that the blocks double many times
    WalkFigures walk;
    for (int i = 0; i < 10'007; ++i) {
        const auto kind = static_cast<ThrowKind>(engine() % 4);
        kinds.push_back(kind);
        list.push(kind);
        walk.play(kind);
        if (moveOf(kind) != 0) {
            trace.step(walk.position);
            positions.push_back(walk.position);
        }
    }
    ASSERT_EQ(list.size(), kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) ASSERT_EQ(list[i], kinds[i]) << i;

    // The rows follow each other without a gap and hold the range of their steps.
    const std::vector<WalkTrace::Row> rows = trace.rows();
    ASSERT_LE(rows.size(), 7u);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().lastStep, positions.size());
    EXPECT_EQ(trace.steps(), walk.steps());
    uint64_t first = 0;
    for (const WalkTrace::Row& row : rows) {
        ASSERT_GT(row.lastStep, first);
        const auto [low, high] = std::minmax_element(positions.begin() + static_cast<long>(first),
                                                     positions.begin() + static_cast<long>(row.lastStep));
        EXPECT_EQ(row.low, *low);
        EXPECT_EQ(row.high, *high);
        first = row.lastStep;
    }
    EXPECT_EQ(walk.deviation(), static_cast<uint64_t>(std::max(walk.high, -walk.low)));
}
