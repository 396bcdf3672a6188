#include "export/Pictures.h"

#include <algorithm>
#include <cmath>

#include "core/NumberText.h"
#include "export/Markup.h"

namespace kalvor {
namespace {

std::string svgRoot(std::string_view box, std::string_view width, std::string_view height, std::string_view titleId,
                    std::string_view title, const std::string& drawing) {
    const std::string label = element("title", {{"id", std::string(titleId)}}, htmlText(title));
    return element("svg",
                   {{"xmlns", "http://www.w3.org/2000/svg"},
                    {"viewBox", std::string(box)},
                    {"width", std::string(width)},
                    {"height", std::string(height)},
                    {"role", "img"},
                    {"aria-labelledby", std::string(titleId)}},
                   label + "\n" + element("g", {{"font-size", "11"}, {"fill", "#333"}}, drawing)) +
           "\n";
}

std::string text(double x, double y, std::string_view anchor, std::string_view content) {
    return element("text", {{"x", coordinate(x)}, {"y", coordinate(y)}, {"text-anchor", std::string(anchor)}},
                   htmlText(content));
}

// About how wide a label of the pictures' 11-pixel font is: its digits are 7
// pixels wide, a minus sign 9.
double labelWidth(std::string_view label) {
    double width = 0;
    for (size_t i = 0; i < label.size(); ++i)
        if (!isContinuationByte(label[i])) width += label[i] == '\xE2' ? 9.5 : 7.2;
    return width;
}

// A step of 1, 2 or 5 times a power of ten, so that `span` holds at most `most` of them.
uint64_t niceStep(double span, double most) {
    const double least = std::max(span / most, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= least) return static_cast<uint64_t>(std::llround(factor * power));
    return static_cast<uint64_t>(std::llround(10 * power));
}

}  // namespace

std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines) {
    if (lines.empty())
        return "<p>Ein fairer Kessel erwartet schon ab einer Abweichung von 10 keine ganze Datei; es gibt nichts "
               "zu zeichnen.</p>\n";
    constexpr double W = 640, H = 300, left = 60, right = 20, top = 20, bottom = 50;
    double most = 1;
    for (const auto& l : lines) most = std::max({most, l.expected, static_cast<double>(l.observed)});
    const double decades = std::max(1.0, std::ceil(std::log10(most * 1.2)));
    auto y = [&](double v) {
        return top + (H - top - bottom) * (1 - std::log10(std::max(v, 0.5) / 0.5) / (decades + std::log10(2.0)));
    };
    const double slot = std::min(60.0, (W - left - right) / static_cast<double>(lines.size()));
    const double offset = left + ((W - left - right) - slot * static_cast<double>(lines.size())) / 2;
    auto x = [&](size_t i) { return offset + slot * (static_cast<double>(i) + 0.5); };
    std::string drawing;
    for (double v = 1; v <= std::pow(10.0, decades); v *= 10) {
        drawing += element("line", {{"x1", coordinate(left)},
                                    {"x2", coordinate(W - right)},
                                    {"y1", coordinate(y(v))},
                                    {"y2", coordinate(y(v))},
                                    {"stroke", "#ddd"}});
        drawing += text(left - 6, y(v) + 4, "end", integerText(static_cast<uint64_t>(v)));
    }
    const size_t labelEvery = std::max<size_t>(1, lines.size() / 12);
    for (size_t i = 0; i < lines.size(); ++i) {
        const double barTop = y(static_cast<double>(lines[i].observed));
        const std::string tip = "ab " + integerText(lines[i].from) + ": " + integerText(lines[i].observed) +
                                " beobachtet, " + coordinate(lines[i].expected) + " erwartet";
        drawing += element("rect",
                           {{"x", coordinate(x(i) - slot * 0.3)},
                            {"y", coordinate(barTop)},
                            {"width", coordinate(slot * 0.6)},
                            {"height", coordinate(y(0.5) - barTop)},
                            {"fill", "#3b6ea5"}},
                           element("title", {}, htmlText(tip)));
        if (i % labelEvery == 0) drawing += text(x(i), H - bottom + 16, "middle", integerText(lines[i].from));
    }
    std::string points;
    for (size_t i = 0; i < lines.size(); ++i) points += coordinate(x(i)) + "," + coordinate(y(lines[i].expected)) + " ";
    drawing +=
        element("polyline", {{"fill", "none"}, {"stroke", "#c0392b"}, {"stroke-width", "2"}, {"points", points}});
    for (size_t i = 0; i < lines.size(); ++i)
        drawing += element(
            "circle",
            {{"cx", coordinate(x(i))}, {"cy", coordinate(y(lines[i].expected))}, {"r", "3"}, {"fill", "#c0392b"}});
    drawing += text(left + (W - left - right) / 2, H - 12, "middle", "Abweichung ab (Einheiten)");
    drawing += element("text",
                       {{"transform", "translate(14 " + coordinate(top + (H - top - bottom) / 2) + ") rotate(-90)"},
                        {"text-anchor", "middle"}},
                       "Dateien (logarithmisch)");
    drawing += element("rect", {{"x", coordinate(W - right - 190)},
                                {"y", coordinate(top)},
                                {"width", "12"},
                                {"height", "12"},
                                {"fill", "#3b6ea5"}});
    drawing += element("text", {{"x", coordinate(W - right - 172)}, {"y", coordinate(top + 10)}}, "beobachtet");
    drawing += element("line", {{"x1", coordinate(W - right - 95)},
                                {"x2", coordinate(W - right - 80)},
                                {"y1", coordinate(top + 6)},
                                {"y2", coordinate(top + 6)},
                                {"stroke", "#c0392b"},
                                {"stroke-width", "2"}});
    drawing += element("text", {{"x", coordinate(W - right - 75)}, {"y", coordinate(top + 10)}}, "erwartet");
    return svgRoot("0 0 640 300", "640", "300", "zt", "Beobachtete und erwartete Dateien je Abweichung", drawing);
}

