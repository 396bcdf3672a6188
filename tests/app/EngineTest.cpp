// The throw engine over injected numbers: modes, end lines, labels, passes, limits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ThrowEngine.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
using kalvor::testing::TestWindow;

namespace {

const std::string kEnd = std::string("\r") + std::string(kEndLine);

class Engine : public ::testing::Test {
protected:
    void throws(const std::string& count) { c.textanzahl.setText(count); }
    void feed(int n, int times) {
        for (int i = 0; i < times; ++i) numbers.push(n);
    }

    TestWindow w;
    kalvor::testing::NumberSequence& numbers = w.numbers;
    kalvor::testing::FakePlatform& platform = w.platform;
    Controls& c = w.controls();
    SeriesState& s = w.state();
};

}  // namespace

TEST_F(Engine, FirstRedThrowLabelsAndPoint) {
    throws("10");
    numbers.push(1);
    c.okstart.click();
    EXPECT_EQ(c.lakut.text, "1");
    EXPECT_EQ(c.lzahl.text, "1");
    EXPECT_EQ(c.lrot.text, "1");
    EXPECT_EQ(c.lschwarz.text, "");
    EXPECT_EQ(c.lfrot.text, "1");
    EXPECT_EQ(c.lfschwarz.text, "0");
    EXPECT_EQ(c.ltief.text, "1");
    EXPECT_EQ(c.lhoch.text, "0");
    EXPECT_EQ(c.lende.text, "-1");
    EXPECT_EQ(c.ltouch.text, "");
    EXPECT_EQ(s.spalte, 98);
    EXPECT_EQ(c.blatt.pixel(97, 1), paletteColour(0));
    EXPECT_EQ(c.text.text, kComputerPrompt);
    EXPECT_EQ(c.okstart.caption, "Weiter");
    EXPECT_TRUE(c.okstart.enabled && c.okdruck.enabled && c.okabbrechen.enabled);
    EXPECT_FALSE(c.okextern.enabled);
}

TEST_F(Engine, ZeroLeavesAnEmptyRowAndNoStatistics) {
    throws("10");
    numbers = {0, 2};
    c.okstart.click();
    EXPECT_EQ(c.lakut.text, "1");
    EXPECT_EQ(c.lzahl.text, "0");
    for (const Label* l : {&c.lfrot, &c.lfschwarz, &c.ltief, &c.lhoch, &c.lende, &c.lrot}) EXPECT_EQ(l->text, "");
    c.okstart.click();  // black at row 4
    EXPECT_EQ(c.blatt.pixel(101, 3), paletteColour(0));
    for (int x = 0; x < TendencyChart::kWidth; ++x) {
        const bool gridColumn = x >= 19 && x <= 180 && (x + 1) % 20 <= 1;
        if (!gridColumn) {
            EXPECT_EQ(c.blatt.pixel(x, 1), kChartBackground) << x;
        }
    }
}

TEST_F(Engine, ReturnToTheZeroLineTouchesIt) {
    throws("10");
    c.Option1.select(Mode::Durchlauf);
    numbers = {1, 2};
    throws("2");
    c.okstart.click();
    EXPECT_EQ(c.lende.text, "0");
    EXPECT_EQ(c.ltouch.text, "1");
    EXPECT_EQ(s.zrot, 1);
    EXPECT_EQ(s.zschwarz, 0);
    EXPECT_EQ(c.lrot.text, "1");
    EXPECT_EQ(c.lschwarz.text, "1");
}

TEST_F(Engine, DurchlaufEndsWithTheEndLineAndFractionalCountRoundsUp) {
    throws("10.5");
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    EXPECT_EQ(s.akut, 11);
    EXPECT_EQ(c.text.text, std::string(kComputerPrompt) + kEnd);
    EXPECT_EQ(c.okstart.caption, "Start");
    EXPECT_FALSE(c.okstart.enabled);
    EXPECT_EQ(numbers.seeds, 1 + 11);  // once at load, then before every draw
}

