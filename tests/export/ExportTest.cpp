// The formats' own rules: one cleaning of text with the CSV's and the page's
// choices, the markup of the pictures, and the one writer of output files.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/Csv.h"
#include "export/Markup.h"
#include "export/OutputFile.h"
#include "tests/support/ScratchDir.h"

using namespace kalvor;
namespace fs = std::filesystem;

TEST(Export, CsvAndPageCleanTheSameBytesByTheirOwnChoices) {
    // Invalid bytes, an overlong form, a surrogate, a cut character, C0 and C1 controls.
    const std::string bytes =
        "a\xff"
        "b\xc0\xaf"
        "c\xed\xa0\x80"
        "d\x01"
        "e\xc2\x85"
        "f\r\ng\th\xe2\x82";
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(cleanText(bytes, kCsvCleaning),
              "a" + fffd + "b" + fffd + fffd + "c" + fffd + fffd + fffd + "d" + fffd + "e" + fffd + "f g h" + fffd);
    EXPECT_EQ(htmlText(bytes), "a" + fffd + "b" + fffd + fffd + "c" + fffd + fffd + fffd + "d e f g h" + fffd);
    EXPECT_TRUE(isValidUtf8(cleanText(bytes, kCsvCleaning)));
    EXPECT_EQ(csvText("=1+1"), "'=1+1");
    EXPECT_EQ(csvText("-3"), "'-3");
    EXPECT_EQ(htmlText("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
    EXPECT_EQ(element("rect", {{"x", coordinate(1.25)}, {"fill", "<\"red\">"}}),
              "<rect x=\"1.3\" fill=\"&lt;&quot;red&quot;&gt;\"/>");
    EXPECT_EQ(element("text", {}, "0"), "<text>0</text>");
    EXPECT_EQ(base64("Kalvor"), "S2Fsdm9y");
    EXPECT_EQ(base64("Ka"), "S2E=");
}

TEST(Export, NothingInvisibleReordersOrHidesText) {
    // "abc" U+202E "txt.exe" would show as "abcexe.txt"; then a zero-width space, a
    // soft hyphen, a byte order mark, a tag letter, a variation selector, an isolate.
    const std::string hidden = "abc\u202Etxt.exe\u200Bx\u00ADy\uFEFFz\U000E0041!\uFE0F\u2067.";
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(csvText(hidden),
              "abc" + fffd + "txt.exe" + fffd + "x" + fffd + "y" + fffd + "z" + fffd + "!" + fffd + fffd + ".");
    EXPECT_EQ(htmlText(hidden), "abc txt.exe x y z !  .");
    // Line and paragraph separators end a line as a line feed does.
    EXPECT_EQ(csvText("a\u2028b\u2029c"), "a b c");
    // What shows stays: umlauts, the euro sign, U+FFFD itself, a letter beyond the
    // first plane, the no-break space and the characters just beside the ranges.
    const std::string shown = "\u00E4\u00A0\u20AC\uFFFD\U0001F600\u00AC\u00AE\u200A\u2010\u2070\uFFFC\u3163";
    EXPECT_EQ(csvText(shown), shown);
    EXPECT_EQ(htmlText(shown), shown);
}

using OutputFiles = kalvor::testing::ScratchDirTest;

TEST_F(OutputFiles, AFileIsThereWholeOrNotAtAllAndNeverOverWhatItMustNotReplace) {
    OutputGuard guard;
    const fs::path page = dir / "seite.html";
    {
        OutputFile file(page.string(), guard);
        file.write("halb");
        EXPECT_FALSE(fs::exists(page));  // not before the commit
    }
    EXPECT_FALSE(fs::exists(page));  // a file never committed leaves nothing
    EXPECT_TRUE(fs::is_empty(dir));

    // A replaced file keeps its mode.
    std::ofstream(page) << "alt";
    ::chmod(page.c_str(), 0640);
    {
        OutputFile file(page.string(), guard);
        file.write("neu");
        EXPECT_EQ(file.commit(), "");
    }
    std::stringstream now;
    now << std::ifstream(page).rdbuf();
    EXPECT_EQ(now.str(), "neu");
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A protected file, a link and a FIFO stay as they are, with the reason.
    guard.protect({st.st_dev, st.st_ino});
    fs::create_symlink(page, dir / "link.html");
    ASSERT_EQ(::mkfifo((dir / "fifo.html").c_str(), 0600), 0);
    for (const auto& [name, reason] :
         {std::pair{"seite.html", "an seiner Stelle steht eine Datei, die diese Auswertung liest"},
          std::pair{"link.html", "eine symbolische Verknüpfung steht an seiner Stelle"},
          std::pair{"fifo.html", "an seiner Stelle steht keine normale Datei"}}) {
        OutputFile file((dir / name).string(), guard);
        file.write("x");
        EXPECT_EQ(file.commit(), reason) << name;
    }
    std::stringstream after;
    after << std::ifstream(page).rdbuf();
    EXPECT_EQ(after.str(), "neu");
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.html"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // nothing left behind

    OutputFile missing((dir / "fehlt" / "x.csv").string(), guard);
    EXPECT_EQ(missing.commit(), "Verzeichnis nicht vorhanden");
}
