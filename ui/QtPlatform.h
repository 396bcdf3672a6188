#pragma once
// The desktop port on Qt: message boxes, the program's directory, files, the
// locale's number format and the end of the program.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string_view>

#include "core/Platform.h"

class QCoreApplication;
class QMessageBox;

namespace kalvor {

// The model's UTF-8 text as Qt's string.
inline QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Every text of the program is German, on any desktop: the buttons of every message
// box ("&Ja", "&Nein", "&Abbrechen", "OK"; the standard buttons stay what they are).
void setGermanButtons(QMessageBox& box);
// Qt's own German translations, so that its dialogs (the printer dialog, the file
// dialog behind it, the text boxes' menus) speak German too. False when they are not
// installed; those dialogs then stay in Qt's English.
bool installGermanTranslations(QCoreApplication& app);

class QtPlatform final : public Platform {
public:
    // The main window: parent of the message boxes, closed by quit().
    void setWindow(QWidget* window) { window_ = window; }

    Answer askYesNo(const std::string& message, const std::string& title) override;
    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    void inform(const std::string& message, const std::string& title) override;
    void showText(const std::string& message, const std::string& title, const std::string& button) override;
    std::string programDirectory() override;
    std::optional<std::string> readFile(const std::string& path) override;
    NumberFormat numberFormat() override;
    void quit() override;

private:
    QPointer<QWidget> window_;
};

}  // namespace kalvor
