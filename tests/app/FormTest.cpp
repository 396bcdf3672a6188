// The window's handlers: input boxes, modes, reset, exit and the info toggle.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "core/ThrowEngine.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
using kalvor::testing::TestWindow;

namespace {

class Handlers : public ::testing::Test {
protected:
    // Types text into a box one key at a time, as the user does.
    void type(TextBox& box, const std::string& keys) {
        for (char k : keys) box.setText(box.text() + k);
    }

    TestWindow w;
    kalvor::testing::FakePlatform& platform = w.platform;
    kalvor::testing::NumberSequence& numbers = w.numbers;
    Form1& form = w.form();
    Controls& c = w.controls();
    SeriesState& s = w.state();
};

}  // namespace

TEST_F(Handlers, StandardPromptAtLoad) {
    EXPECT_EQ(c.text.text, standardPrompt());
    const auto characters = std::count_if(c.text.text.begin(), c.text.text.end(),
                                          [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; });
    EXPECT_EQ(characters, 146);
    EXPECT_EQ(std::count(c.text.text.begin(), c.text.text.end(), '\r'), 3);
    EXPECT_NE(c.text.text.back(), '\r');
    EXPECT_FALSE(c.okstart.enabled);
}

TEST_F(Handlers, FirstCharactersThatAreNotAPositiveNumberEmptyTheBox) {
    s.anzahl = 7;
    for (const char* key : {"0", "-", ".", " ", "x"}) {
        type(c.textanzahl, key);
        EXPECT_EQ(c.textanzahl.text(), "") << key;
        EXPECT_FALSE(c.okstart.enabled);
        EXPECT_EQ(s.anzahl, 7);
    }
    type(c.textanzahl, "100");
    EXPECT_EQ(s.anzahl, 100);
    EXPECT_TRUE(c.okstart.enabled);
    c.textanzahl.setText("10");
    c.textanzahl.setText("1");
    c.textanzahl.setText("");
    EXPECT_FALSE(c.okstart.enabled);
    EXPECT_EQ(s.anzahl, 1);
    c.textanzahl.setText("   25");
    EXPECT_EQ(s.anzahl, 25);
    EXPECT_TRUE(c.okstart.enabled);
}

TEST_F(Handlers, PartlyNumericTextStaysForCorrectingButIsNotTaken) {
    c.textanzahl.setText("40");
    for (const char* text : {"12abc", "1 2", "1e999", "40,5"}) {
        c.textanzahl.setText(text);
        EXPECT_EQ(c.textanzahl.text(), text);
        EXPECT_EQ(s.anzahl, 40);
        EXPECT_FALSE(c.okstart.enabled) << text;
    }
    c.textanzahl.setText("12");
    EXPECT_TRUE(c.okstart.enabled);

    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("30");
    c.haltbei.setText("30x");
    EXPECT_EQ(s.haltwurf, 30);
    EXPECT_EQ(c.haltbei.text(), "30x");
}

TEST_F(Handlers, ChangingTheNumberBetweenTwoWeiterClicks) {
    c.textanzahl.setText("10");
    c.okstart.click();
    c.textanzahl.setText("");
    EXPECT_FALSE(c.okstart.enabled);
    c.textanzahl.setText("2");
    EXPECT_TRUE(c.okstart.enabled);
    EXPECT_EQ(c.okstart.caption, "Weiter");
    c.okstart.click();
    c.okstart.click();
    EXPECT_EQ(s.akut, 2);
    EXPECT_FALSE(c.okstart.enabled);
}

TEST_F(Handlers, HaltBoxAcrossModeChanges) {
    EXPECT_FALSE(c.haltbei.enabled);
    EXPECT_EQ(c.haltbei.backColour, 0x00E0E0E0u);
    c.Option1.select(Mode::HaltBeiWurf);
    EXPECT_TRUE(c.haltbei.enabled);
    EXPECT_EQ(c.haltbei.backColour, 0x00FFFFFFu);
    type(c.haltbei, "50");
    EXPECT_EQ(s.haltwurf, 50);
    c.Option1.select(Mode::Durchlauf);
    EXPECT_EQ(c.haltbei.text(), "");
    EXPECT_FALSE(c.haltbei.enabled);
    EXPECT_EQ(c.haltbei.backColour, 0x00C0C0C0u);
    EXPECT_EQ(s.haltwurf, 50);
    c.Option1.select(Mode::HaltBeiWurf);
    EXPECT_EQ(c.haltbei.text(), "");
    EXPECT_EQ(s.haltwurf, 50);
    c.haltbei.setText("-4");
    EXPECT_EQ(c.haltbei.text(), "");
    EXPECT_EQ(s.haltwurf, 50);
}