TEST_F(Engine, EinzelschrittNeedsOneMoreClickForTheEndLine) {
    throws("2");
    c.okstart.click();
    c.okstart.click();
    EXPECT_EQ(s.akut, 2);
    EXPECT_EQ(c.text.text, kComputerPrompt);
    EXPECT_TRUE(c.okstart.enabled);
    c.okstart.click();
    EXPECT_EQ(s.akut, 2);
    EXPECT_EQ(c.text.text, std::string(kComputerPrompt) + kEnd);
    EXPECT_FALSE(c.okstart.enabled);
}

TEST_F(Engine, HaltBeiWurfPausesThenSwitchesToDurchlauf) {
    throws("100");
    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("50");
    c.okstart.click();
    EXPECT_EQ(s.akut, 50);
    EXPECT_TRUE(c.Option1.isSelected(Mode::Durchlauf));
    EXPECT_EQ(c.haltbei.text(), "");
    EXPECT_FALSE(c.haltbei.enabled);
    EXPECT_EQ(c.haltbei.backColour, 0x00C0C0C0u);
    EXPECT_EQ(s.haltwurf, 50);
    c.okstart.click();
    EXPECT_EQ(s.akut, 100);
    EXPECT_FALSE(c.okstart.enabled);
}

TEST_F(Engine, HaltAtOrBelowTheCurrentThrowMakesOneThrow) {
    throws("100");
    c.okstart.click();
    c.okstart.click();
    c.okstart.click();
    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("2");
    c.okstart.click();
    EXPECT_EQ(s.akut, 4);
    EXPECT_TRUE(c.Option1.isSelected(Mode::Durchlauf));

    // Halt 0: the box refuses it, haltwurf stays 2, still one throw.
    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("0");
    c.okstart.click();
    EXPECT_EQ(s.akut, 5);
}

TEST_F(Engine, HaltBeyondTheEndShowsTheEndLineInTheSameClick) {
    throws("5");
    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("9");
    c.okstart.click();
    EXPECT_EQ(s.akut, 5);
    EXPECT_EQ(c.text.text, std::string(kComputerPrompt) + kEnd);
    EXPECT_TRUE(c.Option1.isSelected(Mode::HaltBeiWurf));
}

TEST(EnginePasses, ColoursInOneDurchlaufAndInSingleSteps) {
    // All black would leave the area; alternate red and black so every throw plots near x 100.
    const auto run = [](bool single) {
        TestWindow form;
        for (int i = 0; i < 400; ++i) {
            form.numbers.push(1);
            form.numbers.push(2);
        }
        Controls& c = form.controls();
        c.textanzahl.setText("800");
        if (!single) c.Option1.select(Mode::Durchlauf);
        for (int i = 0; i < (single ? 800 : 1); ++i) c.okstart.click();
        EXPECT_EQ(form.state().akut, 800);
        EXPECT_EQ(form.state().durchgang, 4);
        // Throw 799 (red, x 98) at row 398 and 800 (black, x 100) at row 400 were the last.
        return c.blatt.pixel(97, 397);
    };
    EXPECT_EQ(run(false), paletteColour(3));
    EXPECT_EQ(run(true), paletteColour(0));
}

TEST_F(Engine, PassesWrapEvery200Throws) {
    throws("401");
    c.Option1.select(Mode::Durchlauf);
    for (int i = 0; i < 401; ++i) numbers.push(i == 200 ? 2 : i == 400 ? 2 : 0);
    c.okstart.click();
    EXPECT_EQ(s.zeile, 2);
    EXPECT_EQ(s.durchgang, 3);
    // Throw 201 (black, x 102, palette 9) at row 2, then throw 401 (black, x 104, palette 3).
    EXPECT_EQ(c.blatt.pixel(101, 1), paletteColour(9));
    EXPECT_EQ(c.blatt.pixel(103, 1), paletteColour(3));
}

TEST_F(Engine, ContinuingAFinishedSeriesAfterALargerNumber) {
    throws("3");
    c.Option1.select(Mode::Durchlauf);
    numbers = {1, 1, 1, 2};
    c.okstart.click();
    throws("4");
    EXPECT_TRUE(c.okstart.enabled);
    EXPECT_EQ(c.okstart.caption, "Start");
    c.okstart.click();
    EXPECT_EQ(s.akut, 4);
    EXPECT_EQ(c.lende.text, "-2");
    EXPECT_EQ(c.ltief.text, "3");
    // Not larger: no throw, the prompt replaced and one end line.
    throws("2");
    c.okstart.click();
    EXPECT_EQ(s.akut, 4);
    EXPECT_EQ(c.text.text, std::string(kComputerPrompt) + kEnd);
}

