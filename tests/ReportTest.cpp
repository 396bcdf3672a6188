// kalvor1-report against the window: each line holds what the window's labels show
// after the same import and run, each picture is the window's chart; refusals,
// quoting and the exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "report/Csv.h"
#include "report/Report.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
namespace fs = std::filesystem;

namespace {

const fs::path kExamples = KALVOR_SOURCE_DIR "/examples";

// The local disk, seen from the directory the test names.
class DiskFrom final : public LocalFileSystem {
public:
    explicit DiskFrom(std::string dir) : dir_(std::move(dir)) {}
    std::vector<std::string> drives() override { return {"/"}; }
    std::string currentDirectory() override { return dir_; }

private:
    std::string dir_;
};

struct WindowResult {
    std::vector<std::string> fields;  // the three prompt lines, then the nine labels
    std::vector<Colour> chart;
};

// The user's way: "Import", the file clicked in the list, "OK", "Durchlauf", "Start".
WindowResult replayInWindow(const fs::path& file) {
    DiskFrom disk(file.parent_path());
    NoPrinter printer;
    kalvor::testing::TestWindow form(disk, printer);
    Controls& c = form.controls();
    c.okextern.click();
    const auto it = std::find(c.File1.items.begin(), c.File1.items.end(), file.filename().string());
    EXPECT_NE(it, c.File1.items.end());
    c.File1.click(static_cast<int>(it - c.File1.items.begin()));
    c.okexternok.click();

    WindowResult result;
    std::istringstream prompt(c.text.text);
    for (std::string line; std::getline(prompt, line, '\r');) result.fields.push_back(line);
    EXPECT_EQ(result.fields.size(), 3u);
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    for (const Label* l : {&c.lakut, &c.lrot, &c.lschwarz, &c.lfrot, &c.lfschwarz, &c.ltief, &c.lhoch, &c.ltouch,
                           &c.lende})
        result.fields.push_back(l->text);
    result.chart = c.blatt.pixels();
    return result;
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome report(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = reportMain(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& csv) {
    std::vector<std::string> result;
    for (size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.push_back(csv.substr(start, end - start));
    return result;
}

// The picture as ImageMagick decodes it, as 0x00BBGGRR colours.
std::vector<Colour> decodePng(const fs::path& png) {
    const fs::path rgb = png.string() + ".rgb";
    const std::string command = "convert '" + png.string() + "' -depth 8 'rgb:" + rgb.string() + "'";
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(rgb, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Colour> pixels;
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
        pixels.push_back(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                         static_cast<unsigned char>(bytes[i + 2]) << 16);
    return pixels;
}

class Report : public ::testing::Test {
protected:
    Report() {
        std::random_device seed;
        dir = fs::temp_directory_path() / ("kalvor-report-" + std::to_string(seed()));
        fs::create_directories(dir);
    }
    ~Report() override { fs::remove_all(dir); }
    fs::path dir;
};

}  // namespace

TEST_F(Report, LinesAndPicturesAgreeWithTheWindow) {
    // A file of the same name from another directory, with other numbers, must not
    // take the first one's picture.
    const std::string tisch2 = "hamburg_2026-11-29_tisch2.txt";
    fs::create_directories(dir / "other");
    fs::copy_file(kExamples / "hamburg_2026-11-27_tisch1.txt", dir / "other" / tisch2);

    const Outcome run = report({"-j", "3", "--chart", (dir / "charts").string(), (kExamples / tisch2).string(),
                            kExamples.string(), (dir / "other" / tisch2).string()});
    EXPECT_EQ(run.status, kAllRead) << run.err;
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 6u) << run.out;
    EXPECT_EQ(got[0],
              "Datei,Kopfzeile 1,Kopfzeile 2,Kopfzeile 3,Anzahl akut,Rot,Schwarz,Fläche Rot,Fläche Schwarz,"
              ">- Abweichung,>+ Abweichung,0-Linie berührt,Akut bei,Meldung");

    // In the order of the arguments; the directory in the file list's order.
    const std::vector<std::pair<fs::path, std::string>> expected{
        {kExamples / tisch2, "hamburg_2026-11-29_tisch2.png"},
        {kExamples / "hamburg_2026-11-27_tisch1.txt", "hamburg_2026-11-27_tisch1.png"},
        {kExamples / "hamburg_2026-11-28_tisch3.txt", "hamburg_2026-11-28_tisch3.png"},
        {kExamples / tisch2, "hamburg_2026-11-29_tisch2-2.png"},
        {dir / "other" / tisch2, "hamburg_2026-11-29_tisch2-3.png"},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [file, picture] = expected[i];
        SCOPED_TRACE(file.string());
        const WindowResult window = replayInWindow(file);
        std::string line = file.string();
        for (const std::string& field : window.fields) line += "," + field;
        line += ",";  // nothing to note
        EXPECT_EQ(got[i + 1], line);
        EXPECT_TRUE(decodePng(dir / "charts" / picture) == window.chart) << picture;
    }
}

TEST_F(Report, RefusedFilesGetTheirReasonAndTheOthersGoOn) {
    std::ofstream(dir / "leer.txt");
    std::ofstream(dir / "brief.txt") << "Sehr geehrte Damen und Herren,\r\nanbei die Zahlen.\r\n";
    std::ofstream(dir / "saal.txt") << "\"Spielbank Hamburg, Saal 2\"\r\nTisch \"Nord\"\r\nMontag\r\nab 15 Uhr\r\n"
                                       "5\r\n17\r\n";
    const std::string missing = (dir / "fehlt.txt").string();

    const Outcome run = report({dir.string(), missing});
    EXPECT_EQ(run.status, kSomeRefused);
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 5u) << run.out;
    const std::string d = dir.string() + "/";
    EXPECT_EQ(got[1], d + "brief.txt,,,,,,,,,,,,,keine Permanenz");
    // A red 5, then a black 17 back onto the zero line.
    EXPECT_EQ(got[2], d + "leer.txt,,,,,,,,,,,,,leer");
    EXPECT_EQ(got[3], d + "saal.txt,\"Spielbank Hamburg, Saal 2\",\"Tisch \"\"Nord\"\"\",Montag,2,1,1,1,0,1,0,1,0,");
    EXPECT_EQ(got[4], missing + ",,,,,,,,,,,,,nicht gefunden");

    std::string field;
    appendCsvField(field, "a\rb\nc");
    EXPECT_EQ(field, "\"a\rb\nc\"");

    // Usage errors write no CSV.
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"--chart"}, {"-j", "0", missing}, {"--bunt", missing}}) {
        const Outcome bad = report(wrong);
        EXPECT_EQ(bad.status, kUsageError) << bad.err;
        EXPECT_EQ(bad.out, "");
        EXPECT_NE(bad.err, "");
    }
}
