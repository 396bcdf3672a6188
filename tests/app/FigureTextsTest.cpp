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
