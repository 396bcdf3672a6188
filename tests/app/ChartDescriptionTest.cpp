// The chart in words: position, deviations, touches and pass as the engine leaves
// them; the point colour named as the raster shows it; the legend's colours.

#include <gtest/gtest.h>

#include "app/ChartDescription.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
using kalvor::testing::TestWindow;

namespace {

constexpr int kRedNumber = 1, kBlackNumber = 2;

class Described : public ::testing::Test {
protected:
    // Runs the given numbers as one "Durchlauf".
    void run(const std::vector<int>& throws) {
        for (int n : throws) numbers.push(n);
        c.textanzahl.setText(std::to_string(static_cast<long>(s.akut) + static_cast<long>(throws.size())));
        c.Option1.select(1);
        c.okstart.click();
    }

    TestWindow w;
    kalvor::testing::NumberSequence& numbers = w.numbers;
    Controls& c = w.controls();
    SeriesState& s = w.state();
};

}  // namespace

TEST_F(Described, PositionDeviationsAndTouchesAsTheBoxesShowThem) {
    EXPECT_EQ(describeChart(s), "Noch kein Wurf.");
    run({kRedNumber, kRedNumber, kBlackNumber, 0, kBlackNumber, kBlackNumber, kBlackNumber});
    EXPECT_EQ(describeChart(s),
              "Wurf 7: 2 Schwarz vor. Größte Abweichung: 2 Rot vor, 2 Schwarz vor. 0-Linie 1-mal berührt. "
              "Durchgang 1, Punkte schwarz.");
    // The same figures the result boxes show.
    EXPECT_EQ(c.lende.text, "2");
    EXPECT_EQ(c.ltief.text, "2");
    EXPECT_EQ(c.lhoch.text, "2");
    EXPECT_EQ(c.ltouch.text, "1");

    run({kRedNumber, kRedNumber});
    EXPECT_TRUE(describeChart(s).starts_with("Wurf 9: ausgeglichen. ")) << describeChart(s);
    run({kRedNumber});
    EXPECT_TRUE(describeChart(s).starts_with("Wurf 10: 1 Rot vor. ")) << describeChart(s);
}

TEST_F(Described, ZerosOnlyLeaveNoDeviation) {
    run({0, 0});
    EXPECT_EQ(describeChart(s),
              "Wurf 2: ausgeglichen. Größte Abweichung: keine. 0-Linie 0-mal berührt. Durchgang 1, Punkte schwarz.");
}

TEST_F(Described, PointColourNamedAsTheRasterShowsItInEveryPass) {
    // Red and black by turns keep the trail on the chart, near the zero line.
    const auto byTurns = [](int count, int first) {
        std::vector<int> throws;
        for (int i = 0; i < count; ++i) throws.push_back(i % 2 ? kRedNumber + kBlackNumber - first : first);
        return throws;
    };
    run(byTurns(200, kRedNumber));
    for (int pass = 2; pass <= 5; ++pass) {
        run({kRedNumber});  // the first throw of the pass
        const std::string words = describeChart(s);
        const std::string drawn(colourName(c.blatt.pixel(s.spalte, static_cast<int>(s.zeile))));
        EXPECT_NE(words.find("Durchgang " + std::to_string(pass) + ", Punkte " + drawn + "."), std::string::npos)
            << words;
        run(byTurns(199, kBlackNumber));
    }
}

TEST(Legend, ColoursNamed) {
    EXPECT_EQ(describeLegend(), "Legende: Würfe 1-200 schwarz, 201-400 blau, 401-xxx grün.");
    EXPECT_EQ(legendSwatchName("Label32"), "Farbe 1-200: schwarz");
    EXPECT_EQ(legendSwatchName("Label34"), "Farbe 401-xxx: grün");
    EXPECT_EQ(legendSwatchName("Label29"), "");
    EXPECT_EQ(colourName(kChartBackground), "hellgrau");
    EXPECT_EQ(colourName(0x00FFFFFF), "weiß");
    EXPECT_EQ(colourName(0x000000C0), "rot");
}
