#pragma once
// "Wie selten ist das?": the series so far against a fair wheel, in sentences, for
// the window. The figures are the report's five probabilities, rounded from the
// report's own digits, so that the window and a report of the same file agree.

#include <string>
#include <string_view>

#include "core/NumberText.h"
#include "core/SeriesState.h"
#include "stats/Walk.h"

namespace kalvor {

inline constexpr std::string_view kRarityEntry = "Wie selten ist das?";
inline constexpr std::string_view kRarityTitle = " Wie selten ist das?";
inline constexpr std::string_view kRarityClose = "Schließen";

// The sentences, a paragraph each (separated by an empty line): the series so far,
// the two-sided deviation first, then each side's, the returns to the zero line,
// the end, and what the figures do not say.
std::string rarityText(const WalkFigures& walk, EvenChance chance, NumberFormat format);

// A probability as probabilityText writes it ("0.02643", "1.2e-07"), as a percentage
// with two significant digits in the user's format: "2,6 %". Below a millionth
// "weniger als 0,0001 %".
std::string percentText(std::string_view probability, NumberFormat format);

// How often a fair wheel shows it, in days of one series each: "etwa an einem von 38
// Tagen", from the same digits.
std::string daysText(std::string_view probability, NumberFormat format);

}  // namespace kalvor
