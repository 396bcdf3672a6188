#pragma once
// The two print buttons of the window: "Druck" prints the current values as a
// short text page, "Copy" prints a picture of the window.

#include <string>
#include <string_view>

#include "core/Controls.h"
#include "core/Platform.h"
#include "core/SeriesState.h"
#include "app/Printer.h"

namespace kalvor {

inline constexpr std::string_view kPrintQuestion = "Sollen die Druckereinstellungen noch geändert werden ?";
inline constexpr std::string_view kDruckTitle = " Ausdruck Brisel1";
inline constexpr std::string_view kCopyTitle = " Ausdruck Kalvor1";
inline constexpr std::string_view kPageTitle = " Z e n t o r / E C / B r i s e l 1   dorem 02.1";
inline constexpr std::string_view kDateCaption = "Datum: ";
inline constexpr std::string_view kAnzahlCaption = "Anzahl Würfe:  ";
inline constexpr std::string_view kAkutCaption = "Anzahl akut :   ";
inline constexpr std::string_view kNoPrinterMessage =
    "Es ist kein Drucker verfügbar, es wurde nichts gedruckt. Mit „Ja“ bei der Frage nach den "
    "Druckereinstellungen öffnet sich die Druckerauswahl; dort kann auch in eine PDF-Datei gedruckt werden.";
inline constexpr std::string_view kPrintFailedMessage =
    "Der Ausdruck ist fehlgeschlagen, es wurde nichts gedruckt. Mit „Ja“ bei der Frage nach den "
    "Druckereinstellungen öffnet sich die Druckerauswahl; dort kann auch in eine PDF-Datei gedruckt werden.";
// Job names, so the printed documents can be told apart in the queue.
inline constexpr std::string_view kDruckJobName = "Kalvor1 Werte";
inline constexpr std::string_view kCopyJobName = "Kalvor1 Copy";

// Joins the prompt's lines into one with " / ", writing the working fields
// zeichen (the last character handled) and druckzeile (the result).
void flattenPrompt(const std::string& prompt, SeriesState& state);

// The value page, from the font size to the end of the document.
void printValuePage(Printer& printer, const std::string& prompt, SeriesState& state);

class Printing {
public:
    Printing(Controls& controls, SeriesState& state, Platform& platform, Printer& printer);
    // Takes its handlers out of the controls again.
    ~Printing();
    Printing(const Printing&) = delete;
    Printing& operator=(const Printing&) = delete;

    void okdruck_Click();
    void okcopy_Click();

private:
    // The question about the printer settings; false when the user cancels.
    bool confirm(std::string_view title);
    // Opens the job, or tells the user why nothing is printed.
    bool begin(std::string_view title, std::string_view jobName);
    void end(std::string_view title);

    Controls& controls_;
    SeriesState& state_;
    Platform& platform_;
    Printer& printer_;
};

}  // namespace kalvor
