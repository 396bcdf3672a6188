#pragma once
// The window as data: every control a handler touches, addressed by its name.
// The rules of the toolkit's events live here, in the control classes: a text box
// raises its change handler at once, nested, and only when its text really
// changes; selecting an option button from code raises the option handler.
// Texts are UTF-8; prompt lines are separated by a lone carriage return.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TendencyChart.h"

namespace kalvor {

struct Label {
    std::string text;
};

struct CommandButton {
    std::string caption;
    bool enabled = true;
    std::function<void()> onClick;

    // A click as the toolkit delivers it: only an enabled button reacts.
    void click() {
        if (enabled && onClick) onClick();
    }
};

class TextBox {
public:
    TextBox(Colour back, bool enabledAtStart) : enabled(enabledAtStart), backColour(back) {}

    const std::string& text() const { return text_; }
    // Runs onChange before returning, only when the text differs.
    void setText(std::string text);

    bool enabled;
    Colour backColour;
    std::function<void()> onChange;

private:
    std::string text_;
};

// The series modes, as the option buttons Option1_0 .. Option1_2 offer them.
enum class Mode : int { Einzelschritt = 0, Durchlauf = 1, HaltBeiWurf = 2 };

class OptionGroup {
public:
    static constexpr int kCount = 3;

    int selected() const { return selected_; }
    bool isSelected(int index) const { return selected_ == index; }
    bool isSelected(Mode mode) const { return selected_ == static_cast<int>(mode); }
    // Selecting, by the user or from code, raises onClick with the index.
    void select(int index);
    void select(Mode mode) { select(static_cast<int>(mode)); }

    std::function<void(int)> onClick;

private:
    int selected_ = 0;
};

struct Frame {
    bool visible = false;
};

struct InfoBox {
    std::string text;
    bool visible = false;
};

// The three lists of the import panel. They hold what the view shows; the import
// panel's logic fills them and reacts to their events.
struct DriveList {
    std::vector<std::string> items;
    int current = -1;
    std::function<void()> onChange;

    // The user picks an entry; raises onChange when it is another one.
    void choose(int index);
};

struct DirList {
    std::string path;
    // Shown top-down: the directories from the root to `path`, then its subdirectories.
    std::vector<std::string> items;
    // How many leading items are the path from the root (the last of them is `path`).
    int pathDepth = 0;
    std::function<void()> onChange;
    // The user opens an entry (double-click or Enter); the panel moves the path.
    std::function<void(int)> onOpen;

    void open(int index) {
        if (onOpen) onOpen(index);
    }
    // Shows a directory with its listing. Like the toolkit's list, it raises
    // onChange at once, nested, and only when the path really changes.
    void setPath(std::string newPath, std::vector<std::string> newItems, int newPathDepth);
};

struct FileList {
    std::string path;
    std::string pattern = "*.txt";
    std::vector<std::string> items;
    int selected = -1;
    std::function<void()> onClick;

    // A click into the list, on an entry or (index -1) on empty space.
    void click(int index);
    std::string selectedName() const;
    // Shows the files of another directory; nothing is selected there yet.
    void setPath(std::string newPath, std::vector<std::string> newItems);
};

// The result boxes beside the chart: the nine values a series leaves, top to
// bottom as the window shows them, then lzahl, the number just thrown.
enum ResultLabel : std::size_t {
    kAkut,
    kRot,
    kSchwarz,
    kFlaecheRot,
    kFlaecheSchwarz,
    kTief,
    kHoch,
    kTouch,
    kEnde,
    kZahl,
    kResultLabelCount
};
inline constexpr std::array<std::string_view, kResultLabelCount> kResultLabelNames{
    "lakut", "lrot", "lschwarz", "lfrot", "lfschwarz", "ltief", "lhoch", "ltouch", "lende", "lzahl",
};

class Controls {
public:
    explicit Controls(ChartRaster chart = ChartRaster::Kept);
    Controls(const Controls&) = delete;
    Controls& operator=(const Controls&) = delete;

    // Prompt box and result boxes.
    Label text, lakut, lzahl, lrot, lschwarz, lfrot, lfschwarz, ltief, lhoch, ltouch, lende;

    CommandButton okstart, okabbrechen, okdruck, okcopy, okextern, okende, okinfo;
    CommandButton okexternok, okexternabbruch;

    TextBox textanzahl;
    TextBox haltbei;
    OptionGroup Option1;
    TendencyChart blatt;

    Frame Frame1;
    InfoBox infotext;
    DriveList Drive1;
    DirList Dir1;
    FileList File1;

    Label& result(ResultLabel which);
    // Lookup by control name, for the view and the tests; nullptr when unknown.
    Label* label(std::string_view name);
    CommandButton* button(std::string_view name);
    TextBox* textBox(std::string_view name);
};

}  // namespace kalvor
