#include "export/HtmlPage.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "core/NumberText.h"
#include "export/Markup.h"
#include "export/PageAssets.h"
#include "export/Pictures.h"

namespace kalvor {
namespace {

// A cell longer than this many bytes scrolls within a fixed height where the
// script keeps the rows of equal height; a shorter one fits in it.
constexpr std::size_t kLongCell = 100;

std::string filesText(uint64_t n) { return integerText(n) + (n == 1 ? " Datei" : " Dateien"); }

std::string cell(std::string_view tag, std::string_view attributes, std::string_view text) {
    std::string out = "<";
    out += tag;
    out += attributes;
    out += '>';
    const std::string markup = htmlText(text);
    if (text.size() > kLongCell) out += "<div class=\"lang\">" + markup + "</div>";
    else out += markup;
    out += "</";
    out += tag;
    out += '>';
    return out;
}

// A row of the table without its chart's cell: what comes before it and after it.
struct RowParts {
    std::string before, after;
};

RowParts tableRow(const std::vector<std::string>& fields) {
    RowParts parts;
    parts.before = "<tr>";
    if (!fields.empty()) parts.before += cell("th", " scope=\"row\"", fields[0]);
    for (size_t i = 1; i < fields.size(); ++i) parts.after += cell("td", "", fields[i]);
    parts.after += "</tr>\n";
    return parts;
}

// The throws at two bits each, four to a byte, the first in the lowest bits: the
// script draws the chart from them as the window drew it.
std::string packedThrows(const ThrowList& throws, std::size_t count) {
    std::string bytes((count + 3) / 4, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i / 4] = static_cast<char>(bytes[i / 4] | static_cast<int>(throws[i]) << (2 * (i % 4)));
    return base64(bytes);
}

std::size_t base64Size(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

// Where the script finds the chart: the throws, or the picture itself where the
// throws would take more room (a long file of many zeros).
std::string chartData(const PageRow& row) {
    if (row.png.empty()) return {};
    if (row.throws && row.drawn <= row.throws->size() && base64Size((row.drawn + 3) / 4) <= base64Size(row.png.size()))
        return " data-n=\"" + integerText(row.drawn) + "\" data-w=\"" + packedThrows(*row.throws, row.drawn) + "\"";
    return " data-p=\"" + base64(row.png) + "\"";
}

std::string picture(const PageRow& row) {
    return "<img class=\"diagramm\" width=\"203\" height=\"401\" alt=\"Diagramm von " +
           htmlText(row.fields.empty() ? std::string_view() : std::string_view(row.fields[0])) +
           "\" src=\"data:image/png;base64," + base64(row.png) + "\">";
}

// Reads the staged rows back, part by part; each part ends in a NUL byte, which
// no markup holds (the cleaning makes it a blank).
class StagedParts {
public:
    explicit StagedParts(StagingFile& file) : file_(file) {}
    bool next(std::string& part) {
        for (;;) {
            const size_t end = buffer_.find('\0', at_);
            if (end != std::string::npos) {
                part.assign(buffer_, at_, end - at_);
                at_ = end + 1;
                return true;
            }
            buffer_.erase(0, at_);
            at_ = 0;
            char chunk[1 << 16];
            const long n = file_.read(chunk, sizeof chunk);
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    StagingFile& file_;
    std::string buffer_;
    size_t at_ = 0;
};

// The parts of the page, in its order.

std::string pageHead(const PageOverview& o) {
    // The number columns align to the right; a rule for each keeps the cells bare.
    std::string numbers;
    for (size_t i = 0; i < o.columns.size(); ++i) {
        if (o.columns[i].kind != ColumnKind::Number) continue;
        if (!numbers.empty()) numbers += ',';
        numbers += "#dateien td:nth-child(" + integerText(i + 2) + ")";  // the picture's column after the first
    }
    // On paper the columns are narrow enough for a long number to wrap.
    if (!numbers.empty())
        numbers += "{text-align:right;font-variant-numeric:tabular-nums}\n@media screen{" + numbers +
                   "{white-space:nowrap}}\n";
    return "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
           "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>Kalvor 1 – Archivbericht</title>\n<style>\n" +
           std::string(kPageStyle) + numbers +
           "</style>\n"
           // Before the rows arrive: where a script runs, it shows them itself.
           "<script>document.documentElement.classList.add('skript');</script>\n"
           "</head>\n<body>\n<h1>Kalvor 1 – Archivbericht</h1>\n";
}

std::string apartText(const HtmlPage::Apart& apart, const std::string& what) {
    std::string text = what + ": ";
    for (size_t i = 0; i < apart.names.size(); ++i) text += (i ? ", „" : "„") + apart.names[i] + "“";
    if (apart.count > apart.names.size()) text += " und " + integerText(apart.count - apart.names.size()) + " weitere";
    return text;
}

std::string introduction(const PageOverview& o, uint64_t rows, const HtmlPage::Apart& noStep,
                         const HtmlPage::Apart& refused) {
    std::string text = "<p>" + filesText(o.files) + " ausgewertet, gespielt auf " + htmlText(o.left) + " / " +
                       htmlText(o.right) +
                       ". Jede Datei wurde abgespielt wie im Fenster nach „Import“, „OK“, „Durchlauf“ und „Start“. "
                       "Die Spalten „P …“ geben an, wie wahrscheinlich ein fairer Kessel auf gleich vielen Schritten "
                       "mindestens so Extremes zeigt. Eine Tendenz ist keine Vorhersage.</p>\n";
    if (noStep.count + refused.count > 0) {
        std::vector<std::string> parts;
        if (refused.count > 0)
            parts.push_back(apartText(
                refused, integerText(refused.count) + " abgewiesene " + (refused.count == 1 ? "Datei" : "Dateien")));
        if (noStep.count > 0)
            parts.push_back(apartText(noStep, filesText(noStep.count) + " ohne einen Schritt auf " + htmlText(o.left) +
                                                  " oder " + htmlText(o.right)));
        text += "<p class=\"abseits\">Nicht mitgezählt, aber mit ihrer Meldung in der Tabelle: ";
        for (size_t i = 0; i < parts.size(); ++i) text += (i ? "; " : "") + parts[i];
        text += ".</p>\n";
    }
    if (rows > HtmlPage::kInlinePictures)
        text += "<p>Die Diagramme der " + integerText(HtmlPage::kInlinePictures) + " Dateien mit der kleinsten „" +
                htmlText(o.rankName) +
                "“ stehen als Bilder in der Seite, auch ohne Skript und im Druck; die der übrigen zeichnet das "
                "Skript aus den Würfen der Datei, sobald ihre Zeile sichtbar wird.</p>\n";
    return text;
}

// The verdict first, and how to read the many figures below it.
std::string verdictSection(const PageOverview& o) {
    std::string text = "<p class=\"urteil\">" + htmlText(o.verdict) + "</p>\n";
    if (!o.notes.empty()) {
        text += "<ul class=\"klein\">";
        for (const std::string& note : o.notes) text += "<li>" + htmlText(note) + "</li>";
        text += "</ul>\n";
    }
    return text;
}

// A small table: its first row the head.
std::string smallTable(const std::vector<std::vector<std::string>>& rows, std::string_view caption) {
    if (rows.empty()) return {};
    std::string text = "<table class=\"klein\"><caption>" + htmlText(caption) + "</caption><thead><tr>";
    for (const std::string& head : rows.front()) text += cell("th", " scope=\"col\"", head);
    text += "</tr></thead><tbody>";
    for (size_t r = 1; r < rows.size(); ++r) {
        text += "<tr>";
        for (size_t c = 0; c < rows[r].size(); ++c)
            text += c == 0 ? cell("th", " scope=\"row\"", rows[r][c]) : cell("td", "", rows[r][c]);
        text += "</tr>";
    }
    return text + "</tbody></table>\n";
}

std::string archiveSection(const PageOverview& o) {
    std::string text = "<section>\n<h2>Das Archiv gegen einen fairen Kessel</h2>\n" +
                       smallTable(o.tests, "Die Tests des Urteils, nach Holm zusammengenommen") + "<figure>" +
                       summarySvg(o.summary) +
                       "<figcaption>Balken: Dateien, deren größte Abweichung den Wert erreichte; Linie: wie viele "
                       "ein fairer Kessel erwartet.</figcaption></figure>\n";
    if (!o.summary.empty()) {
        text +=
            "<table class=\"klein\"><thead><tr><th scope=\"col\">Abweichung ab</th><th scope=\"col\">beobachtet</th>"
            "<th scope=\"col\">erwartet</th></tr></thead><tbody>";
        for (const auto& l : o.summary)
            text += "<tr><td class=\"z\">" + integerText(l.from) + "</td><td class=\"z\">" + integerText(l.observed) +
                    "</td><td class=\"z\">" + coordinate(l.expected) + "</td></tr>";
        text += "</tbody></table>\n";
    }
    return text + "</section>\n";
}

std::string lawsSection(const PageOverview& o) {
    uint64_t throws = 0;
    for (const uint64_t c : o.numberCounts) throws += c;
    return "<section>\n<h2>Das Gesetz der Serie</h2>\n<figure>" + seriesSvg(o.series) +
           "<figcaption>Balken: Serien genau dieser Länge in allen Dateien, beide Seiten; Linie: wie viele ein fairer "
           "Kessel erwartet.</figcaption></figure>\n</section>\n<section>\n<h2>Die 37 Zahlen</h2>\n<figure>" +
           numbersSvg(o.numberCounts, o.bandLow, o.bandHigh) + "<figcaption>Treffer jeder Zahl in " +
           integerText(throws) +
           " Würfen; im grünen Band bleiben bei einem fairen Kessel alle 37 Zahlen zugleich, 99-mal in 100 "
           "Archiven.</figcaption></figure>\n</section>\n";
}

std::string joinedSection(const PageOverview& o) {
    return "<section>\n<h2>Alle Dateien als eine Serie</h2>\n<figure>" +
           joinedSvg(o.joinedRows, o.joinedSteps, o.left, o.right) +
           "<figcaption>Die Lage läuft von Datei zu Datei weiter (" + integerText(o.joinedSteps) +
           " Schritte); je Zeile der Bereich von der kleinsten zur größten Lage.</figcaption></figure>\n</section>\n";
}

std::string tableStart(const PageOverview& o) {
    static constexpr std::string_view kKinds[] = {" class=\"n\"", " class=\"t\"", " class=\"z\""};
    // Wider than the window, the table widens the page, so that its head stays in
    // view as the rows scroll by.
    std::string text = "<h2>Die Dateien</h2>\n<table id=\"dateien\">\n<thead><tr>";
    for (size_t i = 0; i < o.columns.size(); ++i) {
        text += cell("th", " scope=\"col\"" + std::string(kKinds[static_cast<size_t>(o.columns[i].kind)]),
                     o.columns[i].caption);
        if (i == 0) text += "<th scope=\"col\" class=\"b\">Bild</th>";
    }
    return text + "</tr></thead>\n<tbody>\n";
}

std::string tableEnd(const PageOverview& o) {
    std::string text = "</tbody>\n";
    if (!o.joined.empty()) {
        const RowParts total = tableRow(o.joined);
        text += "<tfoot>" + total.before + "<td></td>" + total.after + "</tfoot>\n";
    }
    return text + "</table>\n<p class=\"klein\">Erstellt von kalvor1-report.</p>\n<script>\n" +
           std::string(kPageScript) + "</script>\n</body>\n</html>\n";
}

}  // namespace

HtmlPage::HtmlPage(const std::string& path) : path_(path), rows_(path) {}

void HtmlPage::addRow(const PageRow& row) {
    const RowParts parts = tableRow(row.fields);
    std::string staged = parts.before;
    staged += '\0';
    staged += chartData(row);
    staged += '\0';
    staged += parts.after;
    staged += '\0';
    rows_.write(staged);

    if (!row.png.empty()) {
        const Picture candidate{std::isnan(row.rank) ? std::numeric_limits<double>::infinity() : row.rank, count_, {}};
        if (pictures_.size() < kInlinePictures || candidate < pictures_.front()) {
            if (pictures_.size() == kInlinePictures) {
                std::pop_heap(pictures_.begin(), pictures_.end());
                pictures_.pop_back();
            }
            pictures_.push_back(candidate);
            pictures_.back().img = picture(row);
            std::push_heap(pictures_.begin(), pictures_.end());
        }
    }
    if (row.standing != FileStanding::Counted) {
        Apart& apart = row.standing == FileStanding::Refused ? refused_ : noStep_;
        if (apart.names.size() < kNamedApart && !row.fields.empty()) apart.names.push_back(htmlText(row.fields[0]));
        ++apart.count;
    }
    ++count_;
}

std::string HtmlPage::write(const PageOverview& o, const OutputGuard& guard) {
    if (!rows_.rewind()) return rows_.failure();
    std::sort(pictures_.begin(), pictures_.end(), [](const Picture& a, const Picture& b) { return a.row < b.row; });
    OutputFile out(path_, guard);
    out.write(pageHead(o) + verdictSection(o) + introduction(o, count_, noStep_, refused_) + "<div class=\"bilder\">" +
              archiveSection(o) + joinedSection(o) + lawsSection(o) + "</div>\n" + tableStart(o));
    StagedParts staged(rows_);
    std::string before, chart, after, row;
    auto next = pictures_.begin();
    for (uint64_t i = 0; i < count_; ++i) {
        if (!staged.next(before) || !staged.next(chart) || !staged.next(after))
            return rows_.failure().empty() ? std::string(writeReason(EIO)) : rows_.failure();
        row = before;
        row += "<td";
        if (next != pictures_.end() && next->row == i) {
            row += '>';
            row += next->img;
            ++next;
        } else {
            row += chart;
            row += '>';
        }
        row += "</td>";
        row += after;
        out.write(row);
    }
    out.write(tableEnd(o));
    return out.commit();
}

}  // namespace kalvor
