// The summary and the page as the pictures are written: only where nothing stands
// or a plain file that the run does not read, in the mode of what they replace,
// never two outputs on one path; the summary on standard output with "-".

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "report/Report.h"
#include "tests/support/Examples.h"
#include "tests/support/ReportRun.h"
#include "tests/support/ScratchDir.h"

using namespace kalvor;
using kalvor::testing::ReportRun;
using kalvor::testing::reportRun;
namespace fs = std::filesystem;

namespace {

fs::perms modeOf(const fs::path& file) { return fs::status(file).permissions(); }

using Outputs = kalvor::testing::ScratchDirTest;

}  // namespace

TEST_F(Outputs, TwoOutputsOnOnePathOrAnOptionTwiceAreUsageErrors) {
    const std::string input = (dir / "mine.txt").string();
    fs::copy_file(kExamples / "hamburg_2026-11-27_tisch1.txt", input);
    fs::create_directories(dir / "d");
    fs::create_directory_symlink(dir / "d", dir / "e");
    const std::string x = (dir / "d" / "x").string();
    for (const auto& [args, error] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--summary", x, "--html", x}, "--summary und --html nennen denselben Pfad „" + x + "“"},
             {{"--summary", x, "--html", (dir / "e" / "." / "x").string()},
              "--summary und --html nennen denselben Pfad „" + (dir / "e" / "." / "x").string() + "“"},
             {{"--chart", x, "--html", x}, "--chart und --html nennen denselben Pfad „" + x + "“"},
             {{"--summary", "a", "--summary", "b"}, "--summary ist zweimal angegeben"},
             {{"--html", "a", "--html=b"}, "--html ist zweimal angegeben"},
             {{"--chart", "a", "--chart", "a"}, "--chart ist zweimal angegeben"},
             {{"-j", "2", "-j3"}, "-j ist zweimal angegeben"},
             {{"--html", "-"}, "--html schreibt nicht auf die Standardausgabe (eine Datei „-“: ./-)"},
         }) {
        std::vector<std::string> arguments = args;
        arguments.push_back(input);
        const ReportRun run = reportRun(arguments);
        EXPECT_EQ(run.status, kUsageError) << error;
        EXPECT_TRUE(run.err.starts_with("kalvor1-report: " + error + "\n")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(fs::is_empty(dir / "d"));
}

// Refused before the work is done, and left as it was: an input, also through a
// link to it; a FIFO; a directory; a name in a directory that is not there.
TEST_F(Outputs, NoSummaryOrPageOverAnythingButAFileOfItsOwn) {
    const std::string permanence = (dir / "mine.txt").string();
    fs::copy_file(kExamples / "hamburg_2026-11-27_tisch1.txt", permanence);
    const std::string before = readAll(permanence);
    fs::create_symlink(permanence, dir / "link.txt");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directories(dir / "ordner");
    const std::string inputReason = "an seiner Stelle steht eine Datei, die diese Auswertung liest";
    for (const auto& [option, output, input, why] : std::vector<std::array<std::string, 4>>{
             {"--summary", permanence, permanence, inputReason},
             {"--html", permanence, permanence, inputReason},
             {"--html", permanence, (dir / "link.txt").string(), inputReason},
             {"--summary", (dir / "link.txt").string(), permanence,
              "eine symbolische Verknüpfung steht an seiner Stelle"},
             {"--summary", (dir / "fifo").string(), permanence, "an seiner Stelle steht keine normale Datei"},
             {"--html", (dir / "ordner").string(), permanence, "an seiner Stelle steht keine normale Datei"},
             {"--summary", (dir / "fehlt" / "z.csv").string(), permanence, "Verzeichnis nicht vorhanden"},
         }) {
        const ReportRun run = reportRun({option, output, input});
        EXPECT_EQ(run.status, kOutputError) << output;
        EXPECT_EQ(run.err, "kalvor1-report: " + std::string(option == "--html" ? "Seite" : "Zusammenfassung") +
                               " nicht geschrieben (" + why + "): " + output + "\n");
        EXPECT_EQ(run.out, "");  // before any line
    }
    EXPECT_EQ(readAll(permanence), before);
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_TRUE(fs::is_empty(dir / "ordner"));
}

TEST_F(Outputs, AReplacedFileKeepsItsModeAndANewOneFollowsTheUmask) {
    const std::string input = (kExamples / "hamburg_2026-11-27_tisch1.txt").string();
    const fs::path old = dir / "alt.csv", page = dir / "neu.html";
    std::ofstream(old) << "alt";
    fs::permissions(old, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const mode_t umask = ::umask(027);
    const ReportRun run = reportRun({"--summary", old.string(), "--html", page.string(), input});
    ::umask(umask);
    EXPECT_EQ(run.status, kAllRead) << run.err;
    EXPECT_TRUE(readAll(old).starts_with("Abweichung ab,"));
    EXPECT_EQ(modeOf(old), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(modeOf(page), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// "-": the summary is what standard output carries, without the files' lines.
TEST_F(Outputs, TheSummaryOnStandardOutput) {
    const fs::path page = dir / "seite.html";
    const ReportRun run = reportRun({"--summary", "-", "--joined", "--html", page.string(), kExamples.string()});
    EXPECT_EQ(run.status, kAllRead) << run.err;
    EXPECT_TRUE(run.out.starts_with("Abweichung ab,beobachtet,erwartet\r\n")) << run.out;
    EXPECT_EQ(run.out.find("Datei,"), std::string::npos);
    EXPECT_EQ(run.out.find(",Spielbank Hamburg,"), std::string::npos);  // no file's line, and no "Gesamt" line
    EXPECT_EQ(run.out.find("\r\nGesamt,"), std::string::npos);
    // The page still has every file and the joined line.
    EXPECT_NE(readAll(page).find("Gesamt"), std::string::npos);
    const ReportRun file = reportRun({"--summary", (dir / "z.csv").string(), kExamples.string()});
    EXPECT_EQ(readAll(dir / "z.csv"), run.out);
}

// A rerun into the same folder leaves a picture that is already there, byte for
// byte, as it is: same file, same time; one that differs is replaced.
TEST_F(Outputs, ARerunLeavesTheSamePicturesAlone) {
    const fs::path charts = dir / "bilder";
    const std::vector<std::string> arguments{"--chart", charts.string(), kExamples.string()};
    const ReportRun first = reportRun(arguments);
    ASSERT_EQ(first.status, kAllRead) << first.err;
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::directory_iterator(charts)) pictures.push_back(entry.path());
    ASSERT_EQ(pictures.size(), 3u);
    const auto identity = [](const fs::path& file) {
        struct stat st {};
        EXPECT_EQ(::stat(file.c_str(), &st), 0);
        return std::array<long long, 4>{static_cast<long long>(st.st_ino), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
                                        st.st_ctim.tv_nsec};
    };
    std::vector<std::array<long long, 4>> before;
    for (const fs::path& p : pictures) before.push_back(identity(p));
    const std::string original = readAll(pictures[1]);
    std::string changed = original;
    changed[changed.size() / 2] ^= 1;
    std::ofstream(pictures[1], std::ios::binary | std::ios::trunc) << changed;
    before[1] = identity(pictures[1]);

    const ReportRun again = reportRun(arguments);
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(identity(pictures[0]), before[0]);
    EXPECT_EQ(identity(pictures[2]), before[2]);
    EXPECT_NE(identity(pictures[1])[0], before[1][0]);  // a new file in its place
    EXPECT_EQ(readAll(pictures[1]), original);
}
