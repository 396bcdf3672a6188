// Not a benchmark: imports one named file in the window as the program does (as
// `kalvor1 FILE` would) and reports how long the import took and the longest time
// the window's event loop stood still meanwhile. With a second argument "cancel",
// presses "Abbrechen" as soon as the progress dialog shows.
//   import_freeze PATH [cancel]

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "ui/Program.h"

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: import_freeze /absolute/path.txt [cancel]\n");
        return 2;
    }
    const bool cancel = argc > 2 && std::strcmp(argv[2], "cancel") == 0;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    kalvor::Program program;
    program.start({});

    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (cancel)
            if (auto* dialog = program.window().findChild<QProgressDialog*>(); dialog && dialog->isVisible())
                if (auto* button = dialog->findChild<QPushButton*>()) button->click();
    });
    ticker.start(1);
    QTimer::singleShot(0, [&] {
        clock.start();
        last = 0;
        program.window().openFile(argv[1]);
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    // Done when no reading runs any more: the panel closed (read) or a refusal.
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (clock.isValid() && clock.elapsed() > 10 && !program.window().findChild<QProgressDialog*>() &&
            !program.importing())
            app.quit();
    });
    done.start(5);
    app.exec();
    std::printf("%s: %.2f s; extern %d, %.0f numbers; longest stand-still of the event loop %lld ms\n", argv[1],
                static_cast<double>(clock.elapsed()) / 1000.0, program.form().state().extern_,
                program.form().state().zeilen, static_cast<long long>(longest));
    return 0;
}
