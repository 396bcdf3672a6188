#pragma once
// Kalvor 1 as main starts it: the desktop's ports, the window built from them and
// its Qt view. Apart from main so that a test can start the program as a user does.

#include <memory>
#include <string>

#include "app/Window.h"
#include "core/Random.h"
#include "import/LocalFileSystem.h"
#include "ui/Form1View.h"
#include "ui/QtImportRunner.h"
#include "ui/QtPlatform.h"
#include "ui/QtPrinter.h"

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

    Form1& form() { return window_.form(); }
    Form1View& window() { return *view_; }
    // True while a file is being read for the import.
    bool importing() { return window_.panel().importing(); }

private:
    // The ports first: the window uses them until it goes.
    QtPlatform platform_;
    ClockRandom random_;
    LocalFileSystem files_;
    QtPrinter printer_;
    Window window_{{platform_, random_, files_, printer_}};
    std::unique_ptr<Form1View> view_;
    // Goes first: a reading still running is stopped before the panel and the window go.
    std::unique_ptr<QtImportRunner> importRunner_;
};

}  // namespace kalvor