TEST_F(Engine, ReplaysTheImportedList) {
    s.perm = {0, 2, 4, 0, 36, 37, 0};
    s.perm.resize(s.perm.size() + kPermMargin);
    s.permPresent = true;
    s.extern_ = 1;
    c.text.text = "Spielbank";
    throws("6");
    const char* shown[] = {"2", "4", "0", "36", "37", "0"};
    for (const char* n : shown) {
        c.okstart.click();
        EXPECT_EQ(c.lzahl.text, n);
    }
    EXPECT_EQ(numbers.seeds, 1);
    EXPECT_EQ(c.lschwarz.text, "2");
    EXPECT_EQ(c.lrot.text, "1");
    EXPECT_EQ(c.text.text, "Spielbank");
    EXPECT_EQ(c.lfschwarz.text, "4");  // the 37 counts at the current position
    c.okstart.click();
    EXPECT_EQ(c.text.text, "Spielbank" + kEnd);
}

TEST_F(Engine, NumbersOffTheWheelPlayWithoutColour) {
    s.perm = {0, 40, -3, 1'000'000'000, 1};
    s.perm.resize(s.perm.size() + kPermMargin);
    s.permPresent = true;
    s.extern_ = 1;
    throws("4");
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    EXPECT_EQ(s.akut, 4);
    EXPECT_EQ(c.lrot.text, "1");
    EXPECT_EQ(c.lschwarz.text, "");
    EXPECT_EQ(s.spalte, 98);
    EXPECT_EQ(s.beruehrung, 3);
    c.Option1.select(Mode::Einzelschritt);
    s.perm[4] = 70000;
    throws("5");
    s.akut = 3;
    c.okstart.click();
    EXPECT_EQ(c.lzahl.text, "70000");
}

TEST_F(Engine, ThrowBeyondTheImportedListEndsTheSeries) {
    s.perm.assign(23, 0);  // two numbers and the margin of 20
    s.perm[1] = 5;
    s.perm[2] = 17;
    s.permPresent = true;
    s.extern_ = 1;
    throws("100");
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    EXPECT_EQ(s.akut, 2);  // the margin is no part of the permanence
    EXPECT_EQ(c.lzahl.text, "17");
    const std::string listEnd = "\r" + std::string(kListEndLine) + kEnd;
    EXPECT_EQ(c.text.text.substr(c.text.text.size() - listEnd.size()), listEnd);
    EXPECT_FALSE(c.okstart.enabled);
    EXPECT_EQ(c.okstart.caption, "Start");
}

TEST_F(Engine, CountersStopAtTheirLimitWithoutAFalseValue) {
    throws("100");
    c.Option1.select(Mode::Durchlauf);
    s.spalte = 102;
    s.hoch = 102;
    s.zschwarz = 32766;
    numbers = {2, 2, 2};
    c.okstart.click();
    EXPECT_EQ(s.akut, 1);
    EXPECT_EQ(s.zschwarz, 32767);
    EXPECT_EQ(c.lakut.text, "1");
    EXPECT_EQ(c.lfschwarz.text, "32767");
    EXPECT_EQ(c.text.text, std::string(kComputerPrompt) + "\r" + std::string(kLimitLine) + kEnd);
    EXPECT_FALSE(c.okstart.enabled);
    EXPECT_EQ(c.okstart.caption, "Start");

    // The position at its 16-bit edge.
    w.form().okabbrechen_Click();
    throws("5");
    s.spalte = 32766;
    numbers = {0, 2};
    c.okstart.click();
    EXPECT_EQ(s.akut, 1);
    EXPECT_EQ(s.spalte, 32766);
}

// "Abbruch" brings the window back to where a new window starts: the same numbers
// then give the same labels, prompt and chart as in a window just opened.
TEST(EngineReset, ASeriesAfterAbbruchPlaysAsInANewWindow) {
    const std::vector<int> numbers{1, 2, 2, 0, 3, 4, 11, 11, 11, 36, 0, 5, 2, 2, 2, 2, 2};
    const auto play = [&](TestWindow& w) {
        for (int n : numbers) w.numbers.push(n);
        Controls& c = w.controls();
        c.textanzahl.setText(std::to_string(numbers.size()));
        c.Option1.select(Mode::HaltBeiWurf);
        c.haltbei.setText("5");
        c.okstart.click();
        c.okstart.click();
        c.okstart.click();
    };
    const auto shown = [](TestWindow& w) {
        std::vector<std::string> texts{w.controls().text.text, w.controls().textanzahl.text()};
        for (std::string_view name : kResultLabelNames) texts.push_back(w.controls().label(name)->text);
        return texts;
    };

    TestWindow used;
    // A long series first: far to one side, into a second pass of the chart.
    for (int i = 0; i < 250; ++i) used.numbers.push(i % 3 == 0 ? 1 : 2);
    used.controls().textanzahl.setText("250");
    used.controls().Option1.select(Mode::Durchlauf);
    used.controls().okstart.click();
    ASSERT_EQ(used.state().durchgang, 2);
    used.controls().okabbrechen.click();  // the fake desktop answers Yes
    play(used);

    TestWindow fresh;
    play(fresh);
    EXPECT_EQ(shown(used), shown(fresh));
    EXPECT_EQ(used.controls().blatt.pixels(), fresh.controls().blatt.pixels());
    EXPECT_EQ(used.state().akut, fresh.state().akut);
    EXPECT_EQ(used.state().spalte, fresh.state().spalte);
}

// The window's 64-bit walk is fed by the engine itself: at every pause it shows what
// the labels show, on the random and the imported source, off-wheel numbers and 37
// included; Abbruch clears it, a finished series continued goes on counting.
TEST(EngineWalk, TheWalkIsWhatTheLabelsShowAtEveryPause) {
    const auto agrees = [](TestWindow& w) {
        const WalkFigures& f = w.form().figures();
        Controls& c = w.controls();
        const auto shown = [](const std::string& text) { return text.empty() ? std::string("0") : text; };
        EXPECT_EQ(std::to_string(f.throws), shown(c.lakut.text));
        EXPECT_EQ(std::to_string(f.left), shown(c.lrot.text));
        EXPECT_EQ(std::to_string(f.right), shown(c.lschwarz.text));
        EXPECT_EQ(std::to_string(f.areaLeft), shown(c.lfrot.text));
        EXPECT_EQ(std::to_string(f.areaRight), shown(c.lfschwarz.text));
        EXPECT_EQ(std::to_string(f.touches), shown(c.ltouch.text));
        EXPECT_EQ(std::to_string(f.position), shown(c.lende.text));
        EXPECT_EQ(std::to_string(f.high), shown(c.lhoch.text));
        EXPECT_EQ(std::to_string(-f.low), shown(c.ltief.text));
    };
    TestWindow w;
    Controls& c = w.controls();
    for (int i = 0; i < 300; ++i) w.numbers.push((i * 7 + i / 13) % 37);
    c.textanzahl.setText("120");
    for (int click = 0; click < 40; ++click) {
        c.okstart.click();
        agrees(w);
    }
    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();
    agrees(w);
    c.textanzahl.setText("150");
    c.okstart.click();
    EXPECT_EQ(w.form().figures().throws, 150u);
    agrees(w);

    c.okabbrechen.click();
    EXPECT_EQ(w.form().figures().throws, 0u);
    SeriesState& s = w.state();
    s.perm = {0, 37, 40, 0, 1, 2, 2, -5, 37, 19, 0, 4};
    s.perm.resize(s.perm.size() + kPermMargin);
    s.permPresent = true;
    s.extern_ = 1;
    c.textanzahl.setText("11");
    c.okstart.click();
    agrees(w);
    // 37 and 40 on the line are touches, not returns.
    EXPECT_EQ(w.form().figures().touches, 4u);
    EXPECT_EQ(w.form().figures().returns, 2u);
}
