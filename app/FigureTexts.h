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
#include "stats/ArchiveSummary.h"
#include "stats/FairWalk.h"
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

// The summary file's rows: the header, a row per deviation, the test's row.
std::vector<std::vector<std::string>> summaryRows(const ArchiveSummary& summary);

// The archive's verdict in one German sentence.
std::string verdictText(const ArchiveSummary& summary);

}  // namespace kalvor
