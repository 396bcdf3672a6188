#pragma once
// Kalvor 1 as main starts it: the window, its handlers and the desktop ports, wired
// together. Apart from main so that a test can start the program as a user does.

#include <memory>
#include <string>

#include "core/Random.h"
#include "import/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "print/Printing.h"
#include "print/qt/QtPrinter.h"
#include "ui/Form1.h"
#include "ui/Form1View.h"
#include "ui/QtImportRunner.h"
#include "ui/QtPlatform.h"

namespace kalvor {

class Program {
public:
    // Needs the application object; loads the form and builds the window.
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the window and, when file is not empty (an absolute path), imports it as
    // the panel's "OK" would. Then the window waits for the user.
    void start(const std::string& file);

    Form1& form() { return form_; }
    Form1View& window() { return *view_; }
    // True while a file is being read for the import.
    bool importing() const { return panel_.importing(); }

private:
    // In this order: the panel and the printing install their handlers into the
    // form's controls before the load, and go before the form does.
    QtPlatform platform_;
    ClockRandom random_;
    Form1 form_{platform_, random_};
    LocalFileSystem files_;
    ImportPanel panel_{form_.controls(), form_.state(), platform_, files_};
    QtPrinter printer_;
    Printing printing_{form_.controls(), form_.state(), platform_, printer_};
    std::unique_ptr<Form1View> view_;
    // Goes first: a reading still running is stopped before the panel and the window go.
    std::unique_ptr<QtImportRunner> importRunner_;
};

}  // namespace kalvor
