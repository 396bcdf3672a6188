// The print buttons against a printer that records what it is told.

#include <gtest/gtest.h>

#include <charconv>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ThrowEngine.h"
#include "app/Printing.h"
#include "tests/support/Fakes.h"
#include "app/Form1.h"

using namespace kalvor;
using kalvor::testing::FakePlatform;

namespace {

// Records what it is told, and lays the text out as a page of fixed-width lines as
// the column rule asks: the pen goes to a column of its line, or of the next line
// when it already lies beyond it. Emphasised text is marked *first* / **second**.
class RecordingPrinter final : public Printer {
public:
    void showDialog() override { ops.push_back("dialog"); }
    PrintJob beginDocument(const std::string& jobName) override {
        ops.push_back("begin " + jobName);
        return job;
    }
    bool endDocument() override {
        ops.push_back("end");
        return sent;
    }
    void setFontSize(float points) override { ops.push_back("size " + std::to_string(static_cast<int>(points))); }
    void setEmphasis(Emphasis which, bool on) override {
        ops.push_back(std::string(which == Emphasis::First ? "first " : "second ") + (on ? "on" : "off"));
        (which == Emphasis::First ? first_ : second_) = on;
    }
    void moveToColumn(int column) override {
        ops.push_back("column " + std::to_string(column));
        const auto wanted = static_cast<std::size_t>(column - 1);
        if (pen_ > wanted) endLine();
        line().append(wanted - pen_, ' ');
        pen_ = wanted;
    }
    void printText(const std::string& text) override {
        ops.push_back("text [" + text + "]");
        put(text);
    }
    void printNumber(double value) override {
        // Without the locale, which std::to_string would read.
        char digits[64];
        const std::string shown(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        ops.push_back("number " + shown);
        put(value < 0 ? shown : " " + shown);
    }
    void printDate() override {
        ops.push_back("date");
        put("TT.MM.JJJJ");
    }
    void endLine() override {
        ops.push_back("line");
        page.emplace_back();
        pen_ = 0;
    }
    void printWindowPicture() override { ops.push_back("picture"); }

    // The operations from the prompt's column to the end, where the cases differ.
    std::vector<std::string> promptLine() const {
        for (std::size_t i = 0; i + 1 < ops.size(); ++i) {
            if (ops[i] == "column 15" && ops[i + 1].starts_with("text [") && !ops[i + 1].starts_with("text [Datum") &&
                !ops[i + 1].starts_with("text [Anzahl"))
                return {ops[i + 1]};
        }
        return {};
    }

    PrintJob job = PrintJob::Started;
    bool sent = true;
    std::vector<std::string> ops;
    std::vector<std::string> page{""};

private:
    std::string& line() { return page.back(); }
    // Counts characters, not bytes, for the pen.
    void put(const std::string& text) {
        const std::string mark = second_ ? "**" : first_ ? "*" : "";
        line() += mark + text + mark;
        pen_ += static_cast<std::size_t>(std::count_if(
                    text.begin(), text.end(), [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; })) +
                2 * mark.size();
    }
    bool first_ = false, second_ = false;
    std::size_t pen_ = 0;
};

class PrintButtons : public ::testing::Test {
protected:
    PrintButtons() {
        s.anzahl = 100;
        s.akut = 37;
        c.okdruck.enabled = true;  // as after Start
        platform.answer = Answer::No;
    }
    std::string printedPrompt() {
        printer.ops.clear();
        c.okdruck.click();
        auto line = printer.promptLine();
        return line.empty() ? "<none>" : line.front();
    }

