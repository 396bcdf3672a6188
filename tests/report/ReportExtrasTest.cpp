// What kalvor1-report adds to the window's values, against the window itself where
// it can be: the walk it counts, the other even chances, the joined walk, and the
// palette pictures as ImageMagick reads them.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ReportRun.h"
#include "tests/support/ScratchDir.h"
#include "export/Png.h"
#include "app/FigureTexts.h"
#include "report/Replay.h"
#include "report/Report.h"
#include "tests/support/Examples.h"

using namespace kalvor;
using namespace kalvor::testing;
namespace fs = std::filesystem;

namespace {

std::string run(const std::vector<std::string>& arguments, int expectedStatus = kAllRead) {
    std::ostringstream out, err;
    EXPECT_EQ(reportMain(arguments, out, err), expectedStatus) << err.str();
    return out.str();
}

void writeNumbers(const fs::path& file, const std::string& header, const std::vector<int>& numbers) {
    std::ofstream out(file, std::ios::binary);
    out << "Spielbank " << header << "\r\nTisch 1\r\nMontag\r\nab 15 Uhr\r\n";
    for (int n : numbers) out << n << "\r\n";
}

using ReportExtras = kalvor::testing::ScratchDirTest;

}  // namespace

TEST_F(ReportExtras, TheWalkCountsAsTheWindowAndOtherChancesPlayAsRedAndBlack) {
    // 37 and numbers off the wheel on the zero line: the window counts a touch,
    // the walk no return.
    writeNumbers(dir / "rand.txt", "Rand", {37, 5, 99, 17, -4, 0, 12, 36, 37});
    // Labels the run never writes: only zeros, only throws without a side, only black.
    writeNumbers(dir / "null.txt", "Null", {0, 0, 0});
    writeNumbers(dir / "ohne.txt", "Ohne", {37, 0, 37});
    writeNumbers(dir / "schwarz.txt", "Schwarz", {2, 4, 6, 0});
    for (const fs::path& file : {kExamples / "hamburg_2026-11-27_tisch1.txt", dir / "rand.txt", dir / "null.txt",
                                 dir / "ohne.txt", dir / "schwarz.txt"}) {
        const FileReport r = replayPermanence(file.string(), false);
        const auto counted = valueTexts(r.walk);
        EXPECT_EQ(std::vector<std::string>(counted.begin(), counted.end()),
                  std::vector<std::string>(r.values.begin(), r.values.end()))
            << file;
    }
    EXPECT_EQ(replayPermanence((dir / "rand.txt").string(), false).walk.returns, 1u);  // after 17 only

    // The same throws with each side's numbers written as a red (1) or black (2) one.
    std::mt19937 engine(99);
    std::vector<int> numbers;
    for (int i = 0; i < 500; ++i) numbers.push_back(static_cast<int>(engine() % 38));
    writeNumbers(dir / "zahlen.txt", "Zahlen", numbers);
    for (const auto& [chance, name] :
         {std::pair{EvenChance::EvenOdd, "pair-impair"}, std::pair{EvenChance::LowHigh, "manque-passe"}}) {
        std::vector<int> coloured;
        for (int n : numbers) {
            const bool left = chance == EvenChance::EvenOdd ? n % 2 == 0 : n <= 18;
            coloured.push_back(n == 0 || n == 37 ? n : (left ? 1 : 2));
        }
        writeNumbers(dir / "farben.txt", "Zahlen", coloured);
        const std::vector<std::string> got = csvLines(run({"--chance", name, (dir / "zahlen.txt").string()}));
        const std::vector<std::string> want = csvLines(run({(dir / "farben.txt").string()}));
        ASSERT_EQ(got.size(), 2u);
        ASSERT_EQ(want.size(), 2u);
        EXPECT_EQ(got[1].substr(got[1].find(',')), want[1].substr(want[1].find(','))) << name;
    }
    const std::string header = csvLines(run({"--chance", "pair-impair", (dir / "zahlen.txt").string()}))[0];
    EXPECT_EQ(header,
              "Datei,Kopfzeile 1,Kopfzeile 2,Kopfzeile 3,Anzahl akut,Pair,Impair,Fläche Pair,Fläche Impair,"
              ">- Abweichung,>+ Abweichung,0-Linie berührt,Akut bei,P >+ Abweichung,P >- Abweichung,P Abweichung,"
              "P 0-Linie,P Akut bei,Meldung,Diagramm");
    run({"--chance", "rouge-noir", (dir / "zahlen.txt").string()}, kUsageError);
}

