#include "app/ChartDescription.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/LayoutTable.h"
#include "core/NumberText.h"

namespace kalvor {
namespace {

struct NamedColour {
    int r, g, b;
    std::string_view name;
};

// Enough names to tell the chart's and the legend's colours apart, no more.
constexpr std::array kNamedColours = std::to_array<NamedColour>({
    {0, 0, 0, "schwarz"},
    {255, 255, 255, "weiß"},
    {128, 128, 128, "grau"},
    {200, 200, 200, "hellgrau"},
    {220, 0, 0, "rot"},
    {0, 180, 0, "grün"},
    {0, 0, 220, "blau"},
    {0, 128, 128, "türkis"},
    {0, 255, 255, "hellblau"},
    {255, 255, 0, "gelb"},
    {255, 0, 255, "violett"},
    {128, 128, 0, "oliv"},
});

// The swatches of the legend and the ranges written beside them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kLegend{{
    {"Label32", "Label29"},
    {"Label33", "Label30"},
    {"Label34", "Label31"},
}};

void appendNumber(std::string& out, double value) {
    std::string text;
    writeNumber(text, value);
    out += text;
}

// "3 Schwarz vor" or "2 Rot vor" for an excess of black over red throws.
void appendLead(std::string& out, double blackOverRed) {
    appendNumber(out, std::fabs(blackOverRed));
    out += blackOverRed > 0 ? " Schwarz vor" : " Rot vor";
}

// The points' palette number for a pass, as the throw engine picks it.
int passPalette(double pass) {
    if (pass == 2) return 9;
    if (pass == 3) return 3;
    return 0;
}

}  // namespace

std::string_view colourName(Colour colour) {
    const int r = redOf(colour), g = greenOf(colour), b = blueOf(colour);
    std::string_view best;
    long bestDistance = -1;
    for (const NamedColour& named : kNamedColours) {
        const long dr = r - named.r, dg = g - named.g, db = b - named.b;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = named.name;
        }
    }
    return best;
}

std::string describeChart(const SeriesState& s) {
    if (s.akut <= 0) return "Noch kein Wurf.";
    std::string out = "Wurf ";
    appendNumber(out, s.akut);
    out += ": ";
    // x = 100 + 2 d, d the excess of black over red throws.
    const double position = s.spalte / 2.0 - 50;
    if (position == 0) out += "ausgeglichen";
    else appendLead(out, position);
    out += ".";

    const double redMost = std::fabs(std::min(s.tief / 2.0 - 50, 0.0));
    const double blackMost = std::max(s.hoch / 2.0 - 50, 0.0);
    out += " Größte Abweichung: ";
    if (redMost == 0 && blackMost == 0) {
        out += "keine";
    } else {
        if (redMost > 0) appendLead(out, -redMost);
        if (redMost > 0 && blackMost > 0) out += ", ";
        if (blackMost > 0) appendLead(out, blackMost);
    }
    out += ". 0-Linie ";
    appendNumber(out, s.beruehrung);
    out += "-mal berührt. Durchgang ";
    appendNumber(out, s.durchgang);
    out += ", Punkte ";
    out += colourName(paletteColour(passPalette(s.durchgang)));
    out += ".";
    return out;
}

std::string describeLegend() {
    std::string out = "Legende: Würfe";
    for (size_t i = 0; i < kLegend.size(); ++i) {
        const LayoutRow* swatch = layoutRow(kLegend[i].first);
        const LayoutRow* range = layoutRow(kLegend[i].second);
        if (!swatch || !range) continue;
        out += i == 0 ? " " : ", ";
        out += range->text;
        out += ' ';
        out += colourName(swatch->background);
    }
    out += ".";
    return out;
}

std::string legendSwatchName(std::string_view control) {
    for (const auto& [swatchName, rangeName] : kLegend) {
        if (swatchName != control) continue;
        const LayoutRow* swatch = layoutRow(swatchName);
        const LayoutRow* range = layoutRow(rangeName);
        if (!swatch || !range) return {};
        return "Farbe " + std::string(range->text) + ": " + std::string(colourName(swatch->background));
    }
    return {};
}

}  // namespace kalvor
