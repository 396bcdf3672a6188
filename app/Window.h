#pragma once
// The window as every front end runs it: its controls and series record, and the
// handlers of the window, the import panel and the print buttons, wired into the
// controls from the ports they are given. The Qt program, the report, the tests,
// the benchmarks and the fuzz targets all build their window here, so the wiring
// exists once. No toolkit.

#include "app/Form1.h"
#include "app/ImportPanel.h"
#include "app/Printer.h"
#include "app/Printing.h"
#include "core/Controls.h"
#include "core/Platform.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "import/FileSystem.h"

namespace kalvor {

struct Ports {
    Platform& platform;
    RandomPort& random;
    FileSystem& files;
    Printer& printer;
};

// A printer for front ends that print nothing (the report): every job reports that
// no printer is there.
class NoPrinter final : public Printer {
public:
    void showDialog() override {}
    PrintJob beginDocument(const std::string&) override { return PrintJob::NoPrinter; }
    bool endDocument() override { return false; }
    void setFontSize(float) override {}
    void setEmphasis(Emphasis, bool) override {}
    void moveToColumn(int) override {}
    void printText(const std::string&) override {}
    void printNumber(double) override {}
    void printDate() override {}
    void endLine() override {}
    void printWindowPicture() override {}
};

class Window {
public:
    // Builds the handlers, then loads the window as the program's start does.
    explicit Window(const Ports& ports, ChartRaster chart = ChartRaster::Kept);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Controls& controls() { return controls_; }
    SeriesState& state() { return state_; }
    Form1& form() { return form_; }
    ImportPanel& panel() { return panel_; }
    Printing& printing() { return printing_; }

    // The even chance the series plays, red and black unless set otherwise before
    // the first throw. Window and report choose it here alike.
    void setEvenChance(EvenChance chance) { form_.setEvenChance(chance); }
    EvenChance evenChance() const { return form_.evenChance(); }

private:
    // The controls and the record come first and go last: every part below installs
    // its handlers into them and removes them again when it goes.
    Controls controls_;
    SeriesState state_;
    Form1 form_;
    // Lists the working directory as it is made.
    ImportPanel panel_;
    Printing printing_;
};

}  // namespace kalvor
