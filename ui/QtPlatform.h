#pragma once
// The desktop port on Qt: message boxes, the program's directory, files, the
// locale's number format and the end of the program.

#include <QPointer>
#include <QWidget>

#include "core/Platform.h"

namespace kalvor {

class QtPlatform final : public Platform {
public:
    // The main window: parent of the message boxes, closed by quit().
    void setWindow(QWidget* window) { window_ = window; }

    Answer askYesNo(const std::string& message, const std::string& title) override;
    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    void inform(const std::string& message, const std::string& title) override;
    std::string programDirectory() override;
    std::optional<std::string> readFile(const std::string& path) override;
    NumberFormat numberFormat() override;
    void quit() override;

private:
    QPointer<QWidget> window_;
};

}  // namespace kalvor
