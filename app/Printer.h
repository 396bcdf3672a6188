#pragma once
// The printer as the printing handlers see it: a pen that moves over a page by
// columns and lines, and a picture of the window. The program passes the Qt
// backend; tests record the operations.

#include <string>

namespace kalvor {

enum class Emphasis { First, Second };

// What opening a print job gave.
enum class PrintJob { Started, NoPrinter, Failed };

class Printer {
public:
    virtual ~Printer() = default;

    // The modal printer-selection dialog; its choices hold for the following printouts.
    virtual void showDialog() = 0;

    // Opens a job; when it does not start, nothing may have been printed.
    virtual PrintJob beginDocument(const std::string& jobName) = 0;
    // Sends the page to the printer; false when that failed.
    virtual bool endDocument() = 0;

    virtual void setFontSize(float points) = 0;
    virtual void setEmphasis(Emphasis which, bool on) = 0;
    // Columns count from 1 at the left margin. When the pen already lies beyond
    // the column, it goes to that column of the next line.
    virtual void moveToColumn(int column) = 0;
    // Text, numbers and the date stay on the line.
    virtual void printText(const std::string& text) = 0;
    // In the locale's general format, a blank in place of a positive sign.
    virtual void printNumber(double value) = 0;
    // Today in the locale's short date format.
    virtual void printDate() = 0;
    virtual void endLine() = 0;

    // The window's client area as it is shown now, fitted to the page.
    virtual void printWindowPicture() = 0;
};

}  // namespace kalvor
