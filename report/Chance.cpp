#include "report/Chance.h"

#include <array>

#include "core/SeriesState.h"

namespace kalvor {

std::optional<EvenChance> parseEvenChance(std::string_view name) {
    if (name == "rot-schwarz") return EvenChance::RedBlack;
    if (name == "pair-impair") return EvenChance::EvenOdd;
    if (name == "manque-passe") return EvenChance::LowHigh;
    return std::nullopt;
}

std::array<int16_t, 38> sidesOf(EvenChance chance) {
    if (chance == EvenChance::RedBlack) return wheelColours();
    std::array<int16_t, 38> table{};
    for (int n = 1; n <= 36; ++n) {
        const bool left = chance == EvenChance::EvenOdd ? n % 2 == 0 : n <= 18;
        table[static_cast<size_t>(n)] = left ? kRed : kBlack;
    }
    return table;
}

namespace {

// The names of the two sides, red's (left) first, in the order of EvenChance.
constexpr std::array<std::array<std::string_view, 2>, 3> kSideNames{{
    {"Rot", "Schwarz"},
    {"Pair", "Impair"},
    {"Manque", "Passe"},
}};

}  // namespace

std::string_view leftName(EvenChance chance) { return kSideNames[static_cast<size_t>(chance)][0]; }

std::string_view rightName(EvenChance chance) { return kSideNames[static_cast<size_t>(chance)][1]; }

std::string sideCaption(std::string_view caption, EvenChance chance) {
    std::string text(caption);
    for (const auto& [from, to] : {std::pair{std::string_view("Schwarz"), rightName(chance)},
                                   std::pair{std::string_view("Rot"), leftName(chance)}}) {
        if (const size_t at = text.find(from); at != std::string::npos) {
            text.replace(at, from.size(), to);
            break;
        }
    }
    return text;
}

}  // namespace kalvor