TEST_F(Handlers, AbbruchNoChangesNothingYesResetsTheSeries) {
    c.Option1.select(Mode::HaltBeiWurf);
    c.haltbei.setText("3");
    c.textanzahl.setText("10");
    numbers = {1, 2, 3};
    c.okstart.click();
    const auto chart = c.blatt.pixels();

    platform.answer = Answer::No;
    c.okabbrechen.click();
    EXPECT_EQ(platform.questions.back(), " Abbruch|Abbruch bitte bestätigen !     ");
    EXPECT_EQ(c.blatt.pixels(), chart);
    EXPECT_EQ(s.akut, 3);
    EXPECT_EQ(c.lakut.text, "3");

    platform.answer = Answer::Yes;
    s.extern_ = 1;
    c.okabbrechen.click();
    for (Colour p : c.blatt.pixels()) ASSERT_EQ(p, kChartBackground);
    for (const char* name :
         {"lakut", "lzahl", "lrot", "lschwarz", "lfrot", "lfschwarz", "ltief", "lhoch", "ltouch", "lende"})
        EXPECT_EQ(c.label(name)->text, "") << name;
    EXPECT_EQ(s.akut, 0);
    EXPECT_EQ(s.extern_, 0);
    EXPECT_EQ(s.spalte, 100);
    EXPECT_EQ(c.textanzahl.text(), "");
    EXPECT_EQ(c.text.text, standardPrompt());
    EXPECT_EQ(c.okstart.caption, "Start");
    EXPECT_FALSE(c.okstart.enabled || c.okabbrechen.enabled || c.okdruck.enabled);
    EXPECT_TRUE(c.okextern.enabled);
    // Kept: the mode and the halt box. The halt switched to Durchlauf.
    EXPECT_TRUE(c.Option1.isSelected(Mode::Durchlauf));
    EXPECT_EQ(s.haltwurf, 3);

    // The next series starts at the top of the chart again.
    c.textanzahl.setText("1");
    numbers = {2};
    c.okstart.click();
    EXPECT_EQ(c.blatt.pixel(101, 1), paletteColour(0));
    EXPECT_EQ(s.zeile, 2);
}

TEST_F(Handlers, EndeAsksAndQuitsOnlyOnYes) {
    platform.answer = Answer::No;
    c.okende.click();
    EXPECT_EQ(platform.quits, 0);
    EXPECT_EQ(platform.questions.back(), " Beenden|Soll das Programm beendet werden ?     ");
    platform.answer = Answer::Yes;
    c.okende.click();
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(Handlers, InfoToggleReadsTheFileAnewEachTime) {
    c.okinfo.click();
    EXPECT_TRUE(c.infotext.visible);
    EXPECT_EQ(c.infotext.text, "Problem:\nKann die Datei Info_Kalvor1.txt nicht finden.");
    EXPECT_EQ(c.okinfo.caption, "Ende Info");
    c.okinfo.click();
    EXPECT_FALSE(c.infotext.visible);
    EXPECT_EQ(c.infotext.text, "");
    EXPECT_EQ(c.okinfo.caption, "Info");

    platform.files["/opt/kalvor/info_kalvor1.txt"] =
        "Gl\xfc"
        "ck";  // Windows-1252
    c.okinfo.click();
    EXPECT_EQ(c.infotext.text, "Glück");
    c.okinfo.click();
    platform.files["/opt/kalvor/info_kalvor1.txt"] = "Neu";
    c.okinfo.click();
    EXPECT_EQ(c.infotext.text, "Neu");

    c.okinfo.caption = "info";
    c.okinfo.click();
    EXPECT_TRUE(c.infotext.visible);
    EXPECT_EQ(c.okinfo.caption, "info");
}

namespace {

// Every event a user can raise on the window's controls.
void useEveryControl(Controls& c) {
    c.textanzahl.setText("3");
    c.haltbei.setText("2");
    for (int i = 0; i < OptionGroup::kCount; ++i) c.Option1.select(i);
    for (std::string_view name : {"okstart", "okdruck", "okcopy", "okextern", "okinfo", "okinfo", "okexternok",
                                  "okexternabbruch", "okabbrechen", "okende"}) {
        CommandButton* b = c.button(name);
        b->enabled = true;
        b->click();
    }
    c.Drive1.choose(0);
    c.Dir1.open(0);
    c.File1.click(0);
}

}  // namespace

// The parts of the window install their handlers into the controls and take them out
// again when they go, whichever goes first: what is clicked afterwards reaches only
// the parts still there (the sanitizer build catches a handler that outlived its part).
TEST(WindowParts, GoInAnyOrderAndLeaveNoHandlerBehind) {
    std::array<int, 3> order{0, 1, 2};
    do {
        Controls c;
        SeriesState s;
        kalvor::testing::FakePlatform platform;
        kalvor::testing::NumberSequence numbers;
        kalvor::testing::MemoryFileSystem disk;
        disk.add("/data/p.txt", "Spielbank\nA\nB\nC\n1\n2\n");
        NoPrinter printer;
        auto form = std::make_unique<Form1>(c, s, platform, numbers);
        auto panel = std::make_unique<ImportPanel>(c, s, platform, disk);
        auto printing = std::make_unique<Printing>(c, s, platform, printer);
        form->Form_Load();
        useEveryControl(c);
        for (int part : order) {
            if (part == 0) form.reset();
            if (part == 1) panel.reset();
            if (part == 2) printing.reset();
            useEveryControl(c);
        }
        for (std::string_view name : {"okstart", "okabbrechen", "okdruck", "okcopy", "okextern", "okende", "okinfo",
                                      "okexternok", "okexternabbruch"})
            EXPECT_FALSE(c.button(name)->onClick) << name;
        EXPECT_FALSE(c.textanzahl.onChange || c.haltbei.onChange || c.Option1.onClick || c.Drive1.onChange ||
                     c.Dir1.onChange || c.Dir1.onOpen || c.File1.onClick);
    } while (std::next_permutation(order.begin(), order.end()));
}
