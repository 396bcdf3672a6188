#pragma once
// The real Qt window over the desktop port, built by the program's owner from test
// doubles, with the helpers every window test uses to find and click its controls.

#include <gtest/gtest.h>

#include <QLabel>
#include <QString>
#include <QTest>
#include <QWidget>

#include <memory>

#include "app/Window.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/Fakes.h"
#include "ui/Form1View.h"
#include "ui/QtPlatform.h"

namespace kalvor::testing {

class WindowFixture : public ::testing::Test {
protected:
    // Builds the window over files (the in-memory disk when none is given), shows it
    // and waits until it is active.
    void open(FileSystem* files = nullptr) {
        window = std::make_unique<Window>(Ports{platform, numbers, files ? *files : memoryDisk, printer});
        view = std::make_unique<Form1View>(window->form());
        platform.setWindow(view.get());
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }
    ~WindowFixture() override {
        view.reset();
        window.reset();
    }

    template <typename T = QWidget>
    T* find(const char* name) {
        auto* w = view->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString labelText(const char* name) { return find<QLabel>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    Controls& controls() { return window->controls(); }
    SeriesState& state() { return window->state(); }

    QtPlatform platform;
    NumberSequence numbers;
    MemoryFileSystem memoryDisk;
    NoPrinter printer;
    std::unique_ptr<Window> window;
    std::unique_ptr<Form1View> view;
};

}  // namespace kalvor::testing
