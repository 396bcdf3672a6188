// The figures in words and digits: probabilities printed short without a locale,
// the summary's rows and its verdict sentence.

#include <gtest/gtest.h>

#include <cmath>

#include "app/ChanceTexts.h"
#include "app/FigureTexts.h"

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
