#pragma once
// The figures of a series and of an archive in words and digits, as the report and
// the window write them: the values and probabilities of a file's line, the
// archive summary's rows and its verdict.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Controls.h"
#include "core/SeriesState.h"
#include "stats/ArchiveLaws.h"
#include "stats/ArchiveSummary.h"
#include "stats/FairWalk.h"
#include "stats/FileLaws.h"
#include "stats/Walk.h"

namespace kalvor {

// The result boxes whose values a report gives, in its column order: the nine
// values of the series, without the number thrown last.
inline constexpr std::span<const std::string_view, kZahl> kValueLabels{kResultLabelNames.data(), kZahl};

// Their captions as the window's labels name them, with the chance's sides in place
// of red and black.
std::vector<std::string> valueColumns(EvenChance chance);

// The names of the five probability columns, in the order of FairChance.
inline constexpr std::array<std::string_view, kFairChanceCount> kProbabilityColumns{
    "P >+ Abweichung", "P >- Abweichung", "P Abweichung", "P 0-Linie", "P Akut bei",
};

// The nine values in the window's order, as the window writes whole numbers, and
// empty where the window's label shows nothing after such a run.
std::array<std::string, kValueLabels.size()> valueTexts(const WalkFigures& walk);

// A probability given as its logarithm, with four significant digits in the
// shortest form: "0.03125", "1.2e-07", "1", "3.5e-1234"; an exact half rounds up
// ("0.2188" for 7/32, "0.7813" for 25/32). No locale is read.
std::string probabilityText(double logP);

// The five probabilities of the walk as probabilityText writes them; all empty for
// a walk without steps.
std::array<std::string, kFairChanceCount> probabilityTexts(const WalkFigures& walk);

// The columns of the laws' file after "Datei", with the chance's sides in place of
// red and black.
inline constexpr std::size_t kLawColumnCount = 25;
std::vector<std::string> lawColumns(EvenChance chance);

// A file's laws in the order of lawColumns: counts as whole numbers, probabilities as
// probabilityText writes them, empty where the file has none of a figure.
std::vector<std::string> lawTexts(const FileLaws& laws);

// What an archive test looks at, in a few words.
std::string testName(ArchiveTest test, EvenChance chance);

// The table of the archive's tests: test, p-value, Holm's threshold, its result.
std::vector<std::vector<std::string>> testRows(const ArchiveVerdict& verdict, EvenChance chance);

// The archive's verdict in one German sentence: the tests that speak against a fair
// wheel, or that none does, with the number of tests and the smallest p-value.
std::string verdictText(const ArchiveVerdict& verdict, EvenChance chance);

// How to read the figures of an archive of `files` files, a sentence each: the
// two-sided figure first, what P 0-Linie measures, and how many small values a fair
// wheel gives among so many files and columns.
std::vector<std::string> readingNotes(uint64_t files);

// The summary file's rows, in sections parted by an empty row: the deviations with
// their test, the law of series, the blocks of 37 throws, the 37 numbers, the table
// of tests, and the verdict in the last row.
std::vector<std::vector<std::string>> summaryRows(const ArchiveSummary& deviations, const ArchiveLaws& laws,
                                                  const ArchiveVerdict& verdict, EvenChance chance);

}  // namespace kalvor
