// The report's page as headless Chromium renders it: the texts of the files as they
// read, nothing loaded; every chart drawn from the file's throws exactly as the
// window drew it; every row in a printout, with a script or without; and a decade's
// archive against a plain table of the same rows.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "export/HtmlPage.h"
#include "export/Markup.h"
#include "report/Report.h"
#include "tests/support/PageMeasure.h"
#include "tests/support/ScratchDir.h"

using namespace kalvor;
using namespace kalvor::testing;
namespace fs = std::filesystem;

namespace {

class Page : public ScratchDirTest {
protected:
    std::string run(const std::vector<std::string>& arguments, int expectedStatus = kAllRead) {
        std::ostringstream out, err;
        EXPECT_EQ(reportMain(arguments, out, err), expectedStatus) << err.str();
        return out.str();
    }

    // A permanence with three header lines of our choosing.
    static void writePermanence(const fs::path& file, const std::vector<std::string>& header,
                                const std::vector<int>& numbers) {
        std::ofstream out(file, std::ios::binary);
        for (const std::string& line : header) out << line << "\r\n";
        out << "Permanenz ab 15 Uhr\r\n";
        for (int n : numbers) out << n << "\r\n";
    }

    static std::vector<int> randomNumbers(size_t count, unsigned seed) {
        std::mt19937 engine(seed);
        std::vector<int> numbers;
        for (size_t i = 0; i < count; ++i) numbers.push_back(static_cast<int>(engine() % 37));
        return numbers;
    }
};

// Sets data-ergebnis on the body once everything loaded: what the script returns.
std::string reporting(const std::string& body) {
    return "window.addEventListener('load',function(){document.body.setAttribute('data-ergebnis',(function(){" + body +
           "})());});";
}

}  // namespace