std::string joinedSvg(const std::vector<WalkTrace::Row>& rows, uint64_t steps, std::string_view leftSide,
                      std::string_view rightSide) {
    if (rows.empty() || steps == 0) return "<p>Die Dateien haben zusammen keinen Schritt.</p>\n";
    const double m = static_cast<double>(steps);
    double reach = 3.3 * std::sqrt(m);
    for (const auto& r : rows) reach = std::max({reach, static_cast<double>(-r.low), static_cast<double>(r.high)});
    // The margins take the room the labels need: the steps' at the left, half the
    // deviation's at either end of its scale.
    const std::string foot = integerText(steps);
    const double widest = labelWidth("−" + integerText(static_cast<uint64_t>(reach)));
    constexpr double W = 640, H = 460, top = 34, bottom = 46;
    const double left = std::max(12 + labelWidth(foot), widest / 2 + 4), right = std::max(16.0, widest / 2 + 4);
    const double centre = left + (W - left - right) / 2, half = (W - left - right) / 2;
    auto x = [&](double position) { return centre + half * position / reach; };
    auto y = [&](double k) { return top + (H - top - bottom) * k / m; };
    std::string drawing;

    // The scale of the steps, and the total at the foot of the axis.
    const uint64_t stepTick = niceStep(m, 8);
    for (uint64_t k = 0; static_cast<double>(k) < m; k += stepTick) {
        if (y(m) - y(static_cast<double>(k)) < 14) break;  // the total's label stands there
        drawing += text(left - 6, y(static_cast<double>(k)) + 4, "end", integerText(k));
    }
    drawing += text(left - 6, y(m) + 4, "end", foot);

    // The scale of the deviation: lines and labels at round positions, as many as fit.
    const uint64_t positionTick = niceStep(reach, std::max(1.0, std::floor(half / (widest + 16))));
    for (uint64_t p = 0; static_cast<double>(p) <= reach; p += positionTick) {
        for (int sign : {-1, 1}) {
            if (p == 0 && sign < 0) continue;
            const double at = x(sign * static_cast<double>(p));
            drawing += element("line", {{"x1", coordinate(at)},
                                        {"x2", coordinate(at)},
                                        {"y1", coordinate(top)},
                                        {"y2", coordinate(H - bottom)},
                                        {"stroke", p == 0 ? "#888" : "#e4e4e4"}});
            drawing += text(at, H - bottom + 18, "middle", (p == 0 ? "" : sign < 0 ? "−" : "+") + integerText(p));
        }
    }

    // The curves of one, two and three standard deviations, named in a legend
    // above the drawing: at the foot they may stand too close to be labelled.
    const char* colours[] = {"#7fb37f", "#e0a040", "#c0392b"};
    for (int c = 1; c <= 3; ++c) {
        for (int sign : {-1, 1}) {
            std::string points;
            for (int i = 0; i <= 100; ++i) {
                const double k = m * i / 100;
                points += coordinate(x(sign * c * std::sqrt(k))) + "," + coordinate(y(k)) + " ";
            }
            drawing += element(
                "polyline",
                {{"fill", "none"}, {"stroke", colours[c - 1]}, {"stroke-dasharray", "4 3"}, {"points", points}});
        }
        const double at = left + 110.0 * (c - 1);
        drawing += element("line", {{"x1", coordinate(at)},
                                    {"x2", coordinate(at + 24)},
                                    {"y1", "14"},
                                    {"y2", "14"},
                                    {"stroke", colours[c - 1]},
                                    {"stroke-width", "2"},
                                    {"stroke-dasharray", "4 3"}});
        // Appended piece by piece: GCC 12 at -O3 warns wrongly about a literal + a string.
        std::string label = "±";
        label += integerText(c);
        label += "√k";
        drawing += text(at + 30, 18, "start", label);
    }

    // One stroke per row from its lowest to its highest position; at least a pixel wide.
    std::string path;
    uint64_t first = 0;
    for (const auto& r : rows) {
        const double mid = y((static_cast<double>(first) + static_cast<double>(r.lastStep)) / 2);
        double x1 = x(static_cast<double>(r.low)), x2 = x(static_cast<double>(r.high));
        if (x2 - x1 < 1) x1 -= 0.5, x2 += 0.5;
        path += 'M';
        path += coordinate(x1);
        path += ' ';
        path += coordinate(mid);
        path += 'H';
        path += coordinate(x2);
        first = r.lastStep;
    }
    drawing += element(
        "path", {{"stroke", "#1f3f6a"},
                 {"stroke-width", coordinate(std::max(1.0, (H - top - bottom) / static_cast<double>(rows.size())))},
                 {"d", path}});
    drawing += text(left, H - 6, "start",
                    "Lage in Einheiten, links " + std::string(leftSide) + ", rechts " + std::string(rightSide) +
                        "; k: Schritte von oben nach unten");
    return svgRoot("0 0 640 460", "640", "460", "gt",
                   "Alle Dateien als eine Serie: Lage je Zeile mit den Kurven ±1, ±2 und ±3 √k", drawing);
}

}  // namespace kalvor
