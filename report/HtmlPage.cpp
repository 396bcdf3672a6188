#include "report/HtmlPage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

namespace kalvor {
namespace {

std::string num(double value) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, std::round(value * 10) / 10,
                                          std::chars_format::fixed, 1).ptr);
}

std::string whole(uint64_t n) {
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

bool isNumber(std::string_view s) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size();
}

// Bytes a valid UTF-8 sequence starting at text[i] takes; 0 when there is none.
size_t sequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (b >= 0xC2 && b <= 0xDF) length = 2;
    else if (b == 0xE0) length = 3, low = 0xA0;
    else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) length = 3;
    else if (b == 0xED) length = 3, high = 0x9F;
    else if (b == 0xF0) length = 4, low = 0x90;
    else if (b >= 0xF1 && b <= 0xF3) length = 4;
    else if (b == 0xF4) length = 4, high = 0x8F;
    else return 0;
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

constexpr std::string_view kStyle = R"(
body{font:14px/1.4 "DejaVu Sans",Arial,sans-serif;color:#1a1a1a;background:#fafafa;margin:1.2em auto;padding:0 1.2em;max-width:100em}
h1{font-size:1.6em;margin:.2em 0}h2{font-size:1.25em;margin:1.4em 0 .4em;border-bottom:1px solid #bbb}
p{max-width:52em}.urteil{font-weight:bold;font-size:1.1em}
.breit{overflow-x:auto}table{border-collapse:collapse;background:#fff}
th,td{border:1px solid #c8c8c8;padding:.25em .4em;vertical-align:top}
tbody th,tfoot th{text-align:left;font-weight:normal;min-width:8em;max-width:14em;overflow-wrap:anywhere}
thead th{font-size:.9em;min-width:3.5em}
thead th{background:#e8e8e8;position:sticky;top:0}td.z{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
tbody tr:nth-child(even){background:#f3f6fa}tfoot td{font-weight:bold;background:#eef3e8}
.sortierbar thead th{cursor:pointer}
th[aria-sort=ascending]::after{content:" \25B2"}th[aria-sort=descending]::after{content:" \25BC"}
img.diagramm{width:102px;height:201px;image-rendering:pixelated;display:block}
figure{margin:.5em 0}figcaption{font-size:.9em;color:#444}svg{max-width:100%;height:auto;background:#fff;border:1px solid #ccc}
.klein{font-size:.9em;color:#444}
.bilder{display:flex;flex-wrap:wrap;gap:0 2em}.bilder section{flex:1 1 34em;min-width:0}
@media print{body{background:#fff;font-size:9pt;margin:0;max-width:none}thead th{position:static}
tr,figure{break-inside:avoid}img.diagramm{width:51px;height:100px}.breit{overflow:visible}
th::after{content:none!important}tfoot{display:table-row-group}}
@page{size:A4 landscape;margin:12mm}
)";

// Sorts by a column on a click of its head (the head itself, not a button in it:
// Chromium prints a repeated head with a button blank); measures the charts once loaded, so
// that a test can read from the page what the browser made of them.
constexpr std::string_view kScript = R"(
(function(){
var t=document.getElementById('dateien');if(!t||!t.tHead)return;
var heads=t.tHead.rows[0].cells,body=t.tBodies[0];
function key(row,i){var s=row.cells[i]?row.cells[i].textContent.trim():'';var n=Number(s);return s!==''&&isFinite(n)?[0,n]:[1,s];}
function sort(i){var up=heads[i].getAttribute('aria-sort')!=='ascending';
for(var k=0;k<heads.length;k++)heads[k].removeAttribute('aria-sort');
heads[i].setAttribute('aria-sort',up?'ascending':'descending');
var rows=Array.prototype.slice.call(body.rows);
rows.sort(function(a,b){var x=key(a,i),y=key(b,i);var c=x[0]-y[0]||(x[0]?String(x[1]).localeCompare(String(y[1]),'de'):x[1]-y[1]);return up?c:-c;});
rows.forEach(function(r){body.appendChild(r);});}
t.className='sortierbar';
Array.prototype.forEach.call(heads,function(h,i){h.tabIndex=0;h.title='Nach dieser Spalte sortieren';
h.addEventListener('click',function(){sort(i);});
h.addEventListener('keydown',function(e){if(e.key==='Enter'||e.key===' '){e.preventDefault();sort(i);}});});
window.addEventListener('load',function(){var imgs=document.querySelectorAll('img.diagramm'),ok=0;
Array.prototype.forEach.call(imgs,function(im){im.setAttribute('data-bild',im.naturalWidth+'x'+im.naturalHeight+' '+im.width+'x'+im.height);if(im.naturalWidth>0)ok++;});
document.body.setAttribute('data-bilder',ok+'/'+imgs.length);});
})();
)";

std::string tableRow(const std::vector<std::string>& fields, std::string_view png, std::string_view cell) {
    std::string row = "<tr>";
    for (size_t i = 0; i < fields.size(); ++i) {
        const bool number = isNumber(fields[i]);
        row += '<';
        row += i == 0 ? "th scope=\"row\"" : cell;
        if (number) row += " class=\"z\"";
        row += '>';
        row += htmlText(fields[i]);
        row += i == 0 ? "</th>" : "</td>";
        if (i == 0) {
            // The chart beside the file's name, where it shows without scrolling.
            row += "<td>";
            if (!png.empty())
                row += "<img class=\"diagramm\" width=\"203\" height=\"401\" alt=\"Diagramm von " + htmlText(fields[0]) +
                       "\" src=\"data:image/png;base64," + base64(png) + "\">";
            row += "</td>";
        }
    }
    row += "</tr>\n";
    return row;
}

}  // namespace

std::string htmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        const char c = text[i++];
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
        }
    }
    return out;
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[group >> 18 & 63];
        out += kDigits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

namespace {

// A temporary file beside path, for writing and renaming over it.
struct Beside {
    explicit Beside(const std::string& path) {
        std::filesystem::path dir = std::filesystem::path(path).parent_path();
        if (dir.empty()) dir = ".";
        name = (dir / ".kalvor1-report-XXXXXX").native();
        const int fd = ::mkstemp(name.data());
        if (fd >= 0) file = ::fdopen(fd, "wb");
        if (fd >= 0 && !file) ::close(fd);
    }
    // Closes the file and renames it; removes it when anything failed.
    bool commit(const std::string& path, bool ok) {
        if (!file) return false;
        ok = std::fflush(file) == 0 && !std::ferror(file) && ok;
        ok = std::fclose(file) == 0 && ok;
        file = nullptr;
        if (ok) ::chmod(name.c_str(), 0644);  // as a plain new file would be, not 0600
        if (!ok || std::rename(name.c_str(), path.c_str()) != 0) {
            std::remove(name.c_str());
            return false;
        }
        return true;
    }
    ~Beside() {
        if (file) {
            std::fclose(file);
            std::remove(name.c_str());
        }
    }
    std::string name;
    std::FILE* file = nullptr;
};

bool put(std::FILE* f, std::string_view s) { return std::fwrite(s.data(), 1, s.size(), f) == s.size(); }

}  // namespace

bool writeWholeFile(const std::string& path, std::string_view bytes) {
    Beside out(path);
    return out.file && out.commit(path, put(out.file, bytes));
}

HtmlPage::HtmlPage() : rows_(std::tmpfile()) { failed_ = rows_ == nullptr; }

HtmlPage::~HtmlPage() {
    if (rows_) std::fclose(rows_);
}

void HtmlPage::addRow(const std::vector<std::string>& fields, std::string_view png) {
    if (failed_) return;
    failed_ = !put(rows_, tableRow(fields, png, "td"));
    ++count_;
}

std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines) {
    if (lines.empty())
        return "<p>Ein fairer Kessel erwartet schon ab einer Abweichung von 10 keine ganze Datei; es gibt nichts "
               "zu zeichnen.</p>\n";
    constexpr double W = 640, H = 300, left = 60, right = 20, top = 20, bottom = 50;
    double most = 1;
    for (const auto& l : lines) most = std::max({most, l.expected, static_cast<double>(l.observed)});
    const double decades = std::max(1.0, std::ceil(std::log10(most * 1.2)));
    auto y = [&](double v) { return top + (H - top - bottom) * (1 - std::log10(std::max(v, 0.5) / 0.5) / (decades + std::log10(2.0))); };
    const double slot = std::min(60.0, (W - left - right) / static_cast<double>(lines.size()));
    const double offset = left + ((W - left - right) - slot * static_cast<double>(lines.size())) / 2;
    auto x = [&](size_t i) { return offset + slot * (static_cast<double>(i) + 0.5); };
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 640 300\" width=\"640\" height=\"300\" "
                      "role=\"img\" aria-labelledby=\"zt\"><title id=\"zt\">Beobachtete und erwartete Dateien je "
                      "Abweichung</title>\n<g font-size=\"11\" fill=\"#333\">";
    for (double v = 1; v <= std::pow(10.0, decades); v *= 10) {
        svg += "<line x1=\"" + num(left) + "\" x2=\"" + num(W - right) + "\" y1=\"" + num(y(v)) + "\" y2=\"" +
               num(y(v)) + "\" stroke=\"#ddd\"/><text x=\"" + num(left - 6) + "\" y=\"" + num(y(v) + 4) +
               "\" text-anchor=\"end\">" + whole(static_cast<uint64_t>(v)) + "</text>";
    }
    const size_t labelEvery = std::max<size_t>(1, lines.size() / 12);
    for (size_t i = 0; i < lines.size(); ++i) {
        const double barTop = y(static_cast<double>(lines[i].observed));
        svg += "<rect x=\"" + num(x(i) - slot * 0.3) + "\" y=\"" + num(barTop) + "\" width=\"" + num(slot * 0.6) +
               "\" height=\"" + num(y(0.5) - barTop) + "\" fill=\"#3b6ea5\"><title>ab " + whole(lines[i].from) +
               ": " + whole(lines[i].observed) + " beobachtet, " + num(lines[i].expected) +
               " erwartet</title></rect>";
        if (i % labelEvery == 0)
            svg += "<text x=\"" + num(x(i)) + "\" y=\"" + num(H - bottom + 16) + "\" text-anchor=\"middle\">" +
                   whole(lines[i].from) + "</text>";
    }
    svg += "<polyline fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\" points=\"";
    for (size_t i = 0; i < lines.size(); ++i) svg += num(x(i)) + "," + num(y(lines[i].expected)) + " ";
    svg += "\"/>";
    for (size_t i = 0; i < lines.size(); ++i)
        svg += "<circle cx=\"" + num(x(i)) + "\" cy=\"" + num(y(lines[i].expected)) + "\" r=\"3\" fill=\"#c0392b\"/>";
    svg += "<text x=\"" + num(left + (W - left - right) / 2) + "\" y=\"" + num(H - 12) +
           "\" text-anchor=\"middle\">Abweichung ab (Einheiten)</text>"
           "<text transform=\"translate(14 " + num(top + (H - top - bottom) / 2) +
           ") rotate(-90)\" text-anchor=\"middle\">Dateien (logarithmisch)</text>"
           "<rect x=\"" + num(W - right - 190) + "\" y=\"" + num(top) + "\" width=\"12\" height=\"12\" fill=\"#3b6ea5\"/>"
           "<text x=\"" + num(W - right - 172) + "\" y=\"" + num(top + 10) + "\">beobachtet</text>"
           "<line x1=\"" + num(W - right - 95) + "\" x2=\"" + num(W - right - 80) + "\" y1=\"" + num(top + 6) +
           "\" y2=\"" + num(top + 6) + "\" stroke=\"#c0392b\" stroke-width=\"2\"/>"
           "<text x=\"" + num(W - right - 75) + "\" y=\"" + num(top + 10) + "\">erwartet</text></g></svg>\n";
    return svg;
}

std::string joinedSvg(const std::vector<WalkTrace::Row>& rows, uint64_t steps, EvenChance chance) {
    if (rows.empty() || steps == 0) return "<p>Die Dateien haben zusammen keinen Schritt.</p>\n";
    constexpr double W = 640, H = 440, left = 40, right = 40, top = 14, bottom = 40;
    const double m = static_cast<double>(steps);
    double reach = 3.3 * std::sqrt(m);
    for (const auto& r : rows) reach = std::max({reach, static_cast<double>(-r.low), static_cast<double>(r.high)});
    const double centre = left + (W - left - right) / 2, half = (W - left - right) / 2;
    auto x = [&](double position) { return centre + half * position / reach; };
    auto y = [&](double k) { return top + (H - top - bottom) * k / m; };
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 640 440\" width=\"640\" height=\"440\" "
                      "role=\"img\" aria-labelledby=\"gt\"><title id=\"gt\">Alle Dateien als eine Serie: Lage je Zeile "
                      "mit den Kurven ±1, ±2 und ±3 √k</title>\n<g font-size=\"11\" fill=\"#333\">";
    svg += "<line x1=\"" + num(centre) + "\" x2=\"" + num(centre) + "\" y1=\"" + num(top) + "\" y2=\"" +
           num(H - bottom) + "\" stroke=\"#888\"/>";
    const char* colours[] = {"#7fb37f", "#e0a040", "#c0392b"};
    for (int c = 1; c <= 3; ++c) {
        for (int sign : {-1, 1}) {
            svg += "<polyline fill=\"none\" stroke=\"" + std::string(colours[c - 1]) +
                   "\" stroke-dasharray=\"4 3\" points=\"";
            for (int i = 0; i <= 100; ++i) {
                const double k = m * i / 100;
                svg += num(x(sign * c * std::sqrt(k))) + "," + num(y(k)) + " ";
            }
            svg += "\"/>";
        }
        svg += "<text x=\"" + num(x(c * std::sqrt(m))) + "\" y=\"" + num(H - bottom + 12) + "\" text-anchor=\"middle\">+" +
               whole(static_cast<uint64_t>(c)) + "√k</text><text x=\"" + num(x(-c * std::sqrt(m))) + "\" y=\"" +
               num(H - bottom + 12) + "\" text-anchor=\"middle\">−" + whole(static_cast<uint64_t>(c)) + "√k</text>";
    }
    // One stroke per row from its lowest to its highest position; at least a pixel wide.
    svg += "<path stroke=\"#1f3f6a\" stroke-width=\"" + num(std::max(1.0, (H - top - bottom) / static_cast<double>(rows.size()))) +
           "\" d=\"";
    uint64_t first = 0;
    for (const auto& r : rows) {
        const double mid = y((static_cast<double>(first) + static_cast<double>(r.lastStep)) / 2);
        double x1 = x(static_cast<double>(r.low)), x2 = x(static_cast<double>(r.high));
        if (x2 - x1 < 1) x1 -= 0.5, x2 += 0.5;
        // Appended piece by piece: GCC 12 at -O3 warns wrongly about "M" + a string.
        svg += 'M';
        svg += num(x1);
        svg += ' ';
        svg += num(mid);
        svg += 'H';
        svg += num(x2);
        first = r.lastStep;
    }
    svg += "\"/><text x=\"" + num(left - 4) + "\" y=\"" + num(top + 4) + "\" text-anchor=\"end\">0</text><text x=\"" +
           num(left - 4) + "\" y=\"" + num(H - bottom) + "\" text-anchor=\"end\">" + whole(steps) +
           "</text><text x=\"" + num(left + 4) + "\" y=\"" + num(H - 4) +
           "\">k: Schritte von oben nach unten; links " + std::string(leftName(chance)) + ", rechts " +
           std::string(rightName(chance)) + "</text></g></svg>\n";
    return svg;
}

bool HtmlPage::write(const std::string& path, const PageOverview& o) {
    Beside out(path);
    if (!out.file || failed_ || std::fflush(rows_) != 0) return out.commit(path, false);
    const std::string left(leftName(o.chance)), right(rightName(o.chance));
    std::string head =
        "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
        "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Kalvor 1 – Archivbericht</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n"
        "<h1>Kalvor 1 – Archivbericht</h1>\n<p>" + whole(count_) + " Dateien, gespielt auf " + htmlText(left) + " / " +
        htmlText(right) + ". Jede Datei wurde abgespielt wie im Fenster nach „Import“, „OK“, „Durchlauf“ und „Start“. "
        "Die Spalten „P …“ geben an, wie wahrscheinlich ein fairer Kessel auf gleich vielen Schritten "
        "mindestens so Extremes zeigt. Eine Tendenz ist keine Vorhersage.</p>\n"
        "<div class=\"bilder\"><section>\n<h2>Das Archiv gegen einen fairen Kessel</h2>\n<p class=\"urteil\">" + htmlText(o.verdict) + "</p>\n<figure>" +
        summarySvg(o.summary) +
        "<figcaption>Balken: Dateien, deren größte Abweichung den Wert erreichte; Linie: wie viele ein fairer "
        "Kessel erwartet.</figcaption></figure>\n";
    if (!o.summary.empty()) {
        head += "<table class=\"klein\"><thead><tr><th scope=\"col\">Abweichung ab</th><th scope=\"col\">beobachtet</th>"
                "<th scope=\"col\">erwartet</th></tr></thead><tbody>";
        for (const auto& l : o.summary)
            head += "<tr><td class=\"z\">" + whole(l.from) + "</td><td class=\"z\">" + whole(l.observed) +
                    "</td><td class=\"z\">" + num(l.expected) + "</td></tr>";
        head += "</tbody></table>\n";
    }
    head += "</section><section>\n<h2>Alle Dateien als eine Serie</h2>\n<figure>" + joinedSvg(o.joinedRows, o.joinedSteps, o.chance) +
            "<figcaption>Die Lage läuft von Datei zu Datei weiter (" + whole(o.joinedSteps) +
            " Schritte); je Zeile der Bereich von der kleinsten zur größten Lage.</figcaption></figure>\n"
            "</section></div>\n"
            "<h2>Die Dateien</h2>\n<div class=\"breit\"><table id=\"dateien\">\n<thead><tr>";
    for (size_t i = 0; i < o.columns.size(); ++i) {
        head += "<th scope=\"col\">" + htmlText(o.columns[i]) + "</th>";
        if (i == 0) head += "<th scope=\"col\">Bild</th>";
    }
    head += "</tr></thead>\n<tbody>\n";
    bool ok = put(out.file, head);
    std::rewind(rows_);
    char buffer[1 << 16];
    for (size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, rows_)) > 0;) ok = put(out.file, {buffer, n});
    ok = ok && !std::ferror(rows_);
    std::string tail = "</tbody>\n";
    if (!o.joined.empty()) tail += "<tfoot>" + tableRow(o.joined, {}, "td") + "</tfoot>\n";
    tail += "</table></div>\n<p class=\"klein\">Erstellt von kalvor1-report.</p>\n<script>" + std::string(kScript) +
            "</script>\n</body>\n</html>\n";
    ok = ok && put(out.file, tail);
    return out.commit(path, ok);
}

}  // namespace kalvor
