#pragma once
// The three even chances of the wheel. Each splits 1-36 into two sides: the side
// that takes red's place moves the window's position left, the other black's.
// Zero and 37 belong to neither.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvor {

enum class EvenChance { RedBlack, EvenOdd, LowHigh };

// "rot-schwarz", "pair-impair", "manque-passe".
std::optional<EvenChance> parseEvenChance(std::string_view name);

// The colour table a series plays with: kRed for the left side, kBlack for the right.
std::array<int16_t, 38> sidesOf(EvenChance chance);

// The names of the two sides: "Rot"/"Schwarz", "Pair"/"Impair", "Manque"/"Passe".
std::string_view leftName(EvenChance chance);
std::string_view rightName(EvenChance chance);

// A value column's caption with the chance's sides in place of red and black:
// "Fläche Rot" becomes "Fläche Pair".
std::string sideCaption(std::string_view caption, EvenChance chance);

}  // namespace kalvor
