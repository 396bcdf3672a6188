// kalvor1-report against the window: each line holds what the window's labels show
// after the same import and run, each picture is the window's chart; refusals,
// quoting and the exit status.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/ImportPanel.h"
#include "tests/support/ReportRun.h"
#include "tests/support/ScratchDir.h"
#include "core/TextEncoding.h"
#include "import/ListBudget.h"
#include "import/LocalFileSystem.h"
#include "export/ChartFiles.h"
#include "export/Csv.h"
#include "report/OrderedPool.h"
#include "report/Report.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/TestWindow.h"
#include "tests/support/Examples.h"

using namespace kalvor;
using kalvor::testing::ReportRun;
using kalvor::testing::reportRun;
namespace fs = std::filesystem;

namespace {

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
    for (const Label* l :
         {&c.lakut, &c.lrot, &c.lschwarz, &c.lfrot, &c.lfschwarz, &c.ltief, &c.lhoch, &c.ltouch, &c.lende})
        result.fields.push_back(l->text);
    result.chart = c.blatt.pixels();
    return result;
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

using Report = kalvor::testing::ScratchDirTest;

}  // namespace

TEST_F(Report, LinesAndPicturesAgreeWithTheWindow) {
    // A file of the same name from another directory, with other numbers, must not
    // take the first one's picture.
    const std::string tisch2 = "hamburg_2026-11-29_tisch2.txt";
    fs::create_directories(dir / "other");
    fs::copy_file(kExamples / "hamburg_2026-11-27_tisch1.txt", dir / "other" / tisch2);

    const ReportRun run = reportRun({"-j", "3", "--chart", (dir / "charts").string(), (kExamples / tisch2).string(),
                                     kExamples.string(), (dir / "other" / tisch2).string()});
    EXPECT_EQ(run.status, kAllRead) << run.err;
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 6u) << run.out;
    EXPECT_EQ(got[0],
              "Datei,Kopfzeile 1,Kopfzeile 2,Kopfzeile 3,Anzahl akut,Rot,Schwarz,Fläche Rot,Fläche Schwarz,"
              ">- Abweichung,>+ Abweichung,0-Linie berührt,Akut bei,P >+ Abweichung,P >- Abweichung,P Abweichung,"
              "P 0-Linie,P Akut bei,Meldung,Diagramm");

    // In the order of the arguments; the directory in the file list's order.
    const std::vector<fs::path> expected{
        kExamples / tisch2,
        kExamples / "hamburg_2026-11-27_tisch1.txt",
        kExamples / "hamburg_2026-11-28_tisch3.txt",
        kExamples / tisch2,
        dir / "other" / tisch2,
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const fs::path& file = expected[i];
        SCOPED_TRACE(file.string());
        const WindowResult window = replayInWindow(file);
        const fs::path picture = dir / "charts" / chartName(file.string());
        std::string line = file.string();
        for (const std::string& field : window.fields) line += "," + field;
        line += ",";  // the probabilities follow
        EXPECT_EQ(got[i + 1].substr(0, line.size()), line);
        EXPECT_TRUE(got[i + 1].ends_with(",," + picture.string())) << "nothing to note";
        EXPECT_TRUE(decodePng(picture) == window.chart) << picture;
    }
    // One picture a file, named after the file alone.
    EXPECT_NE(chartName((kExamples / tisch2).string()), chartName((dir / "other" / tisch2).string()));
    EXPECT_EQ(std::count_if(fs::directory_iterator(dir / "charts"), fs::directory_iterator(),
                            [](const fs::directory_entry& e) { return e.path().extension() == ".png"; }),
              4);
}

