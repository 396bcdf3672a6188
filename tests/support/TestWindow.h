#pragma once
// The window over test doubles, built by the same owner as the program's: injected
// numbers, a scripted desktop, a disk and a printer that prints nothing. Each test
// reaches its controls and record through it.

#include "app/Window.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/Fakes.h"

namespace kalvor::testing {

// The ports, apart from the window so that they are made before it and go after it.
struct TestPorts {
    FakePlatform platform;
    NumberSequence numbers;
    MemoryFileSystem disk;
    NoPrinter printer;
};

class TestWindow : public TestPorts, public Window {
public:
    explicit TestWindow(ChartRaster chart = ChartRaster::Kept) : Window({platform, numbers, disk, printer}, chart) {}
    // Over another disk or printer, which the test keeps.
    TestWindow(FileSystem& files, Printer& print, ChartRaster chart = ChartRaster::Kept)
        : Window({platform, numbers, files, print}, chart) {}
};

}  // namespace kalvor::testing
