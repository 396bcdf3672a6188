#pragma once
// What the window's handlers need from the desktop, as one narrow port.
// The program passes the Qt implementation; tests pass fakes.

#include <optional>
#include <string>

#include "core/NumberText.h"

namespace kalvor {

enum class Answer { Yes, No, Cancel };

class Platform {
public:
    virtual ~Platform() = default;

    // Modal questions with a question icon; Yes is the default button.
    virtual Answer askYesNo(const std::string& message, const std::string& title) = 0;
    virtual Answer askYesNoCancel(const std::string& message, const std::string& title) = 0;
    // A modal notice for a failure the program reports (warning icon, OK).
    virtual void inform(const std::string& message, const std::string& title) = 0;
    // A modal text to read (information icon), closed by its one button.
    virtual void showText(const std::string& message, const std::string& title, const std::string& button) = 0;

    // The directory that holds the executable, without a trailing separator.
    virtual std::string programDirectory() = 0;
    // The whole file as bytes, or nothing when it cannot be read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // The user's decimal and group separators.
    virtual NumberFormat numberFormat() = 0;
    // Closes the window and ends the program.
    virtual void quit() = 0;
};

}  // namespace kalvor
