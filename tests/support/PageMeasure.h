#pragma once
// The report's page in headless Chromium: the DOM once the page has loaded, and
// the page measured against a plain table of the same rows (the load event, and
// how long a sort takes), the two loaded by turns in one run. For the suite and for
// bench/; needs only chromium on the path.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor::testing {

inline bool haveChromium() { return std::system("command -v chromium >/dev/null 2>&1") == 0; }

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Headless Chromium on a page, with a profile of its own under scratch and its
// standard output into `output` when one is given; every host name resolves to
// nothing. True when it ran.
inline bool chromium(const std::filesystem::path& page, const std::filesystem::path& scratch,
                     const std::string& options, const std::filesystem::path& output = {}) {
    static int runs = 0;
    const std::filesystem::path profile = scratch / ("chromium-" + std::to_string(++runs));
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update "
        "--disable-sync --no-first-run --host-resolver-rules='MAP * ~NOTFOUND' --user-data-dir='" +
        profile.string() + "' " + options + " 'file://" + page.string() + "' 2>/dev/null" +
        (output.empty() ? std::string() : " > '" + output.string() + "'");
    const int status = std::system(command.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(profile, ignored);
    return status == 0;
}

// The DOM as headless Chromium holds it after the page's load event (with a budget
// of virtual time among the options, after what its scripts started by then).
inline std::string chromiumDom(const std::filesystem::path& page, const std::filesystem::path& scratch,
                               const std::string& options = {}) {
    const std::filesystem::path dom = scratch / "dom.html";
    const bool ran = chromium(page, scratch, options + " --dump-dom", dom);
    std::string text = ran ? fileText(dom) : std::string();
    std::error_code ignored;
    std::filesystem::remove(dom, ignored);
    return text;
}

// The value of the first attribute of that name in a dumped DOM; nothing when none.
inline std::optional<std::string> attribute(const std::string& dom, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = dom.find(key);
    if (at == std::string::npos) return std::nullopt;
    const size_t from = at + key.size();
    return dom.substr(from, dom.find('"', from) - from);
}

// The page with a script of its own at the end of its body, after the page's.
inline std::string withScript(std::string html, std::string_view script) {
    html.insert(html.rfind("</body>"), "<script>" + std::string(script) + "</script>\n");
    return html;
}

// The CSV's lines as fields (RFC 4180: quoted fields, doubled quotes, CR LF).
inline std::vector<std::vector<std::string>> csvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c != '"') rows.back().back() += c;
            else if (i + 1 < csv.size() && csv[i + 1] == '"') rows.back().back() += csv[++i];
            else quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

inline std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// The CSV's rows as a plain HTML table: no picture, no style, no script.
inline std::string plainTable(const std::string& csv) {
    const auto rows = csvRows(csv);
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\"><title>Tabelle</title></head>"
        "<body><table><thead><tr>";
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r == 1) html += "</tr></thead><tbody>\n<tr>";
        else if (r > 1) html += "<tr>";
        for (const std::string& field : rows[r])
            html += (r == 0 ? "<th>" : "<td>") + escaped(field) + (r == 0 ? "</th>" : "</td>");
        if (r > 0) html += "</tr>\n";
    }
    return html + "</tbody></table></body></html>\n";
}

// Once loaded: when the load event began, and on the report's page, how long each
// click on a column's head takes until the table is laid out again. The first
// click on a column reads its keys.
inline constexpr std::string_view kMeasuring = R"(window.addEventListener('load',function(){
var b=document.body,n=performance.getEntriesByType('navigation')[0];
b.setAttribute('data-laden',String(n.loadEventStart));
var t=document.getElementById('dateien');if(!t)return;
var heads=Array.prototype.slice.call(t.tHead.rows[0].cells),times=[];
['P Abweichung','P Abweichung','Datei','Kopfzeile 2','Anzahl akut'].forEach(function(name){
var h=heads.filter(function(x){return x.textContent.trim()===name;})[0];if(!h)return;
var t0=performance.now();h.click();b.offsetHeight;times.push((performance.now()-t0).toFixed(1));});
b.setAttribute('data-sortieren',times.join(' '));});)";

struct PageTimes {
    double load = 0;            // ms from the start of navigation to the load event
    std::vector<double> sorts;  // ms per click of kMeasuring
};

inline std::vector<double> numbers(const std::string& text) {
    std::vector<double> values;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        values.push_back(std::strtod(text.substr(at, end - at).c_str(), nullptr));
        at = end + 1;
    }
    return values;
}

inline std::optional<PageTimes> loadOnce(const std::filesystem::path& page, const std::filesystem::path& scratch) {
    const std::string dom = chromiumDom(page, scratch);
    const std::optional<std::string> load = attribute(dom, "data-laden");
    if (!load) return std::nullopt;
    PageTimes times;
    times.load = numbers(*load).at(0);
    if (const auto sorts = attribute(dom, "data-sortieren")) times.sorts = numbers(*sorts);
    return times;
}

struct PageFigures {
    double load = 0, plainLoad = 0;  // medians
    std::vector<double> sorts;       // the slowest of the runs, per click
    double ratio() const { return plainLoad > 0 ? load / plainLoad : 0; }
};

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The report's page against the plain table of its CSV, by turns, `rounds` times
// each; nothing when a load did not finish.
inline std::optional<PageFigures> measurePage(const std::string& pageHtml, const std::string& csv,
                                              const std::filesystem::path& scratch, int rounds) {
    const std::filesystem::path page = scratch / "gemessen.html", plain = scratch / "tabelle.html";
    std::ofstream(page, std::ios::binary) << withScript(pageHtml, kMeasuring);
    std::ofstream(plain, std::ios::binary) << withScript(plainTable(csv), kMeasuring);
    std::vector<double> loads, plainLoads;
    PageFigures figures;
    for (int r = 0; r < rounds; ++r) {
        const std::optional<PageTimes> base = loadOnce(plain, scratch), ours = loadOnce(page, scratch);
        if (!base || !ours) return std::nullopt;
        plainLoads.push_back(base->load);
        loads.push_back(ours->load);
        figures.sorts.resize(std::max(figures.sorts.size(), ours->sorts.size()));
        for (size_t i = 0; i < ours->sorts.size(); ++i) figures.sorts[i] = std::max(figures.sorts[i], ours->sorts[i]);
    }
    figures.load = median(loads);
    figures.plainLoad = median(plainLoads);
    return figures;
}

// An archive as a decade's would be: `files` permanences of `throws` numbers, six
// tables a day, named by day and table.
inline std::vector<std::string> writeArchive(const std::filesystem::path& dir, size_t files, size_t throws,
                                             unsigned seed) {
    std::filesystem::create_directories(dir);
    std::mt19937 engine(seed);
    std::vector<std::string> paths;
    for (size_t f = 0; f < files; ++f) {
        const std::string day = std::to_string(10000 + f / 6).substr(1), table = std::to_string(f % 6 + 1);
        const std::filesystem::path path = dir / ("hamburg_" + day + "_tisch" + table + ".txt");
        std::string text = "Spielbank Hamburg\r\nTisch " + table + "\r\nTag " + day + "\r\nPermanenz ab 15.00 Uhr\r\n";
        for (size_t i = 0; i < throws; ++i) text += std::to_string(engine() % 37) + "\r\n";
        std::ofstream(path, std::ios::binary) << text;
        paths.push_back(path.string());
    }
    return paths;
}

}  // namespace kalvor::testing
