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

namespace {

// Observed counts as bars against the expected as a line, on a logarithmic scale
// from `floor` up: the deviations' files and the law of series.
struct BarsAgainstExpected {
    std::vector<std::string> labels;  // under each bar
    std::vector<uint64_t> observed;
    std::vector<double> expected;
    std::string tipPrefix;  // before a bar's label in its tip: "ab ", "Länge "
    std::string xTitle, yTitle, title, titleId;
    double floor = 0.5;  // the bottom of the scale
};

std::string barsSvg(const BarsAgainstExpected& b) {
    constexpr double W = 640, H = 300, left = 60, right = 20, top = 20, bottom = 50;
    const size_t count = b.labels.size();
    double most = 1;
    for (size_t i = 0; i < count; ++i) most = std::max({most, b.expected[i], static_cast<double>(b.observed[i])});
    const double decades = std::max(1.0, std::ceil(std::log10(most * 1.2)));
    const double below = std::log10(1 / b.floor);  // decades under 1
    auto y = [&](double v) {
        return top + (H - top - bottom) * (1 - std::log10(std::max(v, b.floor) / b.floor) / (decades + below));
    };
    const double slot = std::min(60.0, (W - left - right) / static_cast<double>(count));
    const double offset = left + ((W - left - right) - slot * static_cast<double>(count)) / 2;
    auto x = [&](size_t i) { return offset + slot * (static_cast<double>(i) + 0.5); };
    std::string drawing;
    // Lines at the powers of ten; those under 1 only where the scale reaches them.
    double v = 1;
    while (v / 10 >= b.floor * 0.999) v /= 10;
    for (; v <= std::pow(10.0, decades); v *= 10) {
        drawing += element("line", {{"x1", coordinate(left)},
                                    {"x2", coordinate(W - right)},
                                    {"y1", coordinate(y(v))},
                                    {"y2", coordinate(y(v))},
                                    {"stroke", "#ddd"}});
        const std::string label = v >= 1 ? integerText(static_cast<uint64_t>(std::llround(v)))
                                         : fixedText(v, static_cast<int>(std::llround(-std::log10(v))));
        drawing += text(left - 6, y(v) + 4, "end", label);
    }
    const size_t labelEvery = std::max<size_t>(1, count / 12);
    for (size_t i = 0; i < count; ++i) {
        const double barTop = y(static_cast<double>(b.observed[i]));
        const std::string tip = b.tipPrefix + b.labels[i] + ": " + integerText(b.observed[i]) + " beobachtet, " +
                                (b.expected[i] >= 0.05 ? coordinate(b.expected[i]) : fixedText(b.expected[i], 4)) +
                                " erwartet";
        drawing += element("rect",
                           {{"x", coordinate(x(i) - slot * 0.3)},
                            {"y", coordinate(barTop)},
                            {"width", coordinate(slot * 0.6)},
                            {"height", coordinate(y(b.floor) - barTop)},
                            {"fill", "#3b6ea5"}},
                           element("title", {}, htmlText(tip)));
        if (i % labelEvery == 0) drawing += text(x(i), H - bottom + 16, "middle", b.labels[i]);
    }
    std::string points;
    for (size_t i = 0; i < count; ++i) points += coordinate(x(i)) + "," + coordinate(y(b.expected[i])) + " ";
    drawing +=
        element("polyline", {{"fill", "none"}, {"stroke", "#c0392b"}, {"stroke-width", "2"}, {"points", points}});
    for (size_t i = 0; i < count; ++i)
        drawing +=
            element("circle",
                    {{"cx", coordinate(x(i))}, {"cy", coordinate(y(b.expected[i]))}, {"r", "3"}, {"fill", "#c0392b"}});
    drawing += text(left + (W - left - right) / 2, H - 12, "middle", b.xTitle);
    drawing += element("text",
                       {{"transform", "translate(14 " + coordinate(top + (H - top - bottom) / 2) + ") rotate(-90)"},
                        {"text-anchor", "middle"}},
                       htmlText(b.yTitle));
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
    return svgRoot("0 0 640 300", "640", "300", b.titleId, b.title, drawing);
}

}  // namespace

std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines) {
    if (lines.empty())
        return "<p>Ein fairer Kessel erwartet schon ab einer Abweichung von 10 keine ganze Datei; es gibt nichts "
               "zu zeichnen.</p>\n";
    BarsAgainstExpected bars;
    for (const ArchiveSummary::Line& l : lines) {
        bars.labels.push_back(integerText(l.from));
        bars.observed.push_back(l.observed);
        bars.expected.push_back(l.expected);
    }
    bars.tipPrefix = "ab ";
    bars.xTitle = "Abweichung ab (Einheiten)";
    bars.yTitle = "Dateien (logarithmisch)";
    bars.title = "Beobachtete und erwartete Dateien je Abweichung";
    bars.titleId = "zt";
    return barsSvg(bars);
}

std::string seriesSvg(const std::vector<ArchiveLaws::SeriesLine>& lines) {
    if (lines.empty()) return "<p>Die Dateien haben zusammen keine Serie.</p>\n";
    BarsAgainstExpected bars;
    double least = 0.5;
    for (const ArchiveLaws::SeriesLine& l : lines) {
        bars.labels.push_back(integerText(l.length));
        bars.observed.push_back(l.observed);
        bars.expected.push_back(l.expected);
        if (l.expected > 0) least = std::min(least, l.expected);
    }
    // Down to the decade of the smallest expectation, at most four decades under one.
    bars.floor = std::max(1e-4, std::pow(10.0, std::floor(std::log10(least))));
    bars.tipPrefix = "Länge ";
    bars.xTitle = "Serienlänge (Schritte auf einer Seite in Folge)";
    bars.yTitle = "Serien (logarithmisch)";
    bars.title = "Beobachtete und erwartete Serien je Länge";
    bars.titleId = "st";
    return barsSvg(bars);
}

