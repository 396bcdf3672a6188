#pragma once
// The printer of the Qt desktop: one QPrinter for the whole run, so what the
// user chooses in the printer dialog holds for every later printout. It is made
// when first needed, not with the window: making it asks the print system for its
// printers, which may take long or hang, and a user who never prints never waits. The page is
// set in the system's fixed-pitch face, like a line printer's: columns then fall
// on character boundaries and the blanks of the texts keep their width.

#include <QFont>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include <functional>
#include <memory>

#include "app/Printer.h"

class QWidget;

namespace kalvor {

class QtPrinter final : public Printer {
public:
    // Gives the window's client area as it is shown at that moment.
    using WindowPicture = std::function<QImage()>;

    explicit QtPrinter(WindowPicture windowPicture, QWidget* dialogParent = nullptr);
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    // The run's printer, for settings the dialog also offers (output file, page);
    // made at the first call.
    QPrinter& device();
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }
    // By default the system locale's; numbers and dates follow it.
    void setLocale(const QLocale& locale) { locale_ = locale; }
    // A date format in QLocale's pattern syntax instead of the short format.
    void setDateFormat(const QString& format) { dateFormat_ = format; }

    void showDialog() override;
    PrintJob beginDocument(const std::string& jobName) override;
    bool endDocument() override;
    void setFontSize(float points) override;
    void setEmphasis(Emphasis which, bool on) override;
    void moveToColumn(int column) override;
    void printText(const std::string& text) override;
    void printNumber(double value) override;
    void printDate() override;
    void endLine() override;
    void printWindowPicture() override;

private:
    void print(const QString& text);
    // Columns and lines follow the plain face at the current size, so bold and
    // underlined text keep to the same grid as the rest of the page.
    QFont plainFont() const;

    WindowPicture windowPicture_;
    QWidget* dialogParent_;
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QLocale locale_;
    QString dateFormat_;
    QFont font_;
    qreal x_ = 0;
    qreal lineTop_ = 0;
};

}  // namespace kalvor
