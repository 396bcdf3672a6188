#include "ui/WindowIcon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace kalvor {

QImage drawWindowIcon(int size) {
    // A grid line of the 32-pixel layout at size pixels: whole pixels, so every shape
    // keeps hard edges and shapes that touch on the grid touch at every size.
    const auto at = [size](int grid) { return (grid * size + 16) / 32; };
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    QPainter p(&image);
    const auto fill = [&](int x, int y, int w, int h, const QColor& colour) {
        p.fillRect(QRect(QPoint(at(x), at(y)), QPoint(at(x + w) - 1, at(y + h) - 1)), colour);
    };
    const QColor black(0, 0, 0);
    for (const QRect& r : {QRect(2, 3, 5, 3), QRect(10, 1, 3, 6), QRect(4, 10, 6, 4), QRect(15, 8, 4, 3),
                           QRect(1, 18, 4, 5), QRect(9, 17, 5, 3), QRect(16, 14, 3, 6), QRect(5, 26, 7, 3),
                           QRect(14, 23, 4, 5), QRect(19, 2, 3, 3), QRect(20, 28, 3, 3)})
        fill(r.x(), r.y(), r.width(), r.height(), black);
    // A blocky "3" standing on the right edge.
    const QColor yellow(255, 255, 0);
    fill(23, 5, 9, 3, yellow);
    fill(25, 14, 7, 3, yellow);
    fill(23, 24, 9, 3, yellow);
    fill(29, 5, 3, 22, yellow);
    p.end();
    return image;
}

QIcon makeWindowIcon() {
    QIcon icon;
    for (int size : kIconSizes) icon.addPixmap(QPixmap::fromImage(drawWindowIcon(size)));
    return icon;
}

}  // namespace kalvor