std::string numbersSvg(const std::array<uint64_t, 37>& counts, uint64_t bandLow, uint64_t bandHigh) {
    uint64_t all = 0, least = bandLow, most = bandHigh;
    for (const uint64_t c : counts) {
        all += c;
        least = std::min(least, c);
        most = std::max(most, c);
    }
    if (all == 0) return "<p>Die Dateien haben zusammen keine Zahl von 0 bis 36.</p>\n";
    constexpr double W = 640, H = 300, left = 60, right = 20, top = 30, bottom = 50;
    // The scale holds the band and every count with room around them: what matters
    // is how far each number lies from the others and from the band, not from zero.
    const double expected = static_cast<double>(all) / 37;
    const double pad = std::max(1.0, 0.08 * static_cast<double>(most - least));
    const double low = std::max(0.0, static_cast<double>(least) - pad), high = static_cast<double>(most) + pad;
    auto y = [&](double v) { return top + (H - top - bottom) * (1 - (v - low) / (high - low)); };
    const double slot = (W - left - right) / 37;
    auto x = [&](size_t i) { return left + slot * (static_cast<double>(i) + 0.5); };
    std::string drawing;
    const uint64_t step = niceStep(high - low, 6);
    for (uint64_t v = (static_cast<uint64_t>(low) + step - 1) / step * step; static_cast<double>(v) <= high;
         v += step) {
        drawing += element("line", {{"x1", coordinate(left)},
                                    {"x2", coordinate(W - right)},
                                    {"y1", coordinate(y(static_cast<double>(v)))},
                                    {"y2", coordinate(y(static_cast<double>(v)))},
                                    {"stroke", "#ddd"}});
        drawing += text(left - 6, y(static_cast<double>(v)) + 4, "end", integerText(v));
    }
    // The band a fair wheel keeps all 37 counts in, 99 times in 100, and the expectation.
    drawing +=
        element("rect", {{"x", coordinate(left)},
                         {"y", coordinate(y(static_cast<double>(bandHigh)))},
                         {"width", coordinate(W - left - right)},
                         {"height", coordinate(y(static_cast<double>(bandLow)) - y(static_cast<double>(bandHigh)))},
                         {"fill", "#e5efe0"},
                         {"stroke", "#8fb47f"}});
    drawing += element("line", {{"x1", coordinate(left)},
                                {"x2", coordinate(W - right)},
                                {"y1", coordinate(y(expected))},
                                {"y2", coordinate(y(expected))},
                                {"stroke", "#555"},
                                {"stroke-dasharray", "4 3"}});
    for (size_t n = 0; n < counts.size(); ++n) {
        const bool outside = counts[n] < bandLow || counts[n] > bandHigh;
        const std::string colour = outside ? "#c0392b" : "#3b6ea5";
        const double at = y(static_cast<double>(counts[n]));
        const std::string tip = "Zahl " + integerText(n) + ": " + integerText(counts[n]) + " Treffer" +
                                (outside ? ", außerhalb des Bandes" : "");
        drawing += element("line", {{"x1", coordinate(x(n))},
                                    {"x2", coordinate(x(n))},
                                    {"y1", coordinate(y(expected))},
                                    {"y2", coordinate(at)},
                                    {"stroke", colour},
                                    {"stroke-width", "2"}});
        drawing += element("circle", {{"cx", coordinate(x(n))}, {"cy", coordinate(at)}, {"r", "3.5"}, {"fill", colour}},
                           element("title", {}, htmlText(tip)));
        if (n % 2 == 0) drawing += text(x(n), H - bottom + 16, "middle", integerText(n));
    }
    drawing += text(left + (W - left - right) / 2, H - 12, "middle", "Zahl");
    drawing += element("text",
                       {{"transform", "translate(14 " + coordinate(top + (H - top - bottom) / 2) + ") rotate(-90)"},
                        {"text-anchor", "middle"}},
                       "Treffer");
    drawing += element("rect", {{"x", coordinate(left)},
                                {"y", "8"},
                                {"width", "12"},
                                {"height", "12"},
                                {"fill", "#e5efe0"},
                                {"stroke", "#8fb47f"}});
    drawing += element("text", {{"x", coordinate(left + 18)}, {"y", "18"}},
                       htmlText("Band " + integerText(bandLow) + " bis " + integerText(bandHigh) + " (99 %)"));
    drawing += element("line", {{"x1", coordinate(left + 220)},
                                {"x2", coordinate(left + 244)},
                                {"y1", "14"},
                                {"y2", "14"},
                                {"stroke", "#555"},
                                {"stroke-dasharray", "4 3"}});
    drawing += element("text", {{"x", coordinate(left + 250)}, {"y", "18"}}, "erwartet");
    drawing += element("circle", {{"cx", coordinate(left + 330)}, {"cy", "14"}, {"r", "3.5"}, {"fill", "#c0392b"}});
    drawing += element("text", {{"x", coordinate(left + 338)}, {"y", "18"}}, "außerhalb");
    return svgRoot("0 0 640 300", "640", "300", "nt", "Treffer der 37 Zahlen mit dem Band eines fairen Kessels",
                   drawing);
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