TEST_F(Report, RefusedFilesGetTheirReasonAndTheOthersGoOn) {
    std::ofstream(dir / "leer.txt");
    std::ofstream(dir / "brief.txt") << "Sehr geehrte Damen und Herren,\r\nanbei die Zahlen.\r\n";
    std::ofstream(dir / "saal.txt") << "\"Spielbank Hamburg, Saal 2\"\r\nTisch \"Nord\"\r\nMontag\r\nab 15 Uhr\r\n"
                                       "5\r\n17\r\n";
    const std::string missing = (dir / "fehlt.txt").string();

    const ReportRun run = reportRun({dir.string(), missing});
    EXPECT_EQ(run.status, kSomeRefused);
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 5u) << run.out;
    const std::string d = dir.string() + "/";
    EXPECT_EQ(got[1], d + "brief.txt,,,,,,,,,,,,,,,,,,keine Permanenz,");
    // A red 5, then a black 17 back onto the zero line.
    EXPECT_EQ(got[2], d + "leer.txt,,,,,,,,,,,,,,,,,,leer,");
    EXPECT_EQ(
        got[3],
        d + "saal.txt,\"Spielbank Hamburg, Saal 2\",\"Tisch \"\"Nord\"\"\",Montag,2,1,1,1,0,1,0,1,0,1,0.5,1,1,1,,");
    EXPECT_EQ(got[4], missing + ",,,,,,,,,,,,,,,,,,nicht gefunden,");

    std::string field;
    appendCsvField(field, "a\rb\nc");
    EXPECT_EQ(field, "\"a\rb\nc\"");

    // Usage errors write no CSV.
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{}, {"--chart"}, {"-j", "0", missing}, {"--bunt", missing}}) {
        const ReportRun bad = reportRun(wrong);
        EXPECT_EQ(bad.status, kUsageError) << bad.err;
        EXPECT_EQ(bad.out, "");
        EXPECT_NE(bad.err, "");
    }
}

namespace {

// Four reds in a row: "Akut bei" ends at -4, a number that starts with "-".
constexpr std::string_view kFourReds = "1\r\n3\r\n5\r\n7\r\n";

std::string fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(Report, TextCellsAreOneLineOfUtf8AndNeverAFormula) {
    // A quoted header field with a line break, terminal escapes, NUL and a byte that
    // is no UTF-8 (so the field reads as Windows-1252, as in the window); formulas.
    const std::string hostile = "t\xff\x1b[2J.txt";
    std::ofstream(dir / hostile, std::ios::binary)
        << std::string("\"Spielbank\r\nA\x1b[2J\0\x81\xe4\tB\"\r\n", 24) << "=HYPERLINK(\"http://x\";\"y\")\r\n"
        << "@SUM(1+1)*cmd|' /C calc'!A0\r\nab 15 Uhr\r\n"
        << kFourReds;
    // Header fields longer than the window shows them; the second beyond the reader's cap.
    const std::string wide = "Spielbank " + std::string(100, 'x');
    std::ofstream(dir / "lang.txt", std::ios::binary) << wide << "\r\n"
                                                      << std::string(2000, 'y') << "\r\n-\r\nab 15 Uhr\r\n"
                                                      << kFourReds;

    const ReportRun run = reportRun({"-j", "2", (dir / hostile).string(), (dir / "lang.txt").string()});
    EXPECT_EQ(run.status, kAllRead) << run.err;
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 3u) << run.out;
    const std::string d = dir.string() + "/";
    EXPECT_EQ(got[1], d + "t\uFFFD\uFFFD[2J.txt,Spielbank A\uFFFD[2J\uFFFD\uFFFD\u00e4 B,"
                          "\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\",'@SUM(1+1)*cmd|' /C "
                          "calc'!A0,4,4,,4,0,4,0,,-4,1,0.0625,0.125,0.375,0.125,,");
    EXPECT_EQ(got[2], d + "lang.txt," + wide + "," + std::string(kFieldCap, 'y') +
                          "\u2026,'-,4,4,,4,0,4,0,,-4,1,0.0625,0.125,0.375,0.125,,");

    // Every byte decodes, and the only control characters are the line ends.
    EXPECT_TRUE(isValidUtf8(run.out));
    for (size_t i = 0; i < run.out.size(); ++i) {
        const auto c = static_cast<unsigned char>(run.out[i]);
        if (c == '\r' && i + 1 < run.out.size() && run.out[i + 1] == '\n') ++i;
        else EXPECT_TRUE(c >= 0x20 && c != 0x7F) << "byte " << i;
    }
}

