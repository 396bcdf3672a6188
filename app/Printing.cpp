#include "app/Printing.h"

#include <cstddef>

#include "core/TextEncoding.h"

namespace kalvor {

namespace {

constexpr int kLeftColumn = 15;
constexpr int kTitleColumn = 39;
constexpr float kFontSize = 12.0f;

}  // namespace

// The position counter of the page is 16 bits wide, but prompts beyond its
// range (only an import with enormous header fields) are flattened in full:
// cutting them would print a line that is not the prompt.
void flattenPrompt(const std::string& prompt, SeriesState& state) {
    state.zeichen.clear();
    state.druckzeile.clear();
    state.druckzeile.reserve(prompt.size() + prompt.size() / 8);
    for (std::size_t at = 0; at < prompt.size();) {
        const std::size_t length = characterLength(prompt, at);
        state.zeichen.assign(prompt, at, length);
        if (state.zeichen == "\r") state.zeichen = " / ";
        state.druckzeile += state.zeichen;
        at += length;
    }
}

void printValuePage(Printer& printer, const std::string& prompt, SeriesState& state) {
    printer.setFontSize(kFontSize);
    printer.endLine();
    printer.endLine();
    printer.setEmphasis(Emphasis::First, true);
    printer.moveToColumn(kLeftColumn);
    printer.printText(std::string(kDateCaption));
    printer.printDate();
    printer.setEmphasis(Emphasis::Second, true);
    printer.moveToColumn(kTitleColumn);
    printer.printText(std::string(kPageTitle));
    printer.endLine();
    printer.setEmphasis(Emphasis::Second, false);
    printer.setEmphasis(Emphasis::First, false);
    printer.endLine();
    printer.endLine();

    flattenPrompt(prompt, state);
    printer.moveToColumn(kLeftColumn);
    printer.printText(state.druckzeile);
    printer.endLine();
    printer.endLine();

    printer.moveToColumn(kLeftColumn);
    printer.printText(std::string(kAnzahlCaption));
    printer.printNumber(state.anzahl);
    printer.endLine();
    printer.endLine();

    printer.moveToColumn(kLeftColumn);
    printer.printText(std::string(kAkutCaption));
    printer.printNumber(state.akut);
    printer.endLine();
    printer.endLine();
    printer.endLine();
    printer.endLine();
}

Printing::Printing(Controls& controls, SeriesState& state, Platform& platform, Printer& printer)
    : controls_(controls), state_(state), platform_(platform), printer_(printer) {
    controls_.okdruck.onClick = [this] { okdruck_Click(); };
    controls_.okcopy.onClick = [this] { okcopy_Click(); };
}

Printing::~Printing() {
    controls_.okdruck.onClick = nullptr;
    controls_.okcopy.onClick = nullptr;
}

bool Printing::confirm(std::string_view title) {
    switch (platform_.askYesNoCancel(std::string(kPrintQuestion), std::string(title))) {
    case Answer::Cancel: return false;
    case Answer::Yes:
        // Whatever the user does in the dialog, the printout follows.
        printer_.showDialog();
        return true;
    case Answer::No: return true;
    }
    return false;
}

bool Printing::begin(std::string_view title, std::string_view jobName) {
    switch (printer_.beginDocument(std::string(jobName))) {
    case PrintJob::Started: return true;
    case PrintJob::NoPrinter: platform_.inform(std::string(kNoPrinterMessage), std::string(title)); return false;
    case PrintJob::Failed: platform_.inform(std::string(kPrintFailedMessage), std::string(title)); return false;
    }
    return false;
}

void Printing::end(std::string_view title) {
    if (!printer_.endDocument()) platform_.inform(std::string(kPrintFailedMessage), std::string(title));
}

void Printing::okdruck_Click() {
    if (!confirm(kDruckTitle)) return;
    if (!begin(kDruckTitle, kDruckJobName)) return;
    printValuePage(printer_, controls_.text.text, state_);
    end(kDruckTitle);
}

void Printing::okcopy_Click() {
    if (!confirm(kCopyTitle)) return;
    if (!begin(kCopyTitle, kCopyJobName)) return;
    printer_.printWindowPicture();
    end(kCopyTitle);
}

}  // namespace kalvor
