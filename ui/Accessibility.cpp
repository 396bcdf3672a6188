#include "ui/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <array>
#include <utility>

#include "app/ChartDescription.h"
#include "app/Form1.h"
#include "app/LayoutTable.h"
#include "ui/QtPlatform.h"

namespace kalvor {
namespace {

// Readers take lines at '\n'; the model separates them with a lone carriage return.
QString lines(const std::string& text) {
    QString s = qs(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// The captions standing over the result boxes, by ResultLabel: each becomes a label
// of its box instead of a second object of the same name.
constexpr std::array<std::array<std::string_view, 2>, kResultLabelCount> kResultCaptions{{
    {"Label3", {}},          // lakut
    {"Label4", {}},          // lrot
    {"Label5", {}},          // lschwarz
    {"Label35", "Label44"},  // lfrot
    {"Label36", "Label45"},  // lfschwarz
    {"Label49", "Label48"},  // ltief
    {"Label41", "Label42"},  // lhoch
    {"Label40", "Label43"},  // ltouch
    {"Label46", {}},         // lende
    {"Label2", {}},          // lzahl
}};

struct Entry {
    QAccessible::Role role;
    std::function<QString()> text;
};

QHash<const QObject*, Entry>& registry() {
    static QHash<const QObject*, Entry> entries;
    return entries;
}

// A widget whose text is read as text: name and description as any widget's (the
// caption, the tooltip), its text through the text interface and as its value.
class ReadAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    ReadAccessible(QWidget* widget, QAccessible::Role role, std::function<QString()> text)
        : QAccessibleWidget(widget, role), text_(std::move(text)) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return text_();
        return QAccessibleWidget::text(type);
    }

    // Read only, nothing to select; the cursor stays at the start.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString all = text_();
        const qsizetype start = std::clamp<qsizetype>(startOffset, 0, all.size());
        const qsizetype end = std::clamp<qsizetype>(endOffset < 0 ? all.size() : endOffset, start, all.size());
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(text_().size()); }
    // Where a character stands on the screen, for readers that follow the text with a
    // magnifier or review it by position; empty for one the box does not show.
    QRect characterRect(int offset) const override {
        const auto* label = qobject_cast<const QLabel*>(widget());
        if (!label || !label->isVisible()) return {};
        const QString all = text_();
        const QString shown = label->text();
        // The prompt shows its newest lines: the older ones stand before what is shown.
        const qsizetype hidden = all.endsWith(shown) ? all.size() - shown.size() : 0;
        const qsizetype at = offset - hidden;
        if (at < 0 || at >= shown.size()) return {};
        const qsizetype lineStart = at == 0 ? 0 : shown.lastIndexOf(QLatin1Char('\n'), at - 1) + 1;
        qsizetype lineEnd = shown.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0) lineEnd = shown.size();
        const auto line = static_cast<int>(shown.left(lineStart).count(QLatin1Char('\n')));
        const QFontMetrics metrics(label->font());
        const int indent = std::max(label->indent(), 0);
        const QRect area = label->contentsRect().adjusted(indent, indent, 0, 0);
        int left = area.left();
        if (label->alignment() & Qt::AlignHCenter)
            left += (area.width() - metrics.horizontalAdvance(shown.mid(lineStart, lineEnd - lineStart))) / 2;
        const QRect local(left + metrics.horizontalAdvance(shown.mid(lineStart, at - lineStart)),
                          area.top() + line * metrics.lineSpacing(), metrics.horizontalAdvance(shown.at(at)),
                          metrics.height());
        return QRect(label->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        for (int i = 0, n = characterCount(); i < n; ++i)
            if (characterRect(i).contains(point)) return i;
        return -1;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    std::function<QString()> text_;
};

QAccessibleInterface* readFactory(const QString&, QObject* object) {
    const auto it = registry().constFind(object);
    if (it == registry().constEnd() || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (!it->text) return new QAccessibleWidget(widget, it->role);
    return new ReadAccessible(widget, it->role, it->text);
}

// Registers a widget to be read (without text: only its role changes); an interface
// Qt made for it before (while the view was built) is dropped, so that the next query
// gets this one.
void makeReadable(QWidget* widget, QAccessible::Role role, std::function<QString()> text = {}) {
    static const bool installed = [] {
        QAccessible::installFactory(readFactory);
        return true;
    }();
    (void)installed;
    if (QAccessibleInterface* before = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(before));
    registry().insert(widget, Entry{role, std::move(text)});
    QObject::connect(widget, &QObject::destroyed, [widget] { registry().remove(widget); });
}

}  // namespace

ViewAccessibility::ViewAccessibility(QWidget& view, Form1& form,
                                     const std::function<QWidget*(std::string_view)>& control)
    : QObject(&view), form_(form) {
    Controls& c = form.controls();
    if (auto* caption = qobject_cast<QLabel*>(control("Label1"))) caption->setBuddy(control("textanzahl"));
    for (size_t i = 0; i < kResultLabelCount; ++i) {
        auto* box = qobject_cast<QLabel*>(control(kResultLabelNames[i]));
        if (!box) continue;
        for (std::string_view name : kResultCaptions[i])
            if (auto* caption = qobject_cast<QLabel*>(name.empty() ? nullptr : control(name)))
                caption->setBuddy(box);  // no mnemonic in the captions: nothing changes but the relation
        const auto text = [box] { return box->text(); };
        makeReadable(box, QAccessible::StaticText, text);
        reads_.push_back({box, text, text()});
    }
    // The prompt box shows only its newest lines; it is read whole.
    if (QWidget* prompt = control("text")) {
        const auto text = [&c] { return lines(c.text.text); };
        makeReadable(prompt, QAccessible::StaticText, text);
        reads_.push_back({prompt, text, text()});
    }
    for (const LayoutRow& row : layoutTable()) {
        QWidget* w = control(row.name);
        if (!w) continue;
        // A button's name is its caption as it stands now ("Weiter", "Ende Info"), not
        // the caption it was built with.
        if (row.kind == ControlKind::CommandButton) w->setAccessibleName(QString());
        if (const std::string swatch = legendSwatchName(row.name); !swatch.empty()) w->setAccessibleName(qs(swatch));
    }
    legend_ = qs(describeLegend());
    chart_ = control("blatt");
    if (chart_) {
        // Its words are its description, which a reader speaks with the name on focus.
        makeReadable(chart_, QAccessible::Chart);
    }
    update();
}

void ViewAccessibility::update() {
    if (chart_) {
        const QString description = qs(describeChart(form_.state())) + QLatin1Char(' ') + legend_;
        // Setting the description announces it.
        if (chart_->accessibleDescription() != description) chart_->setAccessibleDescription(description);
    }
    for (Read& read : reads_) {
        const QString now = read.text();
        if (now == read.announced) continue;
        const QString before = std::exchange(read.announced, now);
        // New lines appended to the prompt are announced as an insertion, so a reader
        // speaks only them.
        if (!before.isEmpty() && now.startsWith(before)) {
            QAccessibleTextInsertEvent event(read.widget, static_cast<int>(before.size()), now.mid(before.size()));
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextUpdateEvent event(read.widget, 0, before, now);
            QAccessible::updateAccessibility(&event);
        }
    }
}

}  // namespace kalvor
