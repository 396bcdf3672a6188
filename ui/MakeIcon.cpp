// Writes the window icon at every size the desktop asks for, as the icon theme
// lays them out:
//   kalvor_icon DIR        DIR/16x16/apps/kalvor1.png ... DIR/256x256/apps/kalvor1.png

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

#include "ui/WindowIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    // Plain raster drawing into images: no display and no application object needed.
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : kalvor::kIconSizes) {
        const QString dir = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = root.filePath(dir + QStringLiteral("/kalvor1.png"));
        if (!root.mkpath(dir) || !kalvor::drawWindowIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
