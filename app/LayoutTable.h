#pragma once
// The main window as a table: one row per control, in twips, with the colours,
// fonts, tips and initial states the window opens with. The Qt view builds its
// widgets from these rows; the window tests check the widgets against them.

#include <span>
#include <string_view>

#include "core/TendencyChart.h"

namespace kalvor {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 9570;   // twips, 638 pixels
inline constexpr int kClientHeight = 7155;  // twips, 477 pixels
inline constexpr int kClientLeft = 900;     // twips from the screen's corner where the window opens
inline constexpr int kClientTop = 1605;
inline constexpr Colour kWindowBackground = 0x00E0E0E0;
inline constexpr std::string_view kWindowCaption = "Zentor / EC / Kalvor 1     dorem / V03.01  www.kalvor1.example";

// Colour markers outside the 24-bit range of 0x00BBGGRR.
inline constexpr Colour kSystemColour = 0xFF000000;  // the platform's colour for the element
inline constexpr Colour kTransparent = 0xFE000000;   // the rectangles: nothing filled

enum class ControlKind {
    Label,
    Chart,      // the drawing surface `blatt`
    Rectangle,  // `Shape1`, `Shape2`: outline only
    Line,       // `Line1`: Left/Top is the start, Left+Width/Top+Height the end
    CommandButton,
    TextBox,
    OptionButton,  // `Option1_0` .. `Option1_2`
    Frame,
    DriveList,
    DirList,
    FileList,
    InfoBox,
};

struct LayoutRow {
    std::string_view name;
    ControlKind kind;
    std::string_view text;
    int left, top, width, height;  // twips; inside `Frame1` relative to the frame
    Colour background;
    Colour foreground;  // text colour; border colour of rectangles and the line
    double fontPoints;  // 0 for controls without text
    bool bold;
    bool framed;
    bool centred;
    std::string_view tooltip;
    bool enabled;
    bool visible;                     // the control's own flag: the frame's controls show whenever the frame does
    std::string_view parent;          // empty: the client area
    int tabIndex;                     // -1: takes no focus
    std::string_view accessibleName;  // empty: the text
};

// Rows in stacking order, bottom first: each row lies above the rows before it
// among the controls of the same parent.
std::span<const LayoutRow> layoutTable();
const LayoutRow* layoutRow(std::string_view name);

}  // namespace kalvor
