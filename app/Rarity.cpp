#include "app/Rarity.h"

#include <charconv>
#include <cmath>

#include "app/ChanceTexts.h"
#include "app/FigureTexts.h"
#include "stats/FairWalk.h"

namespace kalvor {
namespace {

double valueOf(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Whole numbers grouped by threes from 10 000 on, as the user writes them.
std::string grouped(unsigned long long n, NumberFormat format) {
    std::string digits = integerText(n);
    if (digits.size() < 5) return digits;
    for (auto at = static_cast<long>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), 1, format.groupSeparator);
    return digits;
}

std::string count(uint64_t n, std::string_view one, std::string_view many) {
    return integerText(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::string percentText(std::string_view probability, NumberFormat format) {
    const double p = valueOf(probability);
    if (p < 1e-6) return "weniger als 0" + std::string(1, format.decimalPoint) + "0001 %";
    // The digits and their power of ten: "0.02643" is 2643 times 10^-5.
    const std::string_view mantissa = probability.substr(0, probability.find('e'));
    int exponent = 0;
    if (mantissa.size() < probability.size()) {
        const std::string_view power = probability.substr(mantissa.size() + 1);
        std::from_chars(power.data() + (power.front() == '+'), power.data() + power.size(), exponent);
    }
    std::string digits;
    bool point = false;
    for (const char c : mantissa) {
        if (c == '.') {
            point = true;
            continue;
        }
        if (digits.empty() && c == '0') {
            if (point) --exponent;
            continue;
        }
        digits += c;
        if (point) --exponent;
    }
    exponent += 2;  // percent
    // Two significant digits, a half rounded up.
    if (digits.size() > 2) {
        int kept = (digits[0] - '0') * 10 + (digits[1] - '0');
        if (digits[2] >= '5') ++kept;
        exponent += static_cast<int>(digits.size()) - 2;
        if (kept == 100) {
            kept = 10;
            ++exponent;
        }
        digits = integerText(kept);
    }
    std::string text;
    if (exponent >= 0) {
        text = digits + std::string(static_cast<size_t>(exponent), '0');
    } else {
        const auto decimals = static_cast<size_t>(-exponent);
        if (digits.size() <= decimals) digits.insert(0, decimals - digits.size() + 1, '0');
        text = digits.substr(0, digits.size() - decimals) + format.decimalPoint + digits.substr(digits.size() - decimals);
    }
    return text + " %";
}

std::string daysText(std::string_view probability, NumberFormat format) {
    const double p = valueOf(probability);
    if (p >= 1) return "also an jedem Tag";
    if (p >= 0.95) return "also an fast jedem Tag";
    if (p < 1e-9) return "seltener als an einem von einer Milliarde Tagen";
    // The likely ones in tenths of the days, the rare ones as one day of many.
    if (const long tenths = std::lround(p * 10); tenths > 5) return "etwa an " + integerText(tenths) + " von 10 Tagen";
    const auto days = static_cast<unsigned long long>(std::llround(1 / p));
    if (days <= 2) return "etwa an jedem zweiten Tag";
    return "etwa an einem von " + grouped(days, format) + " Tagen";
}

std::string rarityText(const WalkFigures& walk, EvenChance chance, NumberFormat format) {
    const std::string left(leftName(chance)), right(rightName(chance));
    const uint64_t m = walk.steps();
    std::string text = "Die Serie hat bisher " + count(walk.throws, "Wurf", "Würfe");
    if (m == 0) return text + ", aber keinen auf " + left + " oder " + right + ": Es gibt noch nichts zu bewerten.";
    text += m == walk.throws ? ", alle" : ", davon " + integerText(m);
    text += " auf " + left + " oder " + right + "; nur diese bewegen die Lage.\n\n";

    const std::array<std::string, kFairChanceCount> p = probabilityTexts(walk);
    const std::string steps = " ein fairer Kessel in " + count(m, "Wurf", "Würfen") + " mit ";
    const auto chanceOf = [&](FairChance which) {
        return percentText(p[which], format) + " Wahrscheinlichkeit, " + daysText(p[which], format) + ".\n\n";
    };
    const auto magnitude = [](int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); };
    text += "Eine Abweichung von " + integerText(walk.deviation()) + " zu einer Seite erreicht" + steps +
            chanceOf(kDeviationChance);
    text += "Eine Abweichung von " + integerText(walk.high) + " zugunsten von " + right + " erreicht" + steps +
            chanceOf(kHighChance);
    text += "Eine Abweichung von " + integerText(magnitude(walk.low)) + " zugunsten von " + left + " erreicht" +
            steps + chanceOf(kLowChance);
    const std::string returns = walk.returns == 0 ? "Keine Rückkehr"
                                                  : "Höchstens " + count(walk.returns, "Rückkehr", "Rückkehren");
    text += returns + " zur 0-Linie hat" + steps + chanceOf(kReturnsChance);
    text += "Mindestens " + integerText(magnitude(walk.position)) + " von der 0-Linie entfernt endet" + steps +
            chanceOf(kEndChance);
    text += "Ein fairer Kessel bringt jede Seite mit gleicher Wahrscheinlichkeit, unabhängig von den Würfen davor. "
            "Wer viele Serien und Werte ansieht, findet auch bei ihm kleine Wahrscheinlichkeiten; eine Tendenz ist "
            "keine Vorhersage.";
    return text;
}

}  // namespace kalvor
