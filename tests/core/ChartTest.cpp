// The chart raster: grid columns and colours, point pixels, clipping, clearing.

#include <gtest/gtest.h>

#include "core/TendencyChart.h"

using namespace kalvor;

namespace {
constexpr Colour kWhitePixel = 0xFFFFFF, kGreyPixel = 0xC0C0C0, kBlackPixel = 0x000000, kLightBluePixel = 0xFF0000;
}

TEST(Chart, GridLinesCoverTwoColumnsOverTheWholeHeight) {
    TendencyChart chart;
    chart.drawGrid();
    for (int y : {0, 200, 400}) {
        EXPECT_EQ(chart.pixel(99, y), kWhitePixel);
        EXPECT_EQ(chart.pixel(100, y), kWhitePixel);
        EXPECT_EQ(chart.pixel(98, y), kChartBackground);
        EXPECT_EQ(chart.pixel(101, y), kChartBackground);
        for (int x : {20, 40, 60, 80, 120, 140, 160, 180}) {
            EXPECT_EQ(chart.pixel(x - 1, y), kGreyPixel) << x;
            EXPECT_EQ(chart.pixel(x, y), kGreyPixel) << x;
            EXPECT_EQ(chart.pixel(x + 1, y), kChartBackground) << x;
        }
    }
    int grid = 0;
    for (int x = 0; x < TendencyChart::kWidth; ++x)
        if (chart.pixel(x, 10) != kChartBackground) ++grid;
    EXPECT_EQ(grid, 18);
}

TEST(Chart, PointIsTwoByTwoAndClippedAtTheEdges) {
    TendencyChart chart;
    chart.setPoint(98, 2, 9);
    EXPECT_EQ(chart.pixel(97, 1), kLightBluePixel);
    EXPECT_EQ(chart.pixel(98, 2), kLightBluePixel);
    EXPECT_EQ(chart.pixel(97, 2), kLightBluePixel);
    EXPECT_EQ(chart.pixel(98, 1), kLightBluePixel);
    EXPECT_EQ(chart.pixel(99, 2), kChartBackground);
    EXPECT_EQ(chart.pixel(98, 3), kChartBackground);

    TendencyChart edge;
    edge.setPoint(400, 400, 0);  // deviation beyond 50: not seen
    edge.setPoint(-30000, 2, 0);
    edge.setPoint(203, 401, 0);  // only the pixel (202, 400) is inside
    int drawn = 0;
    for (Colour p : edge.pixels()) drawn += p != kChartBackground;
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(edge.pixel(202, 400), kBlackPixel);
}

TEST(Chart, ClearErasesEverything) {
    TendencyChart chart;
    chart.drawGrid();
    chart.setPoint(100, 100, 3);
    const auto before = chart.revision();
    chart.clear();
    EXPECT_GT(chart.revision(), before);
    for (Colour p : chart.pixels()) ASSERT_EQ(p, kChartBackground);
}
