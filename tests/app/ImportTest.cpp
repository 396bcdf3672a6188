// The import behind "OK": reading a permanence in two passes into the series state
// and the window, and refusing or failing without a half-done import.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <streambuf>

#include "app/ImportPanel.h"
#include "import/Permanence.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
using kalvor::testing::FakePlatform;
using kalvor::testing::MemoryFileSystem;
using kalvor::testing::NumberSequence;

namespace {

constexpr const char* kHeader = "Spielbank Hamburg\nTisch 1\nFreitag 27.11.2026\nPermanenz ab 15.00 Uhr\n";
// The message box of a file that could not be read, with the reason.
std::string failure(const std::string& reason) {
    return " Import|Die Datei konnte nicht gelesen werden: " + reason + ".";
}

class Import : public ::testing::Test {
protected:
    Import() { c.okextern.click(); }

    // Puts a file into /data, selects it as the user does, and presses OK.
    void importFile(const std::string& name, std::vector<std::string> versions) {
        files.add("/data/" + name, std::move(versions));
        ok(name);
    }
    void importFile(const std::string& name, const std::string& content) {
        importFile(name, std::vector<std::string>{content});
    }
    // Up to the root and back into /data, so that the file list is read anew.
    void reread() {
        c.Dir1.open(0);
        c.Dir1.open(1);
    }
    void ok(const std::string& name) {
        reread();
        const auto it = std::find(c.File1.items.begin(), c.File1.items.end(), name);
        ASSERT_NE(it, c.File1.items.end()) << name;
        c.File1.click(static_cast<int>(it - c.File1.items.begin()));
        c.okexternok.click();
    }
    void expectNothingImported(const std::string& prompt) {
        EXPECT_EQ(s.extern_, 0);
        EXPECT_EQ(s.zeilen, 0);
        EXPECT_EQ(c.text.text, prompt);
        EXPECT_EQ(c.textanzahl.text(), "");
        EXPECT_TRUE(c.Frame1.visible);
        EXPECT_TRUE(c.okextern.enabled);
        EXPECT_FALSE(c.okabbrechen.enabled);
    }
    std::vector<int32_t> list(std::initializer_list<int32_t> values, size_t margin = kPermMargin) {
        std::vector<int32_t> l{0};
        l.insert(l.end(), values);
        l.resize(l.size() + margin);
        return l;
    }

    kalvor::testing::TestWindow w;
    FakePlatform& platform = w.platform;
    Controls& c = w.controls();
    SeriesState& s = w.state();
    MemoryFileSystem& files = w.disk;
    ImportPanel& panel = w.panel();
};

}  // namespace

TEST_F(Import, CountsAndFillsWithEveryKindOfLineEnd) {
    for (const std::string nl : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(::testing::PrintToString(nl));
        c.okabbrechen.click();  // the reset that makes a second import possible
        c.okextern.click();
        std::string text = "Spielbank Hamburg" + nl + "Tisch 1" + nl + "Freitag" + nl + "ab 15 Uhr" + nl;
        text += "5" + nl + "------" + nl + "17" + nl + "=" + nl + "3" + nl;
        importFile("p.txt", text);
        EXPECT_EQ(s.perm, list({5, 17}));
        EXPECT_TRUE(s.permPresent);
        EXPECT_EQ(s.zeilen, 2);
        EXPECT_EQ(s.anzahl, 2);
        EXPECT_EQ(s.extern_, 1);
        EXPECT_EQ(c.textanzahl.text(), "2");
        EXPECT_EQ(c.text.text, "Spielbank Hamburg\rTisch 1\rFreitag");
        EXPECT_TRUE(c.okstart.enabled);
        EXPECT_FALSE(c.Frame1.visible);
        EXPECT_FALSE(c.okextern.enabled);
        EXPECT_TRUE(c.okabbrechen.enabled);
        EXPECT_TRUE(platform.notices.empty());
    }
}

TEST_F(Import, DataFieldsAreClassifiedByTheirFirstCharacter) {
    // Two numbers on a line, a letter, "-5", a quoted number, an empty field, a blank
    // inside a number, digits before a letter, and numbers after the end mark.
    importFile("p.txt", std::string(kHeader) + "1,2\nx\n-5\n\"12\"\n7,,8\n1 7\n3a\n=\n4\n5\n");
    EXPECT_EQ(s.perm, list({1, 2, 0, 12, 7, 0, 8, 17, 3}));
    EXPECT_EQ(c.textanzahl.text(), "9");
}

