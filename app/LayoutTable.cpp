#include "app/LayoutTable.h"

#include <array>

namespace kalvor {
namespace {

constexpr Colour kGrey = 0x00E0E0E0;
constexpr Colour kBlue = 0x00C00000;
constexpr Colour kDarkGrey = 0x00404040;
constexpr Colour kResultBack = 0x00C0E0FF;
constexpr Colour kBlack = 0x00000000;
constexpr Colour kSys = kSystemColour;

using K = ControlKind;

// The rows are a table, aligned by hand.
// clang-format off

// A caption or legend: grey, not framed, left-aligned, no focus.
constexpr LayoutRow caption(std::string_view name, std::string_view text, int left, int top, int width,
                            int height, Colour back, Colour fore, double points, bool bold,
                            std::string_view accessible = {}) {
    return {name, K::Label, text,  left, top,  width, height, back, fore, points,
            bold, false,    false, {},   true, true,  {},     -1,   accessible};
}

// A box whose text the handlers write: framed, centred, bold.
constexpr LayoutRow resultBox(std::string_view name, int left, int top, int width, int height, Colour back,
                              Colour fore, double points, std::string_view accessible,
                              std::string_view tooltip = {}) {
    return {name, K::Label, {},   left,    top,  width, height, back, fore, points,
            true, true,     true, tooltip, true, true,  {},     -1,   accessible};
}

constexpr LayoutRow button(std::string_view name, std::string_view text, int left, int top, int width,
                           int height, double points, bool enabled, int tab, std::string_view tooltip,
                           std::string_view parent = {}) {
    return {name,  K::CommandButton, text,    left,    top,  width,  height, kSys, kSys, points,
            true,  false,            true,    tooltip, enabled, true, parent, tab,  {}};
}

constexpr LayoutRow option(std::string_view name, std::string_view text, int top, int tab,
                           std::string_view tooltip) {
    return {name, K::OptionButton, text,  7200,    top,  1575, 435, kGrey, kBlue, 8.25,
            true, false,           false, tooltip, true, true, {},  tab,   {}};
}

// The axis numbers above (Top 450, "0" at 405) and below (6750, "0" at 6795) the chart.
constexpr LayoutRow axis(std::string_view name, std::string_view text, int left, int top, Colour fore,
                         bool zero) {
    return caption(name, text, left, top, zero ? 195 : 240, 240, kGrey, fore, 8.25, zero);
}

constexpr Colour kRedSide = 0x000000C0;
constexpr Colour kWhite = 0x00FFFFFF;

constexpr std::array kRows = std::to_array<LayoutRow>({
    // Beneath everything: the rectangles, the line and the labels.
    {"Shape2", K::Rectangle, {}, 4005, 2160, 2310, 3885, kTransparent, kBlue, 0, false, false, false, {},
     true, true, {}, -1, {}},
    {"Shape1", K::Rectangle, {}, 6960, 240, 2055, 6615, kTransparent, kBlue, 0, false, false, false, {},
     true, true, {}, -1, {}},
    {"Line1", K::Line, {}, 7035, 4935, 8925 - 7035, 0, kTransparent, kBlue, 0, false, false, false, {},
     true, true, {}, -1, {}},

    // Area 1: legend, the captions beside the chart, the axis numbers.
    caption("Label32", {}, 135, 135, 240, 195, kBlack, kSys, 8.25, true, "Farbe 1-200"),
    caption("Label29", "1-200", 450, 135, 510, 240, kGrey, kDarkGrey, 8.25, true),
    caption("Label33", {}, 1035, 135, 240, 195, kBlue, kSys, 8.25, true, "Farbe 201-400"),
    caption("Label30", "201-400", 1350, 135, 780, 240, kGrey, kDarkGrey, 8.25, true),
    caption("Label34", {}, 2205, 135, 240, 195, 0x0000C000, kSys, 8.25, true, "Farbe 401-xxx"),
    caption("Label31", "401-xxx", 2520, 135, 780, 240, kGrey, kDarkGrey, 8.25, true),
    caption("Label37", "1", 3285, 765, 105, 195, kGrey, kSys, 8.25, false),
    caption("Label38", "200", 3285, 6480, 285, 195, kGrey, kSys, 8.25, false),

    axis("Label6", "50", 135, 450, kRedSide, false),
    axis("Label13", "40", 405, 450, kRedSide, false),
    axis("Label12", "30", 675, 450, kRedSide, false),
    axis("Label11", "20", 990, 450, kRedSide, false),
    axis("Label9", "10", 1305, 450, kRedSide, false),
    axis("Label8", "0", 1665, 405, kWhite, true),
    axis("Label14", "10", 1890, 450, kSys, false),
    axis("Label15", "20", 2205, 450, kSys, false),
    axis("Label16", "30", 2475, 450, kSys, false),
    axis("Label17", "40", 2790, 450, kSys, false),
    axis("Label7", "50", 3060, 450, kSys, false),

    axis("Label28", "50", 135, 6750, kRedSide, false),
    axis("Label22", "40", 405, 6750, kRedSide, false),
    axis("Label23", "30", 675, 6750, kRedSide, false),
    axis("Label24", "20", 990, 6750, kRedSide, false),
    axis("Label25", "10", 1305, 6750, kRedSide, false),
    axis("Label26", "0", 1665, 6795, kWhite, true),
    axis("Label21", "10", 1890, 6750, kSys, false),
    axis("Label20", "20", 2205, 6750, kSys, false),
    axis("Label19", "30", 2475, 6750, kSys, false),
    axis("Label18", "40", 2790, 6750, kSys, false),
    axis("Label27", "50", 3105, 6750, kSys, false),

    // Area 2: the prompt box, the throw counter and the result boxes with their captions.
    {"text", K::Label, {}, 3495, 240, 3360, 885, kGrey, kDarkGrey, 8.25, false, true, false, {}, true, true,
     {}, -1, "Hinweis"},
    caption("Label3", "Anzahl akut", 4620, 1365, 1260, 255, kGrey, kBlue, 9.75, true),
    resultBox("lakut", 4515, 1680, 1335, 375, 0x00C0FFC0, kBlack, 12, "Anzahl akut", " Aktuelle Anzahl Würfe "),
    caption("Label4", "Rot", 4545, 2295, 405, 255, kGrey, kBlue, 8.25, true),
    caption("Label5", "Schwarz", 5220, 2295, 825, 240, kGrey, kBlue, 8.25, true),
    resultBox("lrot", 4320, 2565, 735, 375, kResultBack, kBlack, 9.75, "Rot"),
    resultBox("lschwarz", 5220, 2565, 735, 375, kResultBack, kSys, 9.75, "Schwarz"),
    caption("Label35", "Fläche", 4365, 3150, 675, 255, kGrey, kBlue, 8.25, true),
    caption("Label36", "Fläche", 5220, 3150, 630, 255, kGrey, kBlue, 8.25, true),
    caption("Label44", "Rot", 4455, 3330, 495, 210, kGrey, kBlue, 8.25, true),
    caption("Label45", "Schwarz", 5175, 3330, 810, 210, kGrey, kBlue, 8.25, true),
    resultBox("lfrot", 4320, 3555, 735, 375, kResultBack, kBlack, 9.75, "Fläche Rot"),
    resultBox("lfschwarz", 5220, 3555, 735, 375, kResultBack, kBlack, 9.75, "Fläche Schwarz"),
    caption("Label49", ">- Ab-", 4365, 4095, 675, 210, kGrey, kBlue, 8.25, true),
    caption("Label48", "weichung", 4320, 4275, 900, 210, kGrey, kBlue, 8.25, true),
    caption("Label41", ">+ Ab-", 5265, 4095, 630, 210, kGrey, kBlue, 8.25, true),
    caption("Label42", "weichung", 5220, 4275, 900, 210, kGrey, kBlue, 8.25, true),
    resultBox("ltief", 4320, 4500, 735, 375, kResultBack, kBlack, 9.75, ">- Abweichung"),
    resultBox("lhoch", 5220, 4500, 735, 375, kResultBack, kBlack, 9.75, ">+ Abweichung"),
    caption("Label40", "0-Linie", 4365, 5040, 675, 210, kGrey, kBlue, 8.25, true),
    caption("Label43", "berührt", 4365, 5265, 630, 210, kGrey, kBlue, 8.25, true),
    caption("Label46", "Akut bei", 5220, 5265, 900, 210, kGrey, kBlue, 8.25, true),
    resultBox("ltouch", 4320, 5490, 735, 375, kResultBack, kBlack, 9.75, "0-Linie berührt"),
    resultBox("lende", 5220, 5490, 735, 375, kResultBack, kBlack, 9.75, "Akut bei"),

    // Area 3: the labels of the control column.
    {"Label1", K::Label, "Anzahl Würfe", 7200, 420, 1575, 255, kGrey, kBlue, 9.75, true, false, true, {},
     true, true, {}, -1, {}},
    caption("Label2", "Zahl", 7770, 3150, 495, 180, kGrey, kBlue, 8.25, true),
    resultBox("lzahl", 7665, 3360, 615, 375, 0x0080FF80, kSys, 12, "Zahl",
              " Zeigt die aktuell geworfene  Zahl an "),

    // Above the labels: the chart and the controls that take input.
    {"blatt", K::Chart, {}, 180, 675, 3075, 6045, kGrey, kSys, 0, false, true, false, {}, true, true, {}, 16,
     "Tendenz"},
    button("okinfo", "Info", 4095, 6300, 2115, 435, 9.75, true, 15, {}),
    {"textanzahl", K::TextBox, {}, 7200, 735, 1575, 435, 0x00C0FFC0, kSys, 12, true, true, true,
     " Anzahl der gewünschten Würfe ", true, true, {}, 0, "Anzahl Würfe"},
    option("Option1_0", "Einzelschritt", 1260, 1, " Bleibt nach jedem Wurf stehen  "),
    option("Option1_1", "Durchlauf", 1680, 2, "Bleibt erst beim letzten Wurf stehen "),
    option("Option1_2", "Halt bei Wurf..", 2100, 4, "Hält erst bei dem unten angegebenem Wurf "),
    {"haltbei", K::TextBox, {}, 7320, 2625, 1215, 375, kGrey, kBlack, 9.75, true, true, true, {}, false, true,
     {}, 5, "Halt bei Wurf.."},
    button("okstart", "Start", 7140, 3885, 1680, 450, 9.75, false, 3, " Startet die Simulation "),
    button("okabbrechen", "Abbruch", 7140, 4410, 1695, 435, 9.75, false, 9, " Neuanfang "),
    button("okdruck", "Druck", 7155, 5040, 795, 450, 8.25, false, 8, " Druckt die aktuellen Werte als Text "),
    button("okcopy", "Copy", 8010, 5040, 795, 450, 8.25, true, 17,
           " Druckt eine Copy des aktuellen Bildschirmes "),
    button("okextern", "Import", 7140, 5670, 1695, 435, 9.75, true, 7,
           " Liest beliebige Permanenzen der Hamburger Spielbank ein "),
    button("okende", "Ende", 7140, 6300, 1680, 450, 9.75, true, 6, " Beendet das Programm "),

    // Area 4: the import panel, above the control column; its controls relative to the frame.
    {"Frame1", K::Frame, "Import Permanenz", 6930, 135, 2115, 6735, kGrey, kBlue, 8.25, true, false, false, {},
     true, false, {}, -1, {}},
    {"Label10", K::Label, "*.txt", 735, 1260, 435, 225, kGrey, kBlue, 8.25, true, false, false, {}, true, true,
     "Frame1", -1, {}},
    {"Drive1", K::DriveList, {}, 105, 420, 1905, 315, kSys, kSys, 8.25, true, false, false, {}, true, true,
     "Frame1", 10, "Laufwerk"},
    {"Dir1", K::DirList, {}, 105, 1785, 1905, 1440, kSys, kSys, 8.25, true, false, false, {}, true, true,
     "Frame1", 11, "Verzeichnis"},
    {"File1", K::FileList, {}, 105, 3465, 1905, 2235, kSys, kSys, 8.25, true, false, false, {}, true, true,
     "Frame1", 12, "Dateien *.txt"},
    button("okexternok", "OK", 210, 6090, 750, 330, 8.25, false, 13, {}, "Frame1"),
    button("okexternabbruch", "Abbr.", 1155, 6090, 750, 330, 8.25, true, 14, {}, "Frame1"),

    // Area 5: the info box lies above every other control.
    {"infotext", K::InfoBox, {}, 3465, 225, 3390, 5865, kResultBack, kSys, 8.25, false, false, false, {}, true,
     false, {}, 18, "Info"},
});
// clang-format on

}  // namespace

std::span<const LayoutRow> layoutTable() { return kRows; }

const LayoutRow* layoutRow(std::string_view name) {
    for (const LayoutRow& row : kRows)
        if (row.name == name) return &row;
    return nullptr;
}

}  // namespace kalvor
