// Kalvor 1: the window, its handlers and the desktop port, wired together.

#include <QApplication>
#include <QImage>

#include "core/Random.h"
#include "import/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "print/Printing.h"
#include "print/qt/QtPrinter.h"
#include "ui/Form1.h"
#include "ui/Form1View.h"
#include "ui/QtPlatform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kalvor::installGermanTranslations(app);
    kalvor::QtPlatform platform;
    kalvor::ClockRandom random;
    kalvor::Form1 form(platform, random);

    // The import panel and the printing install their handlers here, before the load.
    kalvor::LocalFileSystem files;
    kalvor::ImportPanel panel(form.controls(), form.state(), platform, files);
    kalvor::Form1View* window = nullptr;  // "Copy" takes the picture from the window once it stands
    kalvor::QtPrinter printer([&window] { return window ? window->grab().toImage() : QImage(); });
    kalvor::Printing printing(form.controls(), form.state(), platform, printer);

    form.Form_Load();
    kalvor::Form1View view(form);
    window = &view;
    printer.setDialogParent(&view);
    platform.setWindow(&view);
    view.show();
    return QApplication::exec();
}