TEST_F(Import, ACommaInTheFirstLineMovesTheHeader) {
    importFile("p.txt", "Spielbank Hamburg,Tisch 5\nSamstag\nab 15 Uhr\n9\n10\n");
    EXPECT_EQ(c.text.text, "Spielbank Hamburg\rTisch 5\rSamstag");
    EXPECT_EQ(s.perm, list({9, 10}));
}

TEST_F(Import, HeaderIsShownAsUtf8OrWindows1252) {
    importFile("a.txt", "Spielbank Hamburg\nFranz\xF6sisch\n\xC4\n-\n1\n");
    EXPECT_EQ(c.text.text, "Spielbank Hamburg\rFranzösisch\rÄ");
    c.okabbrechen.click();
    c.okextern.click();
    importFile("b.txt", "\xEF\xBB\xBFSpielbank Hamburg\nFranzösisch\nÄ\n-\n1\n");
    EXPECT_EQ(c.text.text, "Spielbank Hamburg\rFranzösisch\rÄ");
}

TEST_F(Import, AHeaderWithoutNumbersImportsAnEmptyList) {
    for (const std::string tail : {"", "=\n5\n", "-----\n"}) {
        c.okabbrechen.click();
        c.okextern.click();
        importFile("p.txt", kHeader + tail);
        EXPECT_EQ(s.perm, list({})) << tail;
        EXPECT_EQ(s.extern_, 1);
        EXPECT_EQ(s.anzahl, 0);
        EXPECT_EQ(c.textanzahl.text(), "");
        EXPECT_FALSE(c.okstart.enabled);
        EXPECT_FALSE(c.Frame1.visible);
        EXPECT_FALSE(c.okextern.enabled);
    }
}

TEST_F(Import, ASecondImportReplacesALongerList) {
    importFile("long.txt", std::string(kHeader) + "1\n2\n3\n4\n5\n");
    c.okabbrechen.click();
    EXPECT_EQ(s.extern_, 0);
    c.okextern.click();
    importFile("short.txt", std::string(kHeader) + "36\n");
    EXPECT_EQ(s.perm, list({36}));
    EXPECT_EQ(s.anzahl, 1);
}

TEST_F(Import, EmptyFilesAndOtherFilesAreRefusedSilently) {
    s.zeilen = 4;
    for (const char* text : {"", "spielbank Hamburg\n1\n2\n3\n4\n", "Spiel\n1\n2\n3\n", "Spiel bank\n1\n2\n3\n"}) {
        importFile("p.txt", text);
        expectNothingImported(importPrompt());
    }
    EXPECT_TRUE(platform.notices.empty());
    EXPECT_FALSE(s.permPresent);
}

TEST_F(Import, AFileThatCannotBeReadChangesNothingAndIsReported) {
    importFile("old.txt", std::string(kHeader) + "8\n9\n");
    const auto before = s.perm;
    c.okabbrechen.click();
    c.okextern.click();

    importFile("short.txt", "Spielbank Hamburg\nTisch 1\nFreitag\n");  // ends before the fourth field
    importFile("blank.txt", "\n\n\n");                                 // no field at all
    importFile("grows.txt", {std::string(kHeader) + "1\n2\n", std::string(kHeader) + "1\n2\n3\n"});
    importFile("shrinks.txt", {std::string(kHeader) + "1\n2\n", std::string(kHeader) + "1\n"});
    importFile("renamed.txt", {std::string(kHeader) + "1\n", "Spielbank Bremen\nTisch 1\nFreitag\n-\n1\n"});
    files.addFailing("/data/broken.txt", std::string(kHeader) + "1\n2");
    ok("broken.txt");
    files.add("/data/gone.txt", std::string(kHeader) + "1\n");
    reread();
    files.remove("/data/gone.txt");  // deleted after the list was read
    c.File1.click(
        static_cast<int>(std::find(c.File1.items.begin(), c.File1.items.end(), "gone.txt") - c.File1.items.begin()));
    c.okexternok.click();

    files.addRefused("/data/locked.txt", FileError::NoPermission);
    ok("locked.txt");
    files.addRefused("/data/pipe.txt", FileError::NotPlainFile);
    ok("pipe.txt");

    const std::string tooShort = failure("unvollständig: weniger als vier Kopfzeilen");
    const std::string changed = failure("während des Lesens verändert");
    EXPECT_EQ(platform.notices,
              (std::vector<std::string>{tooShort, tooShort, changed, changed, changed, failure("Lesefehler"),
                                        failure("nicht gefunden"), failure("keine Berechtigung"),
                                        failure("keine normale Datei")}));
    expectNothingImported(importPrompt());
    EXPECT_EQ(s.perm, before);

    // More numbers than the memory holds.
    files.add("/data/three.txt", std::string(kHeader) + "1,2,3\n");
    const PermanenceRead large = readPermanence(files, "/data/three.txt", 3 + kPermMargin);
    EXPECT_EQ(refusalMessage(large.refusal, false),
              "Die Datei konnte nicht gelesen werden: zu groß für den Arbeitsspeicher.");
}

