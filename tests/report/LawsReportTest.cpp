// The laws' file of kalvor1-report against the report's own lines: the same files in
// the same order, the steps and returns its main line's figures come from, the line
// "Gesamt" as one file of all numbers, and a file whose run ends at a counter's limit.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/FigureTexts.h"
#include "report/Report.h"
#include "stats/FairWalk.h"
#include "tests/support/ReportRun.h"
#include "tests/support/ScratchDir.h"

using namespace kalvor;
using namespace kalvor::testing;
namespace fs = std::filesystem;

namespace {

void writeDay(const fs::path& file, const std::vector<int>& numbers, const std::string& first = "Spielbank Test") {
    std::ofstream out(file, std::ios::binary);
    out << first << "\r\nTisch 1\r\nMontag\r\nab 15 Uhr\r\n";
    for (int n : numbers) out << n << "\r\n";
}

using LawsReport = kalvor::testing::ScratchDirTest;

}  // namespace

TEST_F(LawsReport, ItsLinesFollowTheReportsAndGesamtIsAllFilesAsOne) {
    std::mt19937 engine(24);
    std::vector<int> all;
    for (int f = 0; f < 3; ++f) {
        std::vector<int> numbers;
        for (int i = 0; i < 400; ++i) numbers.push_back(static_cast<int>(engine() % 38));  // 37 now and then
        writeDay(dir / ("tag" + std::to_string(f) + ".txt"), numbers);
        all.insert(all.end(), numbers.begin(), numbers.end());
    }
    writeDay(dir / "tag1b.txt", {5, 6}, "Keine Permanenz");  // refused, between two days
    fs::create_directories(dir / "aus");
    const fs::path laws = dir / "aus" / "gesetze.csv";
    const ReportRun withLaws = reportRun({"--joined", "--laws", laws.string(), "-j", "2", dir.string()});
    EXPECT_EQ(withLaws.status, kSomeRefused) << withLaws.err;
    // The report's own lines stay as they are.
    EXPECT_EQ(withLaws.out, reportRun({"--joined", "-j", "2", dir.string()}).out);

    const std::vector<std::string> main = csvLines(withLaws.out), lines = csvLines(readAll(laws));
    ASSERT_EQ(lines.size(), main.size());
    EXPECT_EQ(lines[0],
              "Datei,Schritte,Rückkehren,Serien,P Serien,Längste Serie Rot,Längste Serie Schwarz,P Längste Serie,"
              "Längste Intermittenz,P Längste Intermittenz,Zeit Schwarz,P Zeit,Zahlen,Chi-Quadrat Zahlen,P Zahlen,"
              "Heißeste Zahl,Treffer heiß,P Heißeste,Kälteste Zahl,Treffer kalt,P Kälteste,Ausbleiber Zahl,"
              "Längster Ausbleiber,P Ausbleiber,Verschiedene in 37,P Drittel");
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> law = plainCells(lines[i]), line = plainCells(main[i]);
        ASSERT_EQ(law.size(), 1 + kLawColumnCount) << lines[i];
        EXPECT_EQ(law[0], line[0]);
        if (line[0].ends_with("tag1b.txt")) {
            EXPECT_EQ(lines[i], line[0] + std::string(kLawColumnCount, ','));
            continue;
        }
        // Steps and returns are those of the line's walk: its P 0-Linie follows from them.
        const uint64_t steps = std::stoull(law[1]), returns = std::stoull(law[2]);
        EXPECT_EQ(steps, std::stoull(line[5]) + std::stoull(line[6])) << line[0];
        EXPECT_EQ(line[16], probabilityText(logReturnsAtMost(steps, returns))) << line[0];
    }

    // All numbers in one file: the same laws as the line "Gesamt".
    fs::create_directories(dir / "eins");
    writeDay(dir / "eins" / "alle.txt", all);
    const fs::path one = dir / "aus" / "eins.csv";
    ASSERT_EQ(reportRun({"--laws", one.string(), (dir / "eins" / "alle.txt").string()}).status, kAllRead);
    const std::vector<std::string> single = csvLines(readAll(one));
    ASSERT_EQ(single.size(), 2u);
    EXPECT_EQ(lines.back(), "Gesamt" + single[1].substr(single[1].find(',')));

    // Pair and impair name the columns of their sides.
    const ReportRun pair = reportRun({"--chance", "pair-impair", "--laws", laws.string(), (dir / "tag0.txt").string()});
    EXPECT_NE(csvLines(readAll(laws))[0].find("Längste Serie Pair,Längste Serie Impair"), std::string::npos);
    EXPECT_EQ(pair.status, kAllRead);
}

TEST_F(LawsReport, AFileThatMeetsALimitHasTheLawsOfItsRunAndTheArchiveEveryNumber) {
    // 33,000 reds: the position reaches the end of its 16 bits after 16,434 throws.
    std::vector<int> numbers(33'000, 1);
    for (int i = 0; i < 300; ++i) numbers.push_back(i % 37);
    writeDay(dir / "rot.txt", numbers);
    const fs::path laws = dir / "g.csv", summary = dir / "z.csv";
    const ReportRun out =
        reportRun({"--joined", "--laws", laws.string(), "--summary", summary.string(), (dir / "rot.txt").string()});
    ASSERT_EQ(out.status, kAllRead) << out.err;
    const std::vector<std::string> lines = csvLines(readAll(laws));
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> file = plainCells(lines[1]), total = plainCells(lines[2]);
    EXPECT_EQ(file[1], "16434");   // the steps the window played
    EXPECT_EQ(file[12], "16434");  // and its throws
    EXPECT_EQ(file[5], "16434");   // one series of red
    EXPECT_EQ(total[12], "33300");
    EXPECT_EQ(file[7], "1.493e-4947");  // 2^(1-m): all of one side, far below the doubles
    // The summary ends with the verdict, which speaks against so red a wheel.
    const std::vector<std::string> rows = csvLines(readAll(summary));
    EXPECT_TRUE(rows.back().starts_with("\"Gegen einen fairen Kessel spricht: Gleichgewicht Rot – Schwarz (Gesamt)"))
        << rows.back();

    // A laws' file that cannot be written is told before the run, as the summary is.
    const ReportRun nowhere = reportRun({"--laws", (dir / "fehlt" / "g.csv").string(), (dir / "rot.txt").string()});
    EXPECT_EQ(nowhere.status, kOutputError);
    EXPECT_NE(nowhere.err.find("Gesetze nicht geschrieben (Verzeichnis nicht vorhanden)"), std::string::npos)
        << nowhere.err;
}
