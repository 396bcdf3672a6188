// Writes the window icon as a PNG for the desktop entry:
//   kalvor_icon FILE.png

#include <QImage>
#include <QString>

#include <cstdio>

#include "ui/Form1View.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    // Plain raster drawing into an image: no display and no application object needed.
    if (!kalvor::drawWindowIcon().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