// A blank line among the four header fields is an empty field of the header, so the
// header keeps its four places; among the data it is passed over. Both passes agree.
TEST_F(Import, ABlankLineInTheHeaderIsAnEmptyHeaderField) {
    importFile("p.txt", "Spielbank Hamburg\nTisch 1\nFreitag 27.11.2026\n\n23\n36\n");
    EXPECT_EQ(s.perm, list({23, 36}));
    EXPECT_EQ(c.text.text, "Spielbank Hamburg\rTisch 1\rFreitag 27.11.2026");
    c.okabbrechen.click();
    c.okextern.click();
    importFile("q.txt", "\nSpielbank Hamburg\n\n  \r\n-\n23\n\n\n36\n");
    EXPECT_EQ(s.perm, list({23, 36}));
    EXPECT_EQ(c.text.text, "Spielbank Hamburg\r\r");
    EXPECT_TRUE(platform.notices.empty());
}

// The watch sees the bytes of both passes and stops the reading when cancelled,
// which the panel takes as a refusal without a word.
TEST_F(Import, ACancelledReadingStopsAtItsNextBlockAndChangesNothing) {
    const std::string text = std::string(kHeader) + "1\n2\n";
    files.add("/data/p.txt", text);
    ReadWatch watch;
    EXPECT_EQ(readPermanence(files, "/data/p.txt", listRoom(), &watch).refusal, Refusal::None);
    EXPECT_EQ(watch.bytesRead, 2 * text.size());
    EXPECT_EQ(watch.bytesToRead, 2 * text.size());

    // A header, then zero bytes without end; the user cancels after the first megabyte.
    ReadWatch stopped;
    class Endless final : public std::streambuf {
    public:
        explicit Endless(ReadWatch& watch) : watch_(watch) {
            std::copy(kHeader, kHeader + std::char_traits<char>::length(kHeader), block_.begin());
            setg(block_.data(), block_.data(), block_.data() + block_.size());
        }
        std::size_t delivered = block_.size();

    protected:
        int_type underflow() override {
            block_.fill('\0');
            setg(block_.data(), block_.data(), block_.data() + block_.size());
            delivered += block_.size();
            if (delivered > (1u << 20)) watch_.cancelled = true;
            return 0;
        }

    private:
        ReadWatch& watch_;
        std::array<char, 4096> block_{};
    } endless(stopped);
    files.addBuffer("/data/endless.txt", endless);
    EXPECT_EQ(readPermanence(files, "/data/endless.txt", listRoom(), &stopped).refusal, Refusal::Cancelled);
    EXPECT_LE(endless.delivered, (1u << 20) + 2 * 64 * 1024);
    EXPECT_EQ(refusalMessage(Refusal::Cancelled, true), "");
}

TEST_F(Import, EndlessFieldsAreNeverHeldWhole) {
    // Four gigabytes of zero bytes: refused after the first few.
    kalvor::testing::EndlessBuffer zeros('\0', 4ULL << 30);
    files.addBuffer("/data/zeros.txt", zeros);
    ok("zeros.txt");
    expectNothingImported(importPrompt());
    EXPECT_LE(zeros.delivered, 4096U);
    EXPECT_TRUE(platform.notices.empty());

    // A header field beyond what the prompt shows is cut there; a data field of any
    // length reads as its whole text.
    importFile("long.txt", "Spielbank " + std::string(100000, 'x') + "\nTisch 5\nTag\n-\n" + std::string(100000, '0') +
                               "17,1" + std::string(100000, '0') + "e-100000\n");
    EXPECT_EQ(c.text.text, "Spielbank " + std::string(69, 'x') + "…\rTisch 5\rTag");
    EXPECT_EQ(s.perm, list({17, 1}));
}

