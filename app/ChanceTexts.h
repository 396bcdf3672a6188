#pragma once
// The even chances in words: their names on the command line, their sides' names,
// and the captions of the result boxes with those names in place of red and black.

#include <optional>
#include <string>
#include <string_view>

#include "core/SeriesState.h"

namespace kalvor {

// "rot-schwarz", "pair-impair", "manque-passe".
std::optional<EvenChance> parseEvenChance(std::string_view name);

// The names of the two sides: "Rot"/"Schwarz", "Pair"/"Impair", "Manque"/"Passe".
std::string_view leftName(EvenChance chance);
std::string_view rightName(EvenChance chance);

// A result box's caption with the chance's sides in place of red and black:
// "Fläche Rot" becomes "Fläche Pair".
std::string sideCaption(std::string_view caption, EvenChance chance);

}  // namespace kalvor
