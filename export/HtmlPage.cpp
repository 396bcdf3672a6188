#include "export/HtmlPage.h"

#include <charconv>

#include "core/NumberText.h"
#include "export/Markup.h"
#include "export/PageAssets.h"
#include "export/Pictures.h"

namespace kalvor {
namespace {

bool isNumber(std::string_view s) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size();
}

std::string tableRow(const std::vector<std::string>& fields, std::string_view png) {
    std::string row = "<tr>";
    for (size_t i = 0; i < fields.size(); ++i) {
        row += i == 0 ? "<th scope=\"row\"" : "<td";
        if (isNumber(fields[i])) row += " class=\"z\"";
        row += '>';
        row += htmlText(fields[i]);
        row += i == 0 ? "</th>" : "</td>";
        if (i == 0) {
            // The chart beside the file's name, where it shows without scrolling.
            row += "<td>";
            if (!png.empty())
                row += "<img class=\"diagramm\" width=\"203\" height=\"401\" alt=\"Diagramm von " +
                       htmlText(fields[0]) + "\" src=\"data:image/png;base64," + base64(png) + "\">";
            row += "</td>";
        }
    }
    row += "</tr>\n";
    return row;
}

}  // namespace

HtmlPage::HtmlPage(const std::string& path) : path_(path), rows_(path) {}

void HtmlPage::addRow(const std::vector<std::string>& fields, std::string_view png) {
    rows_.write(tableRow(fields, png));
    ++count_;
}

std::string HtmlPage::write(const PageOverview& o, const OutputGuard& guard) {
    if (!rows_.rewind()) return rows_.failure();
    OutputFile out(path_, guard);
    std::string head =
        "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
        "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Kalvor 1 – Archivbericht</title>\n<style>\n" +
        std::string(kPageStyle) +
        "</style>\n</head>\n<body>\n"
        "<h1>Kalvor 1 – Archivbericht</h1>\n<p>" +
        integerText(count_) + " Dateien, gespielt auf " + htmlText(o.left) + " / " + htmlText(o.right) +
        ". Jede Datei wurde abgespielt wie im Fenster nach „Import“, „OK“, „Durchlauf“ und „Start“. "
        "Die Spalten „P …“ geben an, wie wahrscheinlich ein fairer Kessel auf gleich vielen Schritten "
        "mindestens so Extremes zeigt. Eine Tendenz ist keine Vorhersage.</p>\n"
        "<div class=\"bilder\"><section>\n<h2>Das Archiv gegen einen fairen Kessel</h2>\n<p class=\"urteil\">" +
        htmlText(o.verdict) + "</p>\n<figure>" + summarySvg(o.summary) +
        "<figcaption>Balken: Dateien, deren größte Abweichung den Wert erreichte; Linie: wie viele ein fairer "
        "Kessel erwartet.</figcaption></figure>\n";
    if (!o.summary.empty()) {
        head +=
            "<table class=\"klein\"><thead><tr><th scope=\"col\">Abweichung ab</th><th scope=\"col\">beobachtet</th>"
            "<th scope=\"col\">erwartet</th></tr></thead><tbody>";
        for (const auto& l : o.summary)
            head += "<tr><td class=\"z\">" + integerText(l.from) + "</td><td class=\"z\">" + integerText(l.observed) +
                    "</td><td class=\"z\">" + coordinate(l.expected) + "</td></tr>";
        head += "</tbody></table>\n";
    }
    head += "</section><section>\n<h2>Alle Dateien als eine Serie</h2>\n<figure>" +
            joinedSvg(o.joinedRows, o.joinedSteps, o.left, o.right) +
            "<figcaption>Die Lage läuft von Datei zu Datei weiter (" + integerText(o.joinedSteps) +
            " Schritte); je Zeile der Bereich von der kleinsten zur größten Lage.</figcaption></figure>\n"
            "</section></div>\n"
            "<h2>Die Dateien</h2>\n<div class=\"breit\"><table id=\"dateien\">\n<thead><tr>";
    for (size_t i = 0; i < o.columns.size(); ++i) {
        head += "<th scope=\"col\">" + htmlText(o.columns[i]) + "</th>";
        if (i == 0) head += "<th scope=\"col\">Bild</th>";
    }
    head += "</tr></thead>\n<tbody>\n";
    out.write(head);
    char buffer[1 << 16];
    for (long n; (n = rows_.read(buffer, sizeof buffer)) > 0;) out.write({buffer, static_cast<size_t>(n)});
    if (!rows_.failure().empty()) return rows_.failure();
    std::string tail = "</tbody>\n";
    if (!o.joined.empty()) tail += "<tfoot>" + tableRow(o.joined, {}) + "</tfoot>\n";
    tail += "</table></div>\n<p class=\"klein\">Erstellt von kalvor1-report.</p>\n<script>\n" +
            std::string(kPageScript) + "</script>\n</body>\n</html>\n";
    out.write(tail);
    return out.commit();
}

}  // namespace kalvor
