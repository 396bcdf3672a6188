// The figures in words and digits: probabilities printed short without a locale,
// the summary's rows and its verdict sentence.

#include <gtest/gtest.h>

#include <cmath>

#include "app/ChanceTexts.h"
#include "app/FigureTexts.h"
#include "app/Rarity.h"

using namespace kalvor;

TEST(FigureTexts, ProbabilitiesPrintShortWithAFullStop) {
    EXPECT_EQ(probabilityText(std::log(0.03125)), "0.03125");
    EXPECT_EQ(probabilityText(std::log(1.2e-7)), "1.2e-07");
    EXPECT_EQ(probabilityText(0), "1");
    EXPECT_EQ(probabilityText(std::log(0.123456)), "0.1235");
    EXPECT_EQ(probabilityText(std::log(3.5) - 1234 * std::log(10.0)), "3.5e-1234");
    EXPECT_EQ(probabilityText(std::log(9.99996) - 1000 * std::log(10.0)), "1e-999");
    // 2^-300: a single path of 300 steps.
    EXPECT_EQ(probabilityText(-300 * std::log(2.0)), "4.909e-91");
    // Exact halves at the fourth digit round up, whichever way their doubles lean;
    // a hair below a half does not.
    for (const auto& [exact, text] :
         {std::pair{7.0 / 32, "0.2188"}, std::pair{25.0 / 32, "0.7813"}, std::pair{1.0 / 64, "0.01563"},
          std::pair{3.0 / 64, "0.04688"}, std::pair{1.0 / 128, "0.007813"}, std::pair{0.99995, "1"}}) {
        EXPECT_EQ(probabilityText(std::log(exact)), text) << exact;
        EXPECT_EQ(probabilityText(std::nextafter(std::log(exact), 0.0)), text) << exact;
        EXPECT_EQ(probabilityText(std::nextafter(std::log(exact), -1.0)), text) << exact;
    }
    EXPECT_EQ(probabilityText(std::log(0.218749999)), "0.2187");
    EXPECT_EQ(probabilityText(std::log(1234.5)), "1235");
    EXPECT_EQ(probabilityText(std::log(12345.0)), "1.235e+04");
}

TEST(FigureTexts, TheSummarySaysWhenItHasTooFewFilesAndNamesItsTest) {
    ArchiveSummary few;
    few.add(300, 12);
    const auto rows = summaryRows(few);
    ASSERT_EQ(rows.front(), (std::vector<std::string>{"Abweichung ab", "beobachtet", "erwartet"}));
    EXPECT_EQ(rows.back().front(), "Chi-Quadrat-Anpassungstest der Werte „P Abweichung“: zu wenige Dateien");
    EXPECT_EQ(verdictText(few), "Für einen Anpassungstest sind es zu wenige Dateien (1).");

    // Every file at the largest deviation its walk can reach: far too many extremes.
    ArchiveSummary extreme;
    for (int i = 0; i < 200; ++i) extreme.add(300, 60 + static_cast<uint64_t>(i % 7));
    const std::string verdict = verdictText(extreme);
    EXPECT_NE(verdict.find("200 Dateien passen nicht zu einem fairen Kessel"), std::string::npos) << verdict;
    EXPECT_EQ(summaryRows(extreme).back()[1], "p-Wert");
}

TEST(FigureTexts, TheChancesAreNamedInTheirCaptions) {
    EXPECT_EQ(parseEvenChance("manque-passe"), EvenChance::LowHigh);
    EXPECT_FALSE(parseEvenChance("rouge-noir"));
    EXPECT_EQ(sideCaption("Fläche Schwarz", EvenChance::EvenOdd), "Fläche Impair");
    EXPECT_EQ(valueColumns(EvenChance::LowHigh)[1], "Manque");
}

// The window's figures are the report's digits rounded once more: two significant
// digits of the percentage, in the user's format.
TEST(FigureTexts, TheWindowRoundsTheReportsDigitsInTheUsersFormat) {
    const NumberFormat german{',', '.'}, plain{'.', ','};
    EXPECT_EQ(percentText("0.02643", german), "2,6 %");
    EXPECT_EQ(percentText("0.02643", plain), "2.6 %");
    EXPECT_EQ(percentText("0.02043", german), "2,0 %");
    EXPECT_EQ(percentText("0.02650", german), "2,7 %");  // the report's half rounds up
    EXPECT_EQ(percentText("0.863", german), "86 %");
    EXPECT_EQ(percentText("0.9996", german), "100 %");
    EXPECT_EQ(percentText("1", german), "100 %");
    EXPECT_EQ(percentText("0.05", german), "5 %");
    EXPECT_EQ(percentText("1.322e-05", german), "0,0013 %");
    EXPECT_EQ(percentText("3.5e-1234", german), "weniger als 0,0001 %");
    EXPECT_EQ(daysText("0.02643", german), "etwa an einem von 38 Tagen");
    EXPECT_EQ(daysText("1.2e-07", german), "etwa an einem von 8.333.333 Tagen");
    EXPECT_EQ(daysText("1.2e-07", plain), "etwa an einem von 8,333,333 Tagen");
    EXPECT_EQ(daysText("0.5", german), "etwa an jedem zweiten Tag");
    EXPECT_EQ(daysText("0.863", german), "etwa an 9 von 10 Tagen");
    EXPECT_EQ(daysText("0.96", german), "also an fast jedem Tag");
    EXPECT_EQ(daysText("0.45", german), "etwa an jedem zweiten Tag");
    EXPECT_EQ(daysText("1", german), "also an jedem Tag");
    EXPECT_EQ(daysText("3.5e-1234", german), "seltener als an einem von einer Milliarde Tagen");

    WalkFigures zeros;
    zeros.play(ThrowKind::Zero);
    EXPECT_EQ(rarityText(zeros, EvenChance::LowHigh, german),
              "Die Serie hat bisher 1 Wurf, aber keinen auf Manque oder Passe: Es gibt noch nichts zu bewerten.");
}
