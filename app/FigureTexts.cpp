#include "app/FigureTexts.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "app/ChanceTexts.h"
#include "app/LayoutTable.h"
#include "core/NumberText.h"

namespace kalvor {
namespace {

uint64_t magnitude(int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); }

}  // namespace

std::vector<std::string> valueColumns(EvenChance chance) {
    std::vector<std::string> columns;
    for (std::string_view label : kValueLabels)
        columns.push_back(sideCaption(layoutRow(label)->accessibleName, chance));
    return columns;
}

std::array<std::string, kValueLabels.size()> valueTexts(const WalkFigures& w) {
    return {integerText(w.throws),   integerText(w.left),      integerText(w.right),
            integerText(w.areaLeft), integerText(w.areaRight), integerText(magnitude(w.low)),
            integerText(w.high),     integerText(w.touches),   integerText(w.position)};
}

std::string probabilityText(double logP) {
    char buf[64];
    if (std::isnan(logP)) return {};
    if (logP == -std::numeric_limits<double>::infinity()) return "0";
    if (logP > -690) {  // e^-690 is about 1e-300, well inside the doubles
        const auto end = std::to_chars(buf, buf + sizeof buf, std::exp(logP), std::chars_format::general, 4).ptr;
        return std::string(buf, end);
    }
    // Below the doubles: mantissa and exponent from the decimal logarithm.
    const double decimal = logP / std::numbers::ln10;
    auto exponent = static_cast<long long>(std::floor(decimal));
    double mantissa = std::pow(10.0, decimal - static_cast<double>(exponent));
    std::string digits(buf, std::to_chars(buf, buf + sizeof buf, mantissa, std::chars_format::fixed, 3).ptr);
    if (digits.starts_with("10")) {
        ++exponent;
        mantissa /= 10;
        digits.assign(buf, std::to_chars(buf, buf + sizeof buf, mantissa, std::chars_format::fixed, 3).ptr);
    }
    while (digits.ends_with('0')) digits.pop_back();
    if (digits.ends_with('.')) digits.pop_back();
    digits += exponent < 0 ? "e-" : "e+";
    const unsigned long long magnitude =
        exponent < 0 ? 0ULL - static_cast<unsigned long long>(exponent) : static_cast<unsigned long long>(exponent);
    if (magnitude < 10) digits += '0';
    digits += integerText(magnitude);
    return digits;
}

std::array<std::string, kFairChanceCount> probabilityTexts(const WalkFigures& walk) {
    std::array<std::string, kFairChanceCount> texts;
    if (const auto chances = fairChances(walk))
        for (size_t i = 0; i < texts.size(); ++i) texts[i] = probabilityText((*chances)[i]);
    return texts;
}

std::vector<std::vector<std::string>> summaryRows(const ArchiveSummary& summary) {
    std::vector<std::vector<std::string>> rows{{"Abweichung ab", "beobachtet", "erwartet"}};
    for (const ArchiveSummary::Line& line : summary.lines())
        rows.push_back({integerText(line.from), integerText(line.observed), fixedText(line.expected, 2)});
    const ArchiveSummary::Fit f = summary.fit();
    std::string test = "Chi-Quadrat-Anpassungstest der Werte „P Abweichung“";
    if (!f.done) {
        rows.push_back({test + ": zu wenige Dateien", "p-Wert", ""});
        return rows;
    }
    test += " (" + integerText(f.classes) + " Klassen, " + integerText(f.classes - 1) +
            (f.classes == 2 ? " Freiheitsgrad" : " Freiheitsgrade") + ", Chi-Quadrat " + fixedText(f.chiSquare, 2) +
            ")";
    rows.push_back({test, "p-Wert", probabilityText(f.logPValue)});
    return rows;
}

std::string verdictText(const ArchiveSummary& summary) {
    const ArchiveSummary::Fit f = summary.fit();
    const std::string files = integerText(summary.files());
    if (!f.done) return "Für einen Anpassungstest sind es zu wenige Dateien (" + files + ").";
    const std::string p = "p = " + probabilityText(f.logPValue);
    if (f.logPValue < std::log(kVerdictLevel))
        return "Die Abweichungen der " + files +
               " Dateien passen nicht zu einem fairen Kessel (Chi-Quadrat-Anpassungstest, " + p + " < 0.01).";
    return "Die Abweichungen der " + files +
           " Dateien sind mit einem fairen Kessel vereinbar (Chi-Quadrat-Anpassungstest, " + p + ").";
}

}  // namespace kalvor