TEST_F(Report, DirectoriesListTheEntriesTheyPassOver) {
    std::ofstream(dir / "a.txt") << "Spielbank\r\nT\r\nD\r\nx\r\n" << kFourReds;
    ASSERT_EQ(::mkfifo((dir / "f.txt").c_str(), 0600), 0);
    fs::create_symlink("loop.txt", dir / "loop.txt");
    fs::create_symlink("nirgends", dir / "weg.txt");
    fs::create_directory(dir / "sub.txt");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "s.txt").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // Entries the directory does not stand for stay out of the report.
    ASSERT_EQ(::mkfifo((dir / "notes.md").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / ".versteckt.txt").c_str(), 0600), 0);

    const ReportRun run = reportRun({dir.string()});
    ::close(sock);
    EXPECT_EQ(run.status, kSomeRefused);
    const std::string d = dir.string() + "/";
    const std::vector<std::string> expected{
        d + "a.txt,Spielbank,T,D,4,4,,4,0,4,0,,-4,1,0.0625,0.125,0.375,0.125,,",
        d + "f.txt,,,,,,,,,,,,,,,,,,keine normale Datei (FIFO),",
        d + "loop.txt,,,,,,,,,,,,,,,,,,symbolische Verknüpfungen im Kreis,",
        d + "s.txt,,,,,,,,,,,,,,,,,,keine normale Datei (Socket),",
        d + "sub.txt,,,,,,,,,,,,,,,,,,ein Verzeichnis,",
        d + "weg.txt,,,,,,,,,,,,,,,,,,Verknüpfung ins Leere,",
    };
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), expected.size() + 1) << run.out;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i + 1], expected[i]);
}

TEST_F(Report, ChartsNeverFollowLinksOpenFifosOrReplaceInputs) {
    const std::string permanence = "Spielbank\r\nT\r\nD\r\nx\r\n" + std::string(kFourReds);
    const fs::path charts = dir / "c";
    fs::create_directories(charts);
    for (const char* name : {"p.txt", "q.txt", "r.txt"}) std::ofstream(dir / name) << permanence;
    const auto chartOf = [&](const fs::path& file) { return chartName(file.string()); };
    // A FIFO under p's picture would hang a plain open; a link under q's would lead
    // the picture onto its target.
    ASSERT_EQ(::mkfifo((charts / chartOf(dir / "p.txt")).c_str(), 0600), 0);
    std::ofstream(dir / "ziel") << "unverändert";
    fs::create_symlink(dir / "ziel", charts / chartOf(dir / "q.txt"));
    // An input that stands where r's picture would go, read through another path.
    const fs::path rInput = charts / chartOf(dir / "r.txt");
    std::ofstream(rInput) << permanence;
    fs::create_directory_symlink(charts, dir / "link");
    // An input in the chart folder, as in --chart d d/x.png.
    std::ofstream(charts / "x.png") << permanence;

    const ReportRun run =
        reportRun({"-j", "2", "--chart", charts.string(), (dir / "p.txt").string(), (dir / "q.txt").string(),
                   (dir / "r.txt").string(), (dir / "link" / rInput.filename()).string(), (charts / "x.png").string()});
    EXPECT_EQ(run.status, kSomeRefused) << run.err;
    const std::vector<std::string> got = lines(run.out);
    ASSERT_EQ(got.size(), 6u) << run.out;
    const std::string figures = ",Spielbank,T,D,4,4,,4,0,4,0,,-4,1,0.0625,0.125,0.375,0.125,";
    const std::string notWritten = "Diagramm nicht geschrieben (";
    EXPECT_EQ(got[1], (dir / "p.txt").string() + figures + notWritten +
                          "an seiner Stelle steht keine normale Datei): " + (charts / chartOf(dir / "p.txt")).string() +
                          ",");
    EXPECT_EQ(got[2], (dir / "q.txt").string() + figures + notWritten +
                          "eine symbolische Verknüpfung steht an seiner Stelle): " +
                          (charts / chartOf(dir / "q.txt")).string() + ",");
    EXPECT_EQ(got[3], (dir / "r.txt").string() + figures + "\"" + notWritten +
                          "an seiner Stelle steht eine Datei, die diese Auswertung liest): " + rInput.string() + "\",");
    const fs::path xChart = charts / chartOf(charts / "x.png");
    EXPECT_EQ(got[5], (charts / "x.png").string() + figures + "," + xChart.string());

    EXPECT_TRUE(fs::is_fifo(charts / chartOf(dir / "p.txt")));
    EXPECT_TRUE(fs::is_symlink(charts / chartOf(dir / "q.txt")));
    EXPECT_EQ(fileBytes(dir / "ziel"), "unverändert");
    EXPECT_EQ(fileBytes(rInput), permanence);
    EXPECT_EQ(fileBytes(charts / "x.png"), permanence);
    EXPECT_TRUE(fs::is_regular_file(xChart));
    // No scratch file is left behind.
    for (const auto& entry : fs::directory_iterator(charts))
        EXPECT_FALSE(entry.path().filename().string().starts_with('.')) << entry.path();
}

