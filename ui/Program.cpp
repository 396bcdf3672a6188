#include "ui/Program.h"

#include <QImage>

namespace kalvor {

// "Copy" takes the picture from the window once it stands.
Program::Program() : printer_([this] { return view_ ? view_->grab().toImage() : QImage(); }) {
    view_ = std::make_unique<Form1View>(window_.form());
    view_->setFileOpener([this](const std::string& path) { window_.panel().importFile(path); });
    importRunner_ = std::make_unique<QtImportRunner>(
        view_.get(), [this](const std::function<void()>& handler) { view_->runHandler(handler); });
    window_.panel().setRunner(*importRunner_);
    printer_.setDialogParent(view_.get());
    platform_.setWindow(view_.get());
}

Program::~Program() = default;

void Program::start(const std::string& file) {
    view_->show();
    if (!file.empty()) view_->openFile(file);
}

}  // namespace kalvor
