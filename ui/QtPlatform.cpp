#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <utility>

#include "import/RegularFile.h"

namespace kalvor {

namespace {

Answer ask(QWidget* parent, const std::string& message, const std::string& title,
           QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, qs(title), qs(message), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    setGermanButtons(box);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

// The strict reading takes single-byte separators; a locale whose separator is
// not plain ASCII (a narrow no-break space, an Arabic comma) falls back to the
// full stop and the comma, never giving both the same character.
NumberFormat asciiFormat(const QString& decimal, const QString& group) {
    auto ascii = [](const QString& s) -> char {
        return s.size() == 1 && s.at(0).unicode() > 0x20 && s.at(0).unicode() < 0x7F
                   ? static_cast<char>(s.at(0).unicode())
                   : '\0';
    };
    NumberFormat format;
    const char d = ascii(decimal);
    const char g = ascii(group);
    format.decimalPoint = d ? d : '.';
    format.groupSeparator = g && g != format.decimalPoint ? g : (format.decimalPoint == ',' ? '.' : ',');
    return format;
}

}  // namespace

void setGermanButtons(QMessageBox& box) {
    static constexpr std::pair<QMessageBox::StandardButton, const char*> kTexts[] = {
        {QMessageBox::Yes, "&Ja"},
        {QMessageBox::No, "&Nein"},
        {QMessageBox::Cancel, "&Abbrechen"},
        {QMessageBox::Ok, "OK"}};
    for (const auto& [which, text] : kTexts)
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
}

bool installGermanTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

Answer QtPlatform::askYesNo(const std::string& message, const std::string& title) {
    return ask(window_, message, title, QMessageBox::Yes | QMessageBox::No) == Answer::Yes ? Answer::Yes : Answer::No;
}

Answer QtPlatform::askYesNoCancel(const std::string& message, const std::string& title) {
    return ask(window_, message, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

void QtPlatform::inform(const std::string& message, const std::string& title) {
    QMessageBox box(QMessageBox::Warning, qs(title), qs(message), QMessageBox::Ok, window_);
    box.setTextFormat(Qt::PlainText);
    setGermanButtons(box);
    box.exec();
}

void QtPlatform::showText(const std::string& message, const std::string& title, const std::string& button) {
    QMessageBox box(QMessageBox::Information, qs(title), qs(message), QMessageBox::NoButton, window_);
    box.setTextFormat(Qt::PlainText);
    // Read whole by a screen reader as the box's own description, not only through its label.
    box.setAccessibleDescription(qs(message));
    QPushButton* close = box.addButton(qs(button), QMessageBox::AcceptRole);
    box.setDefaultButton(close);
    box.setEscapeButton(close);
    box.exec();
}

std::string QtPlatform::programDirectory() { return QCoreApplication::applicationDirPath().toStdString(); }

std::optional<std::string> QtPlatform::readFile(const std::string& path) {
    // The info text is a few pages; a file far beyond that is not it, and would
    // only hold up the window.
    constexpr std::size_t kMaxBytes = 1 << 20;
    return readRegularFile(path, kMaxBytes);
}

NumberFormat QtPlatform::numberFormat() {
    const QLocale locale;
    return asciiFormat(locale.decimalPoint(), locale.groupSeparator());
}

void QtPlatform::quit() {
    if (window_) window_->close();
    QCoreApplication::quit();
}

}  // namespace kalvor