TEST(ReportMemory, ListsSideBySideShareOneBudget) {
    ListBudget budget(100);
    EXPECT_FALSE(budget.reserve(101).has_value());  // more than all: refused at once, not waited for
    std::optional<ListBudget::Reservation> first = budget.reserve(60);
    ASSERT_TRUE(first.has_value());
    std::atomic<bool> released{false}, second{false};
    std::thread other([&] {
        const auto share = budget.reserve(60);
        EXPECT_TRUE(released.load());  // only once the first share is back
        second = share.has_value();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    released = true;
    first.reset();
    other.join();
    EXPECT_TRUE(second.load());
    EXPECT_EQ(budget.peak(), 60u);

    // The import takes its list's share before the list exists, and keeps it with the list.
    kalvor::testing::MemoryFileSystem files;
    files.add("/data/three.txt", "Spielbank\r\nT\r\nD\r\nx\r\n1\r\n2\r\n3\r\n");
    const std::size_t listBytes = (3 + kPermMargin + 1) * sizeof(int32_t);
    ListBudget tight(listBytes - 1), exact(listBytes);
    EXPECT_EQ(readPermanence(files, "/data/three.txt", tight).outcome, PermanenceRead::Outcome::TooLarge);
    {
        const PermanenceRead read = readPermanence(files, "/data/three.txt", exact);
        EXPECT_EQ(read.outcome, PermanenceRead::Outcome::Read);
        EXPECT_EQ(exact.peak(), listBytes);
    }
    EXPECT_TRUE(exact.reserve(listBytes).has_value());  // given back with the list

    EXPECT_EQ(parseMemoryLimit("max\n"), std::nullopt);
    EXPECT_EQ(parseMemoryLimit("1073741824\n"), 1073741824u);
}

TEST(ReportMemory, LinesGoOutInOrderWithBoundedWaiting) {
    constexpr std::size_t kPieces = 2000, kWindow = 8;
    std::atomic<std::size_t> started{0};
    std::vector<std::size_t> order;
    {
        OrderedPool<std::size_t, std::size_t> pool(4, kWindow, [&](const std::size_t& i) {
            started.fetch_add(1);
            if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));  // out of step
            return i * i;
        });
        for (std::size_t next = 0; next < kPieces || !pool.idle();) {
            while (next < kPieces && !pool.full()) pool.give(next++);
            const auto [i, square] = pool.take();
            EXPECT_EQ(square, i * i);
            // Never more begun than the window ahead of what was handed on.
            EXPECT_LE(started.load(), order.size() + kWindow);
            order.push_back(i);
        }
    }
    ASSERT_EQ(order.size(), kPieces);
    for (std::size_t i = 0; i < kPieces; ++i) EXPECT_EQ(order[i], i);
}

// "-j 1" replays on the calling thread, as a program without threads would; more
// jobs replay on threads of their own.
TEST(ReportMemory, OneJobRunsOnTheCallersThread) {
    for (const std::size_t jobs : {1u, 2u}) {
        std::set<std::thread::id> ran;
        OrderedPool<int, std::thread::id> pool(jobs, 4, [](const int&) { return std::this_thread::get_id(); });
        for (int piece = 0; piece < 6; ++piece) {
            pool.give(piece);
            ran.insert(pool.take().second);
        }
        EXPECT_EQ(ran.contains(std::this_thread::get_id()), jobs == 1) << jobs << " jobs";
    }
}

// A thread the system will not start: the pool works with those it has, or on the
// caller's thread, and goes without waiting for the ones that never came.
TEST(ReportMemory, APoolWorksWithTheThreadsItGets) {
    for (const std::size_t granted : {0u, 1u, 3u}) {
        std::size_t started = 0;
        const auto start = [&](std::function<void()> serve) {
            if (started == granted)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            ++started;
            return std::jthread(std::move(serve));
        };
        std::set<std::thread::id> ran;
        {
            OrderedPool<int, std::thread::id> pool(
                7, 4, [](const int&) { return std::this_thread::get_id(); }, start);
            EXPECT_EQ(pool.threads(), granted == 1 ? 0u : granted);
            for (int piece = 0; piece < 6; ++piece) {
                pool.give(piece);
                ran.insert(pool.take().second);
            }
        }
        EXPECT_EQ(ran.contains(std::this_thread::get_id()), granted <= 1) << granted << " threads";
    }
}

