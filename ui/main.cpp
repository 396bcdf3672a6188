// Kalvor 1: the window, its handlers and the desktop port, wired together.

#include <QApplication>

#include "core/Random.h"
#include "import/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "ui/Form1.h"
#include "ui/Form1View.h"
#include "ui/QtPlatform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kalvor::QtPlatform platform;
    kalvor::ClockRandom random;
    kalvor::Form1 form(platform, random);

    // The import panel and the printing install their handlers here, before the load.
    kalvor::LocalFileSystem files;
    kalvor::ImportPanel panel(form.controls(), form.state(), platform, files);

    form.Form_Load();
    kalvor::Form1View view(form);
    platform.setWindow(&view);
    view.show();
    return QApplication::exec();
}