TEST_F(Import, TheListHoldsEachNumberInFourBytesAsItsThrowPlaysIt) {
    static_assert(sizeof(decltype(s.perm)::value_type) == 4);
    // Halves to the even neighbour, the 32-bit limit beyond it; the commas after the
    // last number are throws of 0, all but the one that ends the file.
    importFile("commas.txt", std::string(kHeader) + "2.5,3.5,0.5,70000,1e10" + std::string(1000000, ','));
    ASSERT_EQ(static_cast<size_t>(s.zeilen), 1000004U);
    EXPECT_EQ(std::vector<int32_t>(s.perm.begin(), s.perm.begin() + 7),
              (std::vector<int32_t>{0, 2, 4, 0, 70000, INT32_MAX, 0}));
    EXPECT_EQ(s.perm.size(), 1000004 + kPermMargin + 1);
    EXPECT_EQ(s.perm.capacity(), s.perm.size());
    EXPECT_EQ(std::count(s.perm.begin() + 6, s.perm.end(), 0), static_cast<long>(s.perm.size()) - 6);

    // More numbers than the list may hold: refused before it is made.
    files.add("/data/three.txt", std::string(kHeader) + "1,2,3\n");
    EXPECT_EQ(readPermanence(files, "/data/three.txt", 3 + kPermMargin).outcome, PermanenceRead::Outcome::TooLarge);
    EXPECT_EQ(readPermanence(files, "/data/three.txt", 4 + kPermMargin).outcome, PermanenceRead::Outcome::Read);
    // The list may take half of the machine's memory at most, as the kernel counts it.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    unsigned long long totalKilobytes = 0;
    while (meminfo >> key && key != "MemTotal:") meminfo.ignore(256, '\n');
    meminfo >> totalKilobytes;
    ASSERT_GT(totalKilobytes, 0u);
    EXPECT_GT(listRoom(), 0u);
    EXPECT_LE(listRoom() * sizeof(int32_t), totalKilobytes * 1024 / 2);
}

TEST_F(Import, OkWithoutASelectedFileAsksForOneAndReadsNoDirectory) {
    files.add("/data/p.txt", std::string(kHeader) + "1\n");
    files.directories.insert("/data/sub");
    reread();
    c.File1.click(0);
    ASSERT_TRUE(c.okexternok.enabled);
    c.Dir1.open(2);  // into /data/sub: OK stays enabled, nothing is selected
    c.okexternok.click();
    EXPECT_EQ(platform.notices, std::vector<std::string>{" Import|Bitte zuerst eine Datei auswählen."});
    EXPECT_TRUE(files.opened.empty());
    expectNothingImported(importPrompt());
}

TEST_F(Import, TheRootDirectoryGetsNoSecondSeparator) {
    EXPECT_EQ(childPath("/", "p.txt"), "/p.txt");
    EXPECT_EQ(childPath("/data", "p.txt"), "/data/p.txt");
    EXPECT_EQ(childPath("/data/", "p.txt"), "/data/p.txt");
    files.add("/p.txt", std::string(kHeader) + "1\n");
    c.Dir1.open(0);
    ASSERT_EQ(c.Dir1.path, "/");
    c.File1.click(0);
    c.okexternok.click();
    EXPECT_EQ(files.opened, (std::vector<std::string>{"/p.txt", "/p.txt"}));
    EXPECT_EQ(s.extern_, 1);
}

TEST_F(Import, TheImportedNumbersAreReplayed) {
    importFile("p.txt", std::string(kHeader) + "32\n15\n0\n19\n37\n");
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    EXPECT_EQ(c.lakut.text, "5");
    EXPECT_EQ(c.lzahl.text, "37");
    EXPECT_EQ(c.lrot.text, "2");      // 32 and 19
    EXPECT_EQ(c.lschwarz.text, "1");  // 15
    EXPECT_FALSE(c.okstart.enabled);
}