TEST_F(ReportExtras, TheJoinedLineIsTheWindowsRunOfAllNumbersInOneFile) {
    std::mt19937 engine(4711);
    std::vector<int> all;
    for (int f = 0; f < 3; ++f) {
        std::vector<int> numbers;
        for (int i = 0; i < 400; ++i) numbers.push_back(static_cast<int>(engine() % 37));
        writeNumbers(dir / ("tag" + std::to_string(f) + ".txt"), "Tag", numbers);
        all.insert(all.end(), numbers.begin(), numbers.end());
    }
    writeNumbers(dir / "alle.dat", "Alle", all);
    const std::vector<std::string> joined = csvLines(run({"--joined", "-j", "2", dir.string()}));
    ASSERT_EQ(joined.size(), 5u);
    const std::vector<std::string> one = csvLines(run({(dir / "alle.dat").string()}));
    ASSERT_EQ(one.size(), 2u);
    const std::vector<std::string> total = plainCells(joined.back()), single = plainCells(one[1]);
    ASSERT_EQ(total.size(), 20u);
    ASSERT_EQ(single.size(), 20u);
    EXPECT_EQ(total[0], "Gesamt");
    for (size_t i = 4; i < 18; ++i) EXPECT_EQ(total[i], single[i]) << "column " << i;
    // Where the file's line leaves a label empty, so does the joined line.
    writeNumbers(dir / "schwarz.dat", "Schwarz", {2, 4, 0, 6});
    const std::vector<std::string> black = csvLines(run({"--joined", (dir / "schwarz.dat").string()}));
    ASSERT_EQ(black.size(), 3u);
    const std::vector<std::string> file = plainCells(black[1]), sum = plainCells(black[2]);
    EXPECT_EQ(file[5], "");   // Rot
    EXPECT_EQ(file[11], "");  // 0-Linie berührt
    EXPECT_EQ(std::vector(sum.begin() + 4, sum.begin() + 18), std::vector(file.begin() + 4, file.begin() + 18));

    // A summary or page that cannot be written is a failure, not a silent success.
    std::ostringstream out, err;
    const std::vector<std::string> nowhere{"--summary", (dir / "fehlt" / "z.csv").string(), "--html",
                                           (dir / "fehlt" / "s.html").string(), (dir / "alle.dat").string()};
    EXPECT_EQ(reportMain(nowhere, out, err), kOutputError);  // told before the files are read
    EXPECT_NE(err.str().find("Zusammenfassung nicht geschrieben"), std::string::npos) << err.str();
}

TEST_F(ReportExtras, PalettePicturesDecodeToTheirPixels) {
    std::mt19937 engine(3);
    // Random pixels of 5, 200 and 300 colours; then one colour and a dot, in rows
    // whose runs of zeros end around the longest copy deflate has (258).
    for (unsigned colours : {5u, 200u, 300u, 1u, 1u, 1u, 1u, 1u, 1u}) {
        static int plain = 0;
        const int w = colours > 1 ? 37 : 508 + 2 * plain++, h = colours > 1 ? 23 : 3;
        std::vector<Colour> pixels;
        for (int i = 0; i < w * h; ++i) pixels.push_back(static_cast<Colour>(engine() % colours) * 0x9E37u);
        if (colours == 1) pixels[static_cast<size_t>(w + 7)] = 0x00FF00;
        const fs::path png = dir / ("p" + std::to_string(colours) + "_" + std::to_string(w) + ".png"),
                       rgb = dir / "p.rgb";
        const std::string bytes_ = encodePng(pixels, w, h);
        std::ofstream(png, std::ios::binary) << bytes_;
        // zlib itself checks the stream's checksum, which a lenient decoder may skip.
        std::string packed;
        for (size_t at = 8; at + 12 <= bytes_.size();) {
            const auto byteAt = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes_[k])); };
            const uint32_t length = byteAt(at) << 24 | byteAt(at + 1) << 16 | byteAt(at + 2) << 8 | byteAt(at + 3);
            if (bytes_.compare(at + 4, 4, "IDAT") == 0) packed += bytes_.substr(at + 8, length);
            at += 12 + length;
        }
        std::vector<unsigned char> raw(static_cast<size_t>(w * h) * 4 + static_cast<size_t>(h));
        uLongf rawSize = static_cast<uLongf>(raw.size());
        EXPECT_EQ(uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                             static_cast<uLong>(packed.size())),
                  Z_OK)
            << colours << " colours, width " << w;
        const std::string command = "convert '" + png.string() + "' -depth 8 'rgb:" + rgb.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string bytes = readAll(rgb);
        ASSERT_EQ(bytes.size(), pixels.size() * 3);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const auto byte = [&](size_t k) {
                return static_cast<Colour>(static_cast<unsigned char>(bytes[3 * i + k]));
            };
            ASSERT_EQ(byte(0) | byte(1) << 8 | byte(2) << 16, pixels[i])
                << colours << " colours, width " << w << ", pixel " << i;
        }
    }
}
