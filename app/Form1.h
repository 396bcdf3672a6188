#pragma once
// The main window's handlers, free of any toolkit. They work on the window as data
// (Controls) and the series record, which Window owns; the Qt view mirrors the
// controls and forwards the user's events here.

#include <string>

#include "core/Controls.h"
#include "core/Platform.h"
#include "app/Prompts.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "stats/Walk.h"

namespace kalvor {

inline constexpr std::string_view kAbbruchMessage = "Abbruch bitte bestätigen !     ";
inline constexpr std::string_view kAbbruchTitle = " Abbruch";
inline constexpr std::string_view kEndeMessage = "Soll das Programm beendet werden ?     ";
inline constexpr std::string_view kEndeTitle = " Beenden";
inline constexpr std::string_view kInfoFileName = "info_kalvor1.txt";

// The file the Info button shows: beside the executable.
std::string infoFilePath(Platform& platform);

class Form1 {
public:
    // Installs the window's handlers into controls; they go again with the form.
    Form1(Controls& controls, SeriesState& state, Platform& platform, RandomPort& random);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    Controls& controls() { return controls_; }
    SeriesState& state() { return state_; }

    void Form_Load();
    void textanzahl_Change();
    void haltbei_Change();
    void Option1_Click(int index);
    void okstart_Click();
    void okabbrechen_Click();
    void okende_Click();
    void okinfo_Click();
    // "Wie selten ist das?" from the menu of the chart and the result boxes; the
    // entry is there from the first throw on.
    bool rarityAvailable() const { return walk_.figures().throws > 0; }
    void rarity_Click();

    void writeStandardPrompt();

    // The series so far as the engine played it, counted in 64 bits: what the
    // window's figures of chance are computed from.
    SeriesWalk& walk() { return walk_; }
    const WalkFigures& figures() const { return walk_.figures(); }

    // The even chance the series plays: its colour table, and its sides' names in
    // the figures' words.
    void setEvenChance(EvenChance chance);
    EvenChance evenChance() const { return chance_; }

private:
    Controls& controls_;
    SeriesState& state_;
    Platform& platform_;
    RandomPort& random_;
    SeriesWalk walk_;
    EvenChance chance_ = EvenChance::RedBlack;
};

}  // namespace kalvor
