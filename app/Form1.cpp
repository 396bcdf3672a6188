#include "app/Form1.h"

#include "app/Rarity.h"
#include "core/NumberText.h"
#include "core/TextEncoding.h"
#include "core/ThrowEngine.h"

namespace kalvor {

std::string infoFilePath(Platform& platform) { return platform.programDirectory() + "/" + std::string(kInfoFileName); }

Form1::Form1(Controls& controls, SeriesState& state, Platform& platform, RandomPort& random)
    : controls_(controls), state_(state), platform_(platform), random_(random) {
    Controls& c = controls_;
    c.textanzahl.onChange = [this] { textanzahl_Change(); };
    c.haltbei.onChange = [this] { haltbei_Change(); };
    c.Option1.onClick = [this](int index) { Option1_Click(index); };
    c.okstart.onClick = [this] { okstart_Click(); };
    c.okabbrechen.onClick = [this] { okabbrechen_Click(); };
    c.okende.onClick = [this] { okende_Click(); };
    c.okinfo.onClick = [this] { okinfo_Click(); };
}

Form1::~Form1() {
    Controls& c = controls_;
    c.textanzahl.onChange = nullptr;
    c.haltbei.onChange = nullptr;
    c.Option1.onClick = nullptr;
    for (CommandButton* b : {&c.okstart, &c.okabbrechen, &c.okende, &c.okinfo}) b->onClick = nullptr;
}

void Form1::Form_Load() {
    state_.load();
    random_.seedFromClock();
    writeStandardPrompt();
}

void Form1::writeStandardPrompt() { controls_.text.text = standardPrompt(); }

void Form1::textanzahl_Change() {
    TextBox& box = controls_.textanzahl;
    if (numericValue(box.text()) > 0) {
        // A text that reads as a positive number only in part ("12abc", "1 2")
        // stays in the box for correcting; anzahl keeps its value and Start waits.
        const auto value = strictNumber(box.text(), platform_.numberFormat());
        if (value && *value > 0) {
            state_.anzahl = *value;
            controls_.okstart.enabled = true;
        } else {
            controls_.okstart.enabled = false;
        }
    } else {
        controls_.okstart.enabled = false;
        box.setText("");
    }
}

void Form1::haltbei_Change() {
    TextBox& box = controls_.haltbei;
    if (numericValue(box.text()) > 0) {
        if (const auto value = strictNumber(box.text(), platform_.numberFormat())) state_.haltwurf = *value;
    } else {
        box.setText("");
    }
}

void Form1::Option1_Click(int /*index*/) {
    TextBox& box = controls_.haltbei;
    if (controls_.Option1.isSelected(Mode::HaltBeiWurf)) {
        box.backColour = 0x00FFFFFF;
        box.enabled = true;
    } else {
        box.backColour = 0x00C0C0C0;
        box.setText("");
        box.enabled = false;
    }
}

void Form1::okstart_Click() { runThrows(state_, controls_, random_, &walk_); }

void Form1::okabbrechen_Click() {
    if (platform_.askYesNo(std::string(kAbbruchMessage), std::string(kAbbruchTitle)) != Answer::Yes) return;
    Controls& c = controls_;
    c.blatt.clear(kChartBackground);
    state_.reset();
    walk_.cleared();
    for (size_t i = 0; i < kResultLabelCount; ++i) c.result(static_cast<ResultLabel>(i)).text.clear();
    c.okextern.enabled = true;
    c.okstart.caption = "Start";
    c.okstart.enabled = false;
    c.okabbrechen.enabled = false;
    c.okdruck.enabled = false;
    c.textanzahl.setText("");
    writeStandardPrompt();
}

void Form1::setEvenChance(EvenChance chance) {
    chance_ = chance;
    state_.farbe = evenChanceColours(chance);
}

void Form1::rarity_Click() {
    if (!rarityAvailable()) return;
    platform_.showText(rarityText(walk_.figures(), chance_, platform_.numberFormat()), std::string(kRarityTitle),
                       std::string(kRarityClose));
}

void Form1::okende_Click() {
    if (platform_.askYesNo(std::string(kEndeMessage), std::string(kEndeTitle)) == Answer::Yes) platform_.quit();
}

void Form1::okinfo_Click() {
    Controls& c = controls_;
    if (c.okinfo.caption == "Info") {
        c.infotext.visible = true;
        const auto bytes = platform_.readFile(infoFilePath(platform_));
        if (bytes) {
            c.infotext.text = decodeText(*bytes);
        } else {
            c.infotext.text = "Problem:\n";
            c.infotext.text += "Kann die Datei Info_Kalvor1.txt nicht finden.";
        }
        c.okinfo.caption = "Ende Info";
    } else if (c.okinfo.caption == "Ende Info") {
        c.infotext.visible = false;
        c.okinfo.caption = "Info";
        c.infotext.text.clear();
    }
}

}  // namespace kalvor
