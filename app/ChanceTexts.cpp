#include "app/ChanceTexts.h"

#include <array>
#include <utility>

namespace kalvor {
namespace {

// In the order of EvenChance: the name on the command line, then the sides' names,
// red's (left) first.
struct ChanceNames {
    std::string_view option, left, right;
};
constexpr std::array<ChanceNames, 3> kNames{{
    {"rot-schwarz", "Rot", "Schwarz"},
    {"pair-impair", "Pair", "Impair"},
    {"manque-passe", "Manque", "Passe"},
}};

const ChanceNames& namesOf(EvenChance chance) { return kNames[static_cast<size_t>(chance)]; }

}  // namespace

std::optional<EvenChance> parseEvenChance(std::string_view name) {
    for (size_t i = 0; i < kNames.size(); ++i)
        if (kNames[i].option == name) return static_cast<EvenChance>(i);
    return std::nullopt;
}

std::string_view leftName(EvenChance chance) { return namesOf(chance).left; }

std::string_view rightName(EvenChance chance) { return namesOf(chance).right; }

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
