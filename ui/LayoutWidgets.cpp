#include "ui/LayoutWidgets.h"

#include <algorithm>

namespace kalvor {

QColor toQColor(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

int px(int twips) { return twips / kTwipsPerPixel; }

QFont layoutFont(double points, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(static_cast<int>(points * 96.0 / 72.0 + 0.5));
    font.setStretch(kLayoutFontStretch);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QString displayText(std::string_view text) {
    QString s = qs(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString newestLinesThatFit(const QLabel& label, QString text) {
    const int indent = std::max(label.indent(), 0);  // left and top, as the prompt is aligned
    const QRect area = label.contentsRect().adjusted(indent, indent, 0, 0);
    const QFontMetrics metrics(label.font());
    const int flags = static_cast<int>(label.alignment()) | Qt::TextWordWrap;
    while (metrics.boundingRect(area, flags, text).height() > area.height()) {
        const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
        if (lineBreak < 0) break;
        text.remove(0, lineBreak + 1);
    }
    return text;
}

void setColours(QWidget* w, QPalette::ColorRole backRole, QPalette::ColorRole foreRole, Colour back, Colour fore) {
    QPalette pal = w->palette();
    if (back != kSystemColour && back != kTransparent) pal.setColor(backRole, toQColor(back));
    if (fore != kSystemColour && fore != kTransparent) pal.setColor(foreRole, toQColor(fore));
    w->setPalette(pal);
}

}  // namespace kalvor
