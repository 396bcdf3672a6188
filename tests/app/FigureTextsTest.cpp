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

TEST(FigureTexts, TheSummarySaysWhenItHasTooFewFilesAndTheVerdictNamesItsTests) {
    ArchiveSummary few;
    few.add(300, 12);
    const ArchiveLaws none;
    const ArchiveVerdict nothing = archiveVerdict(few, none, SideTally{});
    const auto rows = summaryRows(few, none, nothing, EvenChance::RedBlack);
    ASSERT_EQ(rows.front(), (std::vector<std::string>{"Abweichung ab", "beobachtet", "erwartet"}));
    EXPECT_EQ(rows[2].front(), "Chi-Quadrat-Anpassungstest der Werte „P Abweichung“: zu wenige Dateien");
    EXPECT_EQ(rows.back(), std::vector<std::string>{"Für einen Test sind es zu wenige Würfe."});

    // Two tests done, the first far below its threshold: it is named with its p-value.
    const ArchiveVerdict against = holmVerdict(
        {std::log(1e-9), std::nullopt, std::log(0.2), std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(verdictText(against, EvenChance::EvenOdd),
              "Gegen einen fairen Kessel spricht: Gleichgewicht Pair – Impair (Gesamt), p = 1e-09 (2 Tests nach Holm "
              "auf dem Niveau 0.01).");
    const ArchiveVerdict passed = holmVerdict(
        {std::log(0.5), std::nullopt, std::log(0.0312), std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(verdictText(passed, EvenChance::RedBlack),
              "Kein Test spricht gegen einen fairen Kessel (2 Tests nach Holm auf dem Niveau 0.01; kleinster p-Wert "
              "0.0312: Zahl der Serien (Gesamt)).");
    const auto table = testRows(passed, EvenChance::RedBlack);
    EXPECT_EQ(table[3],
              (std::vector<std::string>{"Zahl der Serien (Gesamt)", "0.0312", "0.005", "spricht nicht dagegen"}));
    EXPECT_EQ(table[2], (std::vector<std::string>{"Die 37 Zahlen", "", "", "zu wenige Würfe"}));
}

TEST(FigureTexts, TheReadingNotesSayHowManySmallValuesAreOrdinary) {
    const std::vector<std::string> notes = readingNotes(1000);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NE(notes[2].find("bei 1000 Dateien sind je Spalte etwa 10 solche Werte"), std::string::npos) << notes[2];
    EXPECT_NE(notes[2].find("in allen 14 Spalten zusammen etwa 140"), std::string::npos) << notes[2];
    EXPECT_NE(readingNotes(1)[2].find("bei 1 Datei sind je Spalte etwa 0 solche"), std::string::npos);
}

TEST(FigureTexts, TheLawsColumnsNameTheChancesSidesAndAFileWithoutThrowsHasEmptyCells) {
    const std::vector<std::string> columns = lawColumns(EvenChance::LowHigh);
    ASSERT_EQ(columns.size(), kLawColumnCount);
    EXPECT_EQ(columns[4], "Längste Serie Manque");
    EXPECT_EQ(columns[5], "Längste Serie Passe");
    EXPECT_EQ(columns[9], "Zeit Passe");
    const std::vector<std::string> empty = lawTexts(fileLaws(SideTally{}, NumberTally{}));
    ASSERT_EQ(empty.size(), kLawColumnCount);
    EXPECT_EQ(empty[0], "0");
    EXPECT_EQ(empty[3], "");
    for (size_t i = 12; i < empty.size(); ++i) EXPECT_EQ(empty[i], "") << columns[i];
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
