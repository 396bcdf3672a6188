#include "ui/QtPrinter.h"

#include <QDate>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRectF>

#include <algorithm>

#include "ui/QtPlatform.h"

namespace kalvor {

namespace {

constexpr qreal kDefaultPointSize = 12;
// Device units below which two positions count as the same.
constexpr qreal kSamePosition = 0.01;

}  // namespace

QtPrinter::QtPrinter(WindowPicture windowPicture, QWidget* dialogParent)
    : windowPicture_(std::move(windowPicture)),
      dialogParent_(dialogParent),
      locale_(QLocale::system()),
      font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)) {
    font_.setPointSizeF(kDefaultPointSize);
}

QtPrinter::~QtPrinter() {
    if (painter_.isActive()) painter_.end();
}

QPrinter& QtPrinter::device() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void QtPrinter::showDialog() {
    QPrintDialog dialog(&device(), dialogParent_);
    dialog.exec();
}

PrintJob QtPrinter::beginDocument(const std::string& jobName) {
    if (painter_.isActive()) painter_.end();
    QPrinter& printer = device();
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty()) return PrintJob::NoPrinter;
        // A printer that came after the start, or the chosen one has gone: take the default.
        if (printer.outputFormat() == QPrinter::PdfFormat || !printer.isValid()) {
            const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
            printer.setPrinterName(fallback.isNull() ? printers.front().printerName() : fallback.printerName());
        }
    }
    printer.setDocName(qs(jobName));
    if (!painter_.begin(&printer)) return PrintJob::Failed;
    font_.setBold(false);
    font_.setUnderline(false);
    painter_.setFont(font_);
    painter_.setPen(Qt::black);
    x_ = 0;
    lineTop_ = 0;
    return PrintJob::Started;
}

bool QtPrinter::endDocument() { return painter_.isActive() && painter_.end(); }

QFont QtPrinter::plainFont() const {
    QFont plain = font_;
    plain.setBold(false);
    plain.setUnderline(false);
    return plain;
}

void QtPrinter::setFontSize(float points) {
    if (points > 0) font_.setPointSizeF(static_cast<qreal>(points));
    if (painter_.isActive()) painter_.setFont(font_);
}

void QtPrinter::setEmphasis(Emphasis which, bool on) {
    if (which == Emphasis::First) font_.setBold(on);
    else font_.setUnderline(on);
    if (painter_.isActive()) painter_.setFont(font_);
}

void QtPrinter::moveToColumn(int column) {
    const qreal target = std::max(column - 1, 0) * QFontMetricsF(plainFont(), &device()).averageCharWidth();
    if (x_ > target + kSamePosition) endLine();
    x_ = target;
}

void QtPrinter::print(const QString& text) {
    if (!painter_.isActive()) return;
    const QFontMetricsF baseLine(plainFont(), &device());
    const QFontMetricsF metrics(font_, &device());
    const qreal right = device().width();
    const qreal start = x_;
    QString rest = text;
    // What runs past the right edge goes on in the next line from the same column,
    // broken at a blank where there is one: a long prompt stays readable.
    while (x_ + metrics.horizontalAdvance(rest) > right + kSamePosition && rest.size() > 1) {
        qsizetype fits = 1;
        while (fits < rest.size() && x_ + metrics.horizontalAdvance(rest.left(fits + 1)) <= right) ++fits;
        const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), fits);
        const qsizetype cut = blank > 0 ? blank : fits;
        painter_.drawText(QPointF(x_, lineTop_ + baseLine.ascent()), rest.left(cut));
        rest = rest.mid(blank > 0 ? cut + 1 : cut);
        endLine();
        x_ = start;
        if (x_ + metrics.horizontalAdvance(rest.left(1)) > right) x_ = 0;
    }
    painter_.drawText(QPointF(x_, lineTop_ + baseLine.ascent()), rest);
    x_ += metrics.horizontalAdvance(rest);
}

void QtPrinter::printText(const std::string& text) { print(qs(text)); }

void QtPrinter::printNumber(double value) {
    QLocale general = locale_;
    general.setNumberOptions(QLocale::OmitGroupSeparator);
    if (value == 0) value = 0;  // no "-0"
    const QString digits = general.toString(value, 'g', 15);
    print(value < 0 ? digits : QLatin1Char(' ') + digits);
}

void QtPrinter::printDate() {
    const QDate today = QDate::currentDate();
    print(dateFormat_.isEmpty() ? locale_.toString(today, QLocale::ShortFormat) : locale_.toString(today, dateFormat_));
}

void QtPrinter::endLine() {
    const qreal spacing = QFontMetricsF(plainFont(), &device()).lineSpacing();
    x_ = 0;
    lineTop_ += spacing;
    // A page too short for the next line goes on on a new one.
    if (painter_.isActive() && lineTop_ + spacing > device().height()) {
        device().newPage();
        lineTop_ = 0;
    }
}

void QtPrinter::printWindowPicture() {
    if (!painter_.isActive() || !windowPicture_) return;
    const QImage picture = windowPicture_();
    if (picture.isNull()) return;
    const QSizeF page(device().width(), device().height());
    const QSizeF fitted = QSizeF(picture.size()).scaled(page, Qt::KeepAspectRatio);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    painter_.drawImage(QRectF(QPointF(0, 0), fitted), picture);
}

}  // namespace kalvor
