#pragma once
// The kinds of widget the window is built from, beyond Qt's own: buttons that Enter
// presses, the outlines, the import panel's frame and file list, the chart; and the
// layout's fonts, colours and texts as Qt takes them.

#include <QAbstractListModel>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWidget>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/LayoutTable.h"
#include "core/TendencyChart.h"
#include "ui/QtPlatform.h"

namespace kalvor {

QColor toQColor(Colour c);
int px(int twips);

// Liberation Sans, which stands in for "MS Sans Serif", runs a few percent wider;
// narrowed by this much its lines fit the boxes the layout made for the original
// (the import instructions' "Spiel-" would wrap otherwise).
inline constexpr int kLayoutFontStretch = 95;

// The layout's point sizes are meant for 96 dots per inch, the ratio the twip
// geometry is drawn for; asking for pixels keeps text and boxes in proportion on
// any screen.
QFont layoutFont(double points, bool bold);

// The model separates prompt lines with a lone carriage return; Qt breaks at '\n'.
QString displayText(std::string_view text);

// A prompt taller than its box (an import's header lines and what a series appends
// to them) shows its newest lines, which tell what happened last; whole lines go,
// never half of one.
QString newestLinesThatFit(const QLabel& label, QString text);

void setColours(QWidget* w, QPalette::ColorRole backRole, QPalette::ColorRole foreRole, Colour back, Colour fore);

// Enter (Return or the keypad's) presses a focused button as Space does: down while
// the key is held, clicked when it is let go, so a question that the click opens
// never sees the key's repeats.
class CommandButtonWidget final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!isEnter(event)) return QPushButton::keyPressEvent(event);
        if (!event->isAutoRepeat()) setDown(true);
        event->accept();
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        if (!isEnter(event)) return QPushButton::keyReleaseEvent(event);
        event->accept();
        if (event->isAutoRepeat() || !isDown()) return;
        setDown(false);
        click();
    }

private:
    static bool isEnter(const QKeyEvent* event) {
        return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
               (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    }
};

// `Shape1`, `Shape2` and `Line1`: a 1-pixel outline or stroke, nothing filled.
class OutlineWidget final : public QWidget {
public:
    OutlineWidget(QColor colour, bool line, QWidget* parent) : QWidget(parent), colour_(colour), line_(line) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (line_) {
            p.fillRect(rect(), colour_);
        } else {
            p.setPen(QPen(colour_, 0));
            p.drawRect(0, 0, width() - 1, height() - 1);
        }
    }

private:
    QColor colour_;
    bool line_;
};

// Rows as wide as the list, whatever their text: a long name is cut with "…" at
// the list's edge instead of widening every row and scrolling sideways.
class ViewWideDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {1, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

// `Frame1`: the window's grey, an etched border and the title standing on its top
// edge, drawn here so that the look does not hang on the widget style.
class FrameWidget final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect box(0, top, width() - 2, height() - top - 2);
        p.setPen(QPen(QColor(128, 128, 128), 0));
        p.drawRect(box);
        p.setPen(QPen(QColor(255, 255, 255), 0));
        p.drawRect(box.translated(1, 1));
        const QRect titleRect(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
        p.fillRect(titleRect, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(titleRect, Qt::AlignCenter, title());
    }
};

// The names of the file list; each shows its full name as its tooltip, since a
// long name is cut at the list's edge.
class NameListModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    const std::vector<std::string>& names() const { return names_; }
    void setNames(const std::vector<std::string>& names) {
        beginResetModel();
        names_ = names;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(names_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return qs(names_[static_cast<size_t>(index.row())]);
        return {};
    }

private:
    // Converted to Qt's strings only for the rows that are shown.
    std::vector<std::string> names_;
};

// `blatt`: a flat 1-pixel border around the chart raster of the model, painted
// from the model on every paint event, so covering or minimising loses nothing.
class ChartWidget final : public QWidget {
public:
    ChartWidget(const TendencyChart& chart, QWidget* parent)
        : QWidget(parent), chart_(chart), image_(TendencyChart::kWidth, TendencyChart::kHeight, QImage::Format_RGB32) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        rebuild();
    }

    void refresh() {
        if (chart_.revision() == revision_) return;
        rebuild();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 0));
        p.drawRect(0, 0, width() - 1, height() - 1);
        // At a device pixel ratio above 1 the raster is enlarged: block by block,
        // never smoothed, so that points and grid lines stay sharp and in place.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(1, 1, image_);
    }

private:
    void rebuild() {
        for (int y = 0; y < TendencyChart::kHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = 0; x < TendencyChart::kWidth; ++x) {
                const Colour c = chart_.pixel(x, y);
                line[x] = qRgb(redOf(c), greenOf(c), blueOf(c));
            }
        }
        revision_ = chart_.revision();
    }

    const TendencyChart& chart_;
    QImage image_;
    uint64_t revision_ = 0;
};

}  // namespace kalvor