TEST_F(Page, ShowsTheFilesTextsAsTheyReadAndLoadsNothing) {
    if (!haveChromium()) GTEST_SKIP() << "no chromium";
    // Names and header fields an archive's author controls: markup, a formula, a
    // right-to-left override, 1,024 bytes without a break.
    const std::string hostile = "<img src=x onerror=document.title='ha'>&\"'\xFF.txt";
    writePermanence(dir / hostile, {"Spielbank </script><script>document.title='ha'</script>", "Tisch 1", "Montag"},
                    {5, 17, 32, 0, 11});
    writePermanence(dir / "tag0.txt", {"Spielbank", "=HYPERLINK(\"http://x.example\")", "abc\u202Etxt.exe"},
                    randomNumbers(300, 1));
    writePermanence(dir / "tag1.txt", {"Spielbank", std::string(1024, 'W'), "Dienstag"}, randomNumbers(300, 2));
    writePermanence(dir / "tag2.txt", {"Spielbank", "Tisch 3", "Mittwoch"}, randomNumbers(300, 3));
    std::ofstream(dir / "leer.txt") << "";                                             // refused
    writePermanence(dir / "null.txt", {"Spielbank", "Tisch 4", "Montag"}, {0, 0, 0});  // read, without a step
    fs::create_directories(dir / "out");
    const fs::path page = dir / "out" / "bericht.html";
    const std::string csv = run({"--html", page.string(), dir.string()}, kSomeRefused);
    const std::string html = fileText(page);
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_EQ(html.find("</script><script>document"), std::string::npos);
    EXPECT_NE(html.find("&lt;img src=x onerror=document.title=&#39;ha&#39;&gt;&amp;&quot;&#39;\xEF\xBF\xBD.txt"),
              std::string::npos);
    // The CSV guards the formula and marks the override; the page shows the header as
    // it reads, with the override made a blank.
    EXPECT_NE(csv.find(",\"'=HYPERLINK(\"\"http://x.example\"\")\",abc\xEF\xBF\xBDtxt.exe,"), std::string::npos) << csv;
    EXPECT_NE(html.find("<td>=HYPERLINK(&quot;http://x.example&quot;)</td><td>abc txt.exe</td>"), std::string::npos);
    EXPECT_EQ(html.find("\u202E"), std::string::npos);
    // One count of files: the page's and the verdict's; the refused file named apart.
    EXPECT_NE(html.find("<p>4 Dateien ausgewertet"), std::string::npos);
    EXPECT_NE(html.find("<p class=\"urteil\">Kein Test spricht gegen einen fairen Kessel ("), std::string::npos);
    const std::string apart = "1 abgewiesene Datei: „" + (dir / "leer.txt").string() +
                              "“; 1 Datei ohne einen Schritt auf Rot oder Schwarz: „" + (dir / "null.txt").string();
    EXPECT_NE(html.find(apart + "“."), std::string::npos);
    EXPECT_EQ(fs::status(page).permissions() & fs::perms::others_read, fs::perms::others_read);

    // Loaded in a window tall enough for every row: the pictures, the table's width
    // with the long header, and the rows after two clicks on "Anzahl akut" (sorted
    // downwards: the files of 300, five and three numbers, the refused one's empty
    // cell last).
    const fs::path copy = dir / "out" / "geklickt.html", netLog = dir / "net.json";
    std::ofstream(copy, std::ios::binary) << withScript(html, reporting(R"(
var t=document.getElementById('dateien'),h=t.tHead.rows[0].cells;h[5].click();h[5].click();
var imgs=document.querySelectorAll('img.diagramm'),ok=0;
imgs.forEach(function(i){if(i.naturalWidth===203&&i.naturalHeight===401&&i.width===102)ok++;});
var order=Array.prototype.filter.call(t.tBodies[0].rows,function(r){return !r.classList.contains('platz');})
.map(function(r){var n=r.cells[0].textContent;return n.indexOf('onerror')>=0?'h':n.indexOf('leer')>=0?'l':n.indexOf('null')>=0?'n':'t';}).join('');
return ok+'/'+imgs.length+' '+order+' '+h[5].getAttribute('aria-sort')+' '+(t.offsetWidth<3000?'schmal':t.offsetWidth);)"));
    const std::string rendered = chromiumDom(
        copy, dir, "--window-size=1400,4000 --virtual-time-budget=5000 --log-net-log='" + netLog.string() + "'");
    // The long header wraps: it widened the table to 11,354 px.
    EXPECT_EQ(attribute(rendered, "data-ergebnis"), "5/5 ttthnl descending schmal") << rendered.substr(0, 2000);
    EXPECT_NE(rendered.find("<title>Kalvor 1 – Archivbericht</title>"), std::string::npos);

    // Nothing requested on the page's behalf but the file itself.
    std::ifstream log(netLog);
    ASSERT_TRUE(log);
    for (std::string line; std::getline(log, line);) {
        if (line.find("\"network_isolation_key\":\"file://") == std::string::npos) continue;
        const size_t url = line.find("\"url\":\"");
        if (url == std::string::npos) continue;
        const std::string target = line.substr(url + 7, 5);
        EXPECT_TRUE(target == "file:" || target == "data:") << line;
    }
}

namespace {

// An archive whose rarest files are 101 of 1,000 black numbers each, so that the
// pictures written into the page are theirs; before them, by name, three files
// whose charts the script draws from their throws: five passes; a walk that
// leaves the chart at its left edge; zeros, 37s and numbers off the wheel among
// the sides; and one of 40,000 zeros, whose picture takes less room than its
// throws. Together a walk that drifts far to the right.
void writeDrawnArchive(const fs::path& in) {
    fs::create_directories(in);
    auto write = [&](const std::string& name, const std::vector<int>& numbers) {
        std::ofstream out(in / name, std::ios::binary);
        out << "Spielbank Hamburg\r\nTisch 1\r\nMontag\r\nab 15 Uhr\r\n";
        for (int n : numbers) out << n << "\r\n";
    };
    std::mt19937 engine(7);
    std::vector<int> passes, edge(60, 1), mixed;
    for (int i = 0; i < 1000; ++i) passes.push_back(static_cast<int>(engine() % 37));
    for (int i = 0; i < 700; ++i) edge.push_back(static_cast<int>(engine() % 37));
    for (int i = 0; i < 450; ++i)
        mixed.push_back(i % 5 == 0 ? 0 : i % 7 == 0 ? 37 : i % 11 == 0 ? 99 : static_cast<int>(engine() % 37));
    write("a_durchgaenge.txt", passes);
    write("b_rand.txt", edge);
    write("c_gemischt.txt", mixed);
    std::vector<int> zeros(40000, 0);
    zeros[100] = 1;
    write("d_nullen.txt", zeros);
    for (size_t i = 0; i <= HtmlPage::kInlinePictures; ++i)
        write("z" + std::to_string(1000 + i) + ".txt", std::vector<int>(1000, 2));
}

}  // namespace

TEST_F(Page, DrawsEveryChartFromItsThrowsAsTheWindowDrewIt) {
    if (!haveChromium()) GTEST_SKIP() << "no chromium";
    writeDrawnArchive(dir / "in");
    const fs::path page = dir / "bericht.html", charts = dir / "bilder";
    run({"--html", page.string(), "--chart", charts.string(), (dir / "in").string()});
    const std::string html = fileText(page);
    size_t inline_ = 0;
    for (size_t at = 0; (at = html.find("src=\"data:image/png;base64,", at)) != std::string::npos; ++at) ++inline_;
    EXPECT_EQ(inline_, HtmlPage::kInlinePictures);

    // Each drawn canvas against the picture the report wrote for its file, pixel by
    // pixel, in the same page; and the joined walk's labels: inside the picture, none
    // over another, a scale of the deviation under it, the steps in full at its foot.
    std::string pictures = "var PICTURES={";
    for (const fs::directory_entry& e : fs::directory_iterator(charts))
        if (e.path().filename().string()[0] != 'z')
            pictures +=
                "'" + e.path().filename().string() + "':'data:image/png;base64," + base64(fileText(e.path())) + "',";
    pictures += "};\n";
    const std::string comparing = pictures + R"(
window.addEventListener('load',function(){
var found=[],waiting=0,b=document.body;
function done(){found.sort();b.setAttribute('data-vergleich',found.join(' ')||'keiner');}
Array.prototype.forEach.call(document.querySelectorAll('#dateien tbody tr'),function(row){
if(row.classList.contains('platz'))return;
var name=row.cells[row.cells.length-1].textContent.replace(/^.*\//,''),url=PICTURES[name];
if(row.cells[1].hasAttribute('data-p')){var i=row.cells[1].querySelector('img');
found.push(name.slice(0,1)+':'+(i&&i.src===url&&i.naturalWidth===203?'Bild':'keins'));return;}
var canvas=row.querySelector('canvas');if(!canvas)return;
if(!url){found.push(name+':fehlt');return;}
waiting++;var img=new Image();img.onload=function(){
var c=document.createElement('canvas');c.width=img.width;c.height=img.height;var x=c.getContext('2d');x.drawImage(img,0,0);
var want=x.getImageData(0,0,c.width,c.height).data,got=canvas.getContext('2d').getImageData(0,0,canvas.width,canvas.height).data,bad=0;
if(want.length!==got.length)bad=-1;else for(var i=0;i<want.length;i++)if(want[i]!==got[i])bad++;
found.push(name.slice(0,1)+':'+bad);if(--waiting===0)done();};img.src=url;});
if(!waiting)done();
var svg=document.querySelector('svg[aria-labelledby=gt]'),box=svg.viewBox.baseVal,texts=svg.querySelectorAll('text'),r=[],out=0,over=0,scale=0,labels=[];
texts.forEach(function(t){var g=t.getBBox();r.push(g);if(g.x<box.x||g.y<box.y||g.x+g.width>box.x+box.width||g.y+g.height>box.y+box.height)out++;
if(/^[+−]?[0-9]+$/.test(t.textContent)&&g.y>box.height-60)scale++;labels.push(t.textContent);});
for(var i=0;i<r.length;i++)for(var j=i+1;j<r.length;j++)if(r[i].x<r[j].x+r[j].width&&r[j].x<r[i].x+r[i].width&&r[i].y<r[j].y+r[j].height&&r[j].y<r[i].y+r[i].height)over++;
b.setAttribute('data-beschriftung',out+' '+over+' '+scale+' |'+labels.join('|')+'|');});)";
    const fs::path copy = dir / "vergleich.html";
    std::ofstream(copy, std::ios::binary) << withScript(html, comparing);
    const std::string rendered = chromiumDom(copy, dir, "--window-size=1400,6000 --virtual-time-budget=5000");
    EXPECT_EQ(attribute(rendered, "data-vergleich"), "a:0 b:0 c:0 d:Bild");
    const std::optional<std::string> labels = attribute(rendered, "data-beschriftung");
    ASSERT_TRUE(labels);
    std::istringstream words(*labels);
    int outside = -1, overlapping = -1, scale = 0;
    words >> outside >> overlapping >> scale;
    EXPECT_EQ(outside, 0) << *labels;
    EXPECT_EQ(overlapping, 0) << *labels;
    EXPECT_GE(scale, 5) << *labels;
    // 101,000 black steps and the three files': six digits in full at the foot.
    const size_t from = html.find("weiter (") + 8;
    const std::string steps = html.substr(from, html.find(' ', from) - from);
    EXPECT_EQ(steps.size(), 6u) << steps;
    EXPECT_NE(labels->find("|" + steps + "|"), std::string::npos) << *labels;
}

TEST_F(Page, PrintsEveryRowWithOrWithoutAScript) {
    if (!haveChromium() || std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no chromium or pdftotext";
    writeDrawnArchive(dir / "in");
    const fs::path page = dir / "bericht.html";
    run({"--html", page.string(), (dir / "in").string()});
    // Without a script: the page without its two scripts, as a browser that runs
    // none shows it (the policy of the page lets no other script in).
    std::string plain = fileText(page);
    for (size_t at; (at = plain.find("<script>")) != std::string::npos;)
        plain.erase(at, plain.find("</script>", at) + 9 - at);
    const fs::path noScript = dir / "ohne.html";
    std::ofstream(noScript, std::ios::binary) << plain;
    for (const fs::path& shown : {page, noScript}) {
        const fs::path pdf = dir / "druck.pdf", text = dir / "druck.txt";
        fs::remove(pdf);
        chromium(shown, dir, "--no-pdf-header-footer --print-to-pdf='" + pdf.string() + "'");
        ASSERT_TRUE(fs::exists(pdf)) << shown;
        ASSERT_EQ(std::system(("pdftotext '" + pdf.string() + "' '" + text.string() + "'").c_str()), 0);
        // A cell's lines one after the other: a name may wrap in its narrow column.
        std::string printed = fileText(text);
        std::erase(printed, '\n');
        for (const std::string name : {"a_durchgaenge.txt", "c_gemischt.txt", "z1000.txt", "z1100.txt"})
            EXPECT_NE(printed.find(name), std::string::npos) << name << " in " << shown << "\n"
                                                             << fileText(text).substr(0, 30000);
    }
}

// A decade of six tables: 21,900 files of 300 numbers. The page stays small, and
// headless Chromium loads it about as fast as a plain table of the same rows and
// sorts it at once; the times are printed, not held to a bound (bench/page_bench
// measures them on an optimised build).
TEST_F(Page, ADecadeOfTablesIsSmallAndOpensAsAPlainTableDoes) {
    constexpr size_t kFiles = 21900;
    writeArchive(dir / "archiv", kFiles, 300, 2026);
    const fs::path page = dir / "bericht.html";
    const std::string csv = run({"--html", page.string(), "-j", "2", (dir / "archiv").string()});
    const std::string html = fileText(page);
    std::cout << "Seite: " << html.size() << " Bytes für " << kFiles << " Dateien\n";
    EXPECT_LE(html.size(), 15'000'000u);
    // Every file a row; the rarest pictures in the page, the others drawn from throws.
    size_t rows = 0, drawn = 0;
    const size_t start = html.find("<table id=\"dateien\""), end = html.find("</tbody>", start);
    for (size_t at = start; (at = html.find("<tr><th scope=\"row\">", at)) < end; ++at) ++rows;
    for (size_t at = 0; (at = html.find(" data-w=\"", at)) != std::string::npos; ++at) ++drawn;
    EXPECT_EQ(rows, kFiles);
    EXPECT_EQ(drawn, kFiles - HtmlPage::kInlinePictures);

    if (!haveChromium()) GTEST_SKIP() << "no chromium";
    // One round: bench/page_measure takes more.
    const std::optional<PageFigures> figures = measurePage(html, csv, dir, 1);
    ASSERT_TRUE(figures);
    std::cout << "Ladeereignis: " << figures->load << " ms, einfache Tabelle " << figures->plainLoad
              << " ms, Verhältnis " << figures->ratio() << "\nSortieren (ms je Klick):";
    for (const double ms : figures->sorts) std::cout << ' ' << ms;
    std::cout << '\n';
    EXPECT_EQ(figures->sorts.size(), 5u);
}

// The archive's laws on the page, against counts the test makes itself from the
// numbers it wrote: the verdict heads the page with its tests, the series of each
// length and the 37 numbers' hits are those of the files, and the laws' columns of
// every file sort as the report's own do.
TEST_F(Page, TheArchivesLawsHeadThePageAndCountWhatTheFilesHold) {
    std::map<uint64_t, uint64_t> series;  // length -> series, both sides, all files
    std::array<uint64_t, 37> hits{};
    const std::array<bool, 37> red = [] {
        std::array<bool, 37> r{};
        for (int n : {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36})
            r[static_cast<size_t>(n)] = true;
        return r;
    }();
    for (unsigned f = 0; f < 12; ++f) {
        const std::vector<int> numbers = randomNumbers(150 + 20 * f, 40 + f);
        writePermanence(dir / ("tag" + std::to_string(10 + f) + ".txt"), {"Spielbank", "Tisch", "Tag"}, numbers);
        // A series ends where the other side comes; zeros leave it running.
        int side = 0;
        uint64_t length = 0;
        for (const int n : numbers) {
            ++hits[static_cast<size_t>(n)];
            if (n == 0) continue;
            const int now = red[static_cast<size_t>(n)] ? -1 : 1;
            if (now != side && length > 0) ++series[length], length = 0;
            side = now;
            ++length;
        }
        if (length > 0) ++series[length];
    }
    const fs::path page = dir / "bericht.html";
    run({"--html", page.string(), dir.string()});
    const std::string html = fileText(page);

    const size_t verdict = html.find("<p class=\"urteil\">"), title = html.find("<h1>");
    EXPECT_LT(title, verdict);
    EXPECT_LT(verdict, html.find("Dateien ausgewertet"));
    EXPECT_LT(verdict, html.find("<h2>"));
    for (const char* test : {"Gleichgewicht Rot – Schwarz (Gesamt)", "Die 37 Zahlen", "Gesetz der Serien",
                             "Verschiedene Zahlen in Blöcken von 37 Würfen", "Zeit auf einer Seite (Gesamt)"})
        EXPECT_NE(html.find("<th scope=\"row\">" + htmlText(test) + "</th>"), std::string::npos) << test;
    EXPECT_NE(html.find("sind je Spalte etwa"), std::string::npos);  // small figures come by chance
    for (const auto& [length, count] : series)
        EXPECT_NE(html.find("<title>Länge " + std::to_string(length) + ": " + std::to_string(count) + " beobachtet"),
                  std::string::npos)
            << length;
    for (size_t n = 0; n < hits.size(); ++n)
        EXPECT_NE(html.find("<title>Zahl " + std::to_string(n) + ": " + std::to_string(hits[n]) + " Treffer"),
                  std::string::npos)
            << n;

    if (!haveChromium()) GTEST_SKIP() << "no chromium";
    // "P Längste Serie" sorted up: its numbers then rise down the table.
    const fs::path copy = dir / "out" / "sortiert.html";
    fs::create_directories(copy.parent_path());
    std::ofstream(copy, std::ios::binary) << withScript(html, reporting(R"(
var t=document.getElementById('dateien'),h=t.tHead.rows[0].cells,at=-1;
for(var i=0;i<h.length;i++)if(h[i].textContent.trim()==='P Längste Serie')at=i;
if(at<0)return 'keine Spalte';
h[at].click();
var v=Array.prototype.filter.call(t.tBodies[0].rows,function(r){return !r.classList.contains('platz');})
.map(function(r){return Number(r.cells[at].textContent);});
for(var k=1;k<v.length;k++)if(!(v[k-1]<=v[k]))return 'ungeordnet '+v.join(' ');
return v.length+' '+h[at].getAttribute('aria-sort');)"));
    const std::string rendered = chromiumDom(copy, dir, "--window-size=1400,8000 --virtual-time-budget=5000");
    EXPECT_EQ(attribute(rendered, "data-ergebnis"), "12 ascending") << rendered.substr(0, 1500);
}
