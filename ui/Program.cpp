#include "ui/Program.h"

#include <QImage>

namespace kalvor {

// "Copy" takes the picture from the window once it stands.
Program::Program() : printer_([this] { return view_ ? view_->grab().toImage() : QImage(); }) {
    form_.Form_Load();
    view_ = std::make_unique<Form1View>(form_);
    view_->setFileOpener([this](const std::string& path) { panel_.importFile(path); });
    importRunner_ = std::make_unique<QtImportRunner>(
        view_.get(), [this](const std::function<void()>& handler) { view_->runHandler(handler); });
    panel_.setRunner(*importRunner_);
    printer_.setDialogParent(view_.get());
    platform_.setWindow(view_.get());
}

Program::~Program() = default;

void Program::start(const std::string& file) {
    view_->show();
    if (!file.empty()) view_->openFile(file);
}

}  // namespace kalvor