    FakePlatform platform;
    Controls c;
    SeriesState s;
    RecordingPrinter printer;
    Printing printing{c, s, platform, printer};
};

}  // namespace

TEST_F(PrintButtons, ValuePageWithTheStandardPrompt) {
    c.text.text = standardPrompt();
    c.okdruck.click();
    // Column 15 is the left margin of the page, column 39 its title's; 12 points.
    const std::string margin(14, ' ');
    const std::vector<std::string> expected = {
        "",
        "",
        margin + "*Datum: **TT.MM.JJJJ*" + std::string(38 - 14 - 21, ' ') +
            "** Z e n t o r / E C / B r i s e l 1   dorem 02.1**",
        "",
        "",
        margin +
            " Anzahl der gewünschten Würfe eingeben, /   Modus wählen und Start drücken. /   Oder Import "
            "drücken und entspr. Datei der /   Spielbank Hamburg angeben.",
        "",
        margin + "Anzahl Würfe:   100",
        "",
        margin + "Anzahl akut :    37",
        "",
        "",
        "",
        "",
    };
    EXPECT_EQ(printer.page, expected);
    EXPECT_EQ(printer.ops.front(), "begin Kalvor1 Werte");
    EXPECT_EQ(printer.ops[1], "size 12");
    EXPECT_EQ(printer.ops.back(), "end");
    EXPECT_EQ(platform.questions,
              std::vector<std::string>{" Ausdruck Brisel1|Sollen die Druckereinstellungen noch geändert werden ?"});
    EXPECT_EQ(s.zeichen, ".");
    EXPECT_EQ(s.druckzeile.size(), standardPrompt().size() + 3 * 2);
    EXPECT_TRUE(platform.notices.empty());
    // The series itself is left alone.
    EXPECT_EQ(s.anzahl, 100);
    EXPECT_EQ(s.akut, 37);
    EXPECT_EQ(c.text.text, standardPrompt());
}

TEST_F(PrintButtons, PromptLineAfterImportEndLineAndEmptyPrompt) {
    c.text.text = "Spielbank Hamburg\rTisch 3\rDatum 01.02.2003";
    EXPECT_EQ(printedPrompt(), "text [Spielbank Hamburg / Tisch 3 / Datum 01.02.2003]");
    EXPECT_EQ(s.zeichen, "3");

    c.text.text = " Der Computer erzeugt die Zahlen...\r" + std::string(kEndLine);
    EXPECT_EQ(printedPrompt(), "text [ Der Computer erzeugt die Zahlen... / " + std::string(kEndLine) + "]");
    EXPECT_EQ(s.zeichen, " ");

    // A prompt that ends with a carriage return leaves " / " as the last character.
    c.text.text = "a\r";
    EXPECT_EQ(printedPrompt(), "text [a / ]");
    EXPECT_EQ(s.zeichen, " / ");

    // Umlauts are one character each, and bytes that are no UTF-8 pass unchanged.
    c.text.text = "Würfe\xFF";
    EXPECT_EQ(printedPrompt(), "text [Würfe\xFF]");
    EXPECT_EQ(s.zeichen, "\xFF");
    c.text.text = "Würfe ü";
    printedPrompt();
    EXPECT_EQ(s.zeichen, "ü");

    c.text.text.clear();
    EXPECT_EQ(printedPrompt(), "text []");
    EXPECT_EQ(s.zeichen, "");
    EXPECT_EQ(s.druckzeile, "");
    EXPECT_EQ(printer.ops.size(), 33u);  // the same page as with any other prompt
}

TEST_F(PrintButtons, NumbersAsTheyStandMidSeriesAndFractional) {
    s.anzahl = 2.5;
    s.akut = 1;
    c.text.text = "x";
    c.okdruck.click();
    const auto at = [&](const std::string& op) { return std::find(printer.ops.begin(), printer.ops.end(), op); };
    ASSERT_NE(at("number 2.5"), printer.ops.end());
    EXPECT_LT(at("number 2.5"), at("number 1"));
}

TEST_F(PrintButtons, LongPromptIsFlattenedInFull) {
    c.text.text = std::string(40000, 'a') + "\r" + "b";
    c.okdruck.click();
    EXPECT_EQ(s.druckzeile.size(), 40000u + 3 + 1);
    EXPECT_EQ(s.druckzeile.substr(39998), "aa / b");
    EXPECT_EQ(s.zeichen, "b");
}

TEST_F(PrintButtons, AnswersToTheQuestion) {
    c.text.text = "p";
    s.zeichen = "old";
    s.druckzeile = "old line";

    platform.answer = Answer::Cancel;
    c.okdruck.click();
    c.okcopy.click();
    EXPECT_TRUE(printer.ops.empty());
    EXPECT_EQ(s.zeichen, "old");
    EXPECT_EQ(s.druckzeile, "old line");
    ASSERT_EQ(platform.questions.size(), 2u);
    EXPECT_EQ(platform.questions[1], " Ausdruck Kalvor1|Sollen die Druckereinstellungen noch geändert werden ?");

    platform.answer = Answer::Yes;
    c.okcopy.click();
    EXPECT_EQ(printer.ops, (std::vector<std::string>{"dialog", "begin Kalvor1 Copy", "picture", "end"}));

    printer.ops.clear();
    c.okdruck.click();
    ASSERT_GE(printer.ops.size(), 3u);
    EXPECT_EQ(printer.ops[0], "dialog");
    EXPECT_EQ(printer.ops[1], "begin Kalvor1 Werte");
    EXPECT_EQ(printer.ops.back(), "end");

    // "Copy" is there before any series began; "Druck" only once enabled.
    printer.ops.clear();
    platform.answer = Answer::No;
    c.okdruck.enabled = false;
    c.okdruck.click();
    EXPECT_TRUE(printer.ops.empty());
    c.okcopy.click();
    EXPECT_EQ(printer.ops, (std::vector<std::string>{"begin Kalvor1 Copy", "picture", "end"}));
}

TEST_F(PrintButtons, WithoutPrinterNothingIsPrintedAndTheUserIsTold) {
    c.text.text = "p";
    s.zeichen = "old";
    printer.job = PrintJob::NoPrinter;
    c.okdruck.click();
    printer.job = PrintJob::Failed;
    c.okcopy.click();
    EXPECT_EQ(printer.ops, (std::vector<std::string>{"begin Kalvor1 Werte", "begin Kalvor1 Copy"}));
    ASSERT_EQ(platform.notices.size(), 2u);
    EXPECT_EQ(platform.notices[0], " Ausdruck Brisel1|" + std::string(kNoPrinterMessage));
    EXPECT_EQ(platform.notices[1], " Ausdruck Kalvor1|" + std::string(kPrintFailedMessage));
    EXPECT_EQ(s.zeichen, "old");

    // A job that cannot be sent at its end is reported as well.
    printer.job = PrintJob::Started;
    printer.sent = false;
    c.okcopy.click();
    ASSERT_EQ(platform.notices.size(), 3u);
    EXPECT_EQ(platform.notices[2], " Ausdruck Kalvor1|" + std::string(kPrintFailedMessage));
}
