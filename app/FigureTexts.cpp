#include "app/FigureTexts.h"

#include <algorithm>
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

// value * 10^shift with four significant digits in the shortest form, as "%.4g"
// writes it. Rounded half up from the value taken to twelve digits, which is about
// what the logarithms keep: an exact half that a walk's probability can be (7/32 =
// 0.21875, 25/32 = 0.78125) is exact at twelve digits and so rounds up whatever the
// last bits of its double, never half up here and half down there.
std::string fourDigits(double value, long long shift) {
    char buf[64];
    const char* const end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 11).ptr;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    long long exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    exponent += shift;
    std::string digits{buf[0], buf[2], buf[3], buf[4]};
    if (buf[5] >= '5') {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits = "1000";
            ++exponent;
        } else {
            ++digits[i - 1];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text;
    if (exponent < -4 || exponent >= 4) {
        text.push_back(digits[0]);
        if (digits.size() > 1) {
            text.push_back('.');
            text.append(digits, 1);
        }
        text.append(exponent < 0 ? "e-" : "e+");
        const unsigned long long magnitude =
            exponent < 0 ? 0ULL - static_cast<unsigned long long>(exponent) : static_cast<unsigned long long>(exponent);
        if (magnitude < 10) text.push_back('0');
        text.append(integerText(magnitude));
        return text;
    }
    if (exponent < 0) {
        text.append("0.");
        text.append(static_cast<size_t>(-exponent - 1), '0');
        text.append(digits);
        return text;
    }
    const size_t whole = static_cast<size_t>(exponent) + 1;
    text.append(digits, 0, std::min(whole, digits.size()));
    if (digits.size() <= whole) {
        text.append(whole - digits.size(), '0');
    } else {
        text.push_back('.');
        text.append(digits, whole);
    }
    return text;
}

}  // namespace

std::vector<std::string> valueColumns(EvenChance chance) {
    std::vector<std::string> columns;
    for (std::string_view label : kValueLabels)
        columns.push_back(sideCaption(layoutRow(label)->accessibleName, chance));
    return columns;
}

std::array<std::string, kValueLabels.size()> valueTexts(const WalkFigures& w) {
    // A label the run never wrote stays empty in the window: the count of a side
    // without a throw of that side, the touches while there is none, and every figure
    // of the position before a throw counted it.
    const auto shown = [](bool written, auto n) { return written ? integerText(n) : std::string(); };
    const bool counted = w.areaLeft + w.areaRight + w.touches > 0;
    return {shown(w.throws > 0, w.throws), shown(w.left > 0, w.left),       shown(w.right > 0, w.right),
            shown(counted, w.areaLeft),    shown(counted, w.areaRight),     shown(counted, magnitude(w.low)),
            shown(counted, w.high),        shown(w.touches > 0, w.touches), shown(counted, w.position)};
}

std::string probabilityText(double logP) {
    if (std::isnan(logP)) return {};
    if (logP == -std::numeric_limits<double>::infinity()) return "0";
    if (logP > -690) return fourDigits(std::exp(logP), 0);  // e^-690 is about 1e-300, well inside the doubles
    // Below the doubles: mantissa and exponent from the decimal logarithm.
    const double decimal = logP / std::numbers::ln10;
    const auto exponent = static_cast<long long>(std::floor(decimal));
    return fourDigits(std::pow(10.0, decimal - static_cast<double>(exponent)), exponent);
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