// The report's command line, read as getopt_long reads it: options and names in
// any order, values attached or apart, and the first mistake named.
TEST(ReportCommandLine, OptionsInAnyOrderAndEveryMistakeNamed) {
    using Action = ReportCommand::Action;
    const ReportCommand run =
        parseReportArguments({"-j2", "a.txt", "--chart=bilder", "--chance", "pair-impair", "--joined", "--summary",
                              "s.csv", "b", "--laws", "g.csv", "--", "-c.txt"});
    ASSERT_EQ(run.action, Action::Run) << run.error;
    EXPECT_EQ(run.options.paths, (std::vector<std::string>{"a.txt", "b", "-c.txt"}));
    EXPECT_EQ(run.options.jobs, 2u);
    EXPECT_EQ(run.options.chartDirectory, "bilder");
    EXPECT_EQ(run.options.archive.chance, EvenChance::EvenOdd);
    EXPECT_TRUE(run.options.archive.joined);
    EXPECT_EQ(run.options.archive.summaryPath, "s.csv");
    EXPECT_EQ(run.options.archive.lawsPath, "g.csv");
    EXPECT_EQ(parseReportArguments({"-j", "3", "--html", "p.html", "-"}).options.jobs, 3u);
    EXPECT_EQ(parseReportArguments({"-j", "3", "--html", "p.html", "-"}).options.paths, std::vector<std::string>{"-"});

    EXPECT_EQ(parseReportArguments({"a.txt", "-h"}).action, Action::Help);
    EXPECT_EQ(parseReportArguments({"--version", "--gibtsnicht"}).action, Action::Version);
    for (const auto& [args, error] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--gibtsnicht", "--help"}, "unbekannte Option „--gibtsnicht“"},
             {{"-x", "a.txt"}, "unbekannte Option „-x“"},
             {{"-j0", "a.txt"}, "-j braucht eine Anzahl ab 1"},
             {{"a.txt", "-j"}, "-j braucht eine Anzahl ab 1"},
             {{"a.txt", "--chart"}, "--chart braucht ein Verzeichnis"},
             {{"--chart=", "a.txt"}, "--chart braucht ein Verzeichnis"},
             {{"--chance=rouge", "a.txt"}, "--chance braucht rot-schwarz, pair-impair oder manque-passe"},
             {{"a.txt", "--summary"}, "--summary braucht eine Datei"},
             {{"a.txt", "--laws"}, "--laws braucht eine Datei"},
             {{"--html", "a.txt"}, "keine Datei angegeben"},
             {{}, "keine Datei angegeben"},
         }) {
        const ReportCommand wrong = parseReportArguments(args);
        EXPECT_EQ(wrong.action, Action::UsageError) << error;
        EXPECT_EQ(wrong.error, error);
    }
}

// What cannot be done is said and given its own status: a chart folder that cannot
// be made stops the run before any line (status 3); an empty folder and a folder
// that cannot be listed are told, and the files beside them are still replayed.
TEST_F(Report, FoldersThatCannotServeAreToldAndTheRestGoesOn) {
    std::ofstream(dir / "blocker") << "x";
    const ReportRun noCharts = reportRun({"--chart", (dir / "blocker" / "bilder").string(), kExamples.string()});
    EXPECT_EQ(noCharts.status, kOutputError);
    EXPECT_EQ(noCharts.out, "");
    EXPECT_NE(noCharts.err.find("Verzeichnis für die Diagramme nicht anlegbar"), std::string::npos) << noCharts.err;

    fs::create_directories(dir / "leer");
    const fs::path example = kExamples / "hamburg_2026-11-29_tisch2.txt";
    const ReportRun empty = reportRun({(dir / "leer").string(), example.string()});
    EXPECT_EQ(empty.status, kAllRead);
    EXPECT_NE(empty.err.find("keine *.txt-Dateien in „" + (dir / "leer").string() + "“"), std::string::npos)
        << empty.err;
    ASSERT_EQ(lines(empty.out).size(), 2u);
    EXPECT_TRUE(lines(empty.out)[1].starts_with(example.string() + ",Spielbank Hamburg,Tisch 2,"));

    // A folder that is gone by the time its turn comes: its own line, the rest read.
    const ReportRun gone = reportRun({(dir / "weg").string() + "/", example.string()});
    EXPECT_EQ(gone.status, kSomeRefused);
    ASSERT_EQ(lines(gone.out).size(), 3u) << gone.out;
    EXPECT_TRUE(lines(gone.out)[2].starts_with(example.string() + ",Spielbank Hamburg,Tisch 2,"));
}
