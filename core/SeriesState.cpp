#include "core/SeriesState.h"

#include <cmath>
#include <limits>

namespace kalvor {

std::array<int16_t, 38> wheelColours() {
    std::array<int16_t, 38> table{};
    // In 1-10 and 19-28 odd numbers are red; in 11-18 and 29-36 even numbers are.
    for (int n = 1; n <= 36; ++n) {
        const bool lowHalfOfDecade = (n <= 10) || (n >= 19 && n <= 28);
        const bool odd = (n % 2) == 1;
        table[static_cast<size_t>(n)] = (odd == lowHalfOfDecade) ? kRed : kBlack;
    }
    return table;
}

std::array<int16_t, 38> evenChanceColours(EvenChance chance) {
    if (chance == EvenChance::RedBlack) return wheelColours();
    std::array<int16_t, 38> table{};
    for (int n = 1; n <= 36; ++n) {
        const bool left = chance == EvenChance::EvenOdd ? n % 2 == 0 : n <= 18;
        table[static_cast<size_t>(n)] = left ? kRed : kBlack;
    }
    return table;
}

int32_t playedNumber(double value) {
    constexpr auto kLow = std::numeric_limits<int32_t>::min();
    constexpr auto kHigh = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    if (value >= kHigh) return kHigh;
    if (value <= kLow) return kLow;
    // What a permanence holds: a whole number, which rounds to itself.
    const auto whole = static_cast<int32_t>(value);
    if (static_cast<double>(whole) == value) return whole;
    return static_cast<int32_t>(std::nearbyint(value));
}

void SeriesState::load() {
    anzahl = 0;
    haltwurf = 0;
    akut = 0;
    zeile = 0;
    extern_ = 0;
    durchgang = 1;
    spalte = kZeroLine;
    tief = kZeroLine;
    hoch = kZeroLine;
    beruehrung = 0;
    zrot = 0;
    zschwarz = 0;
    farbe = wheelColours();
}

void SeriesState::reset() {
    akut = 0;
    anzahl = 0;
    zeile = 0;
    extern_ = 0;
    durchgang = 1;
    zrot = 0;
    zschwarz = 0;
    beruehrung = 0;
    spalte = kZeroLine;
    hoch = kZeroLine;
    tief = kZeroLine;
}

}  // namespace kalvor
