// The real window, offscreen: a click on Start that runs a 32,000-throw
// "Durchlauf" until the window is repainted, against a repaint of the same window
// without the click; start-up to the first painted window, against a bare window
// of the same size shown and painted; and a double-click into a directory of
// 100,000 ".txt" files until the panel shows them, against a plain readdir and
// sort of the same directory.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QListWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/Fakes.h"
#include "bench/BenchFiles.h"
#include "bench/RatioReporter.h"
#include "core/Random.h"
#include "app/Window.h"
#include "import/LocalFileSystem.h"
#include "ui/QtPrinter.h"
#include "ui/Form1View.h"

namespace {

using kalvor::testing::FakePlatform;

constexpr int kThrows = 32000;

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Lets the event loop run until the widget has been painted once.
bool waitForFirstPaint(const PaintCounter& counter) {
    QElapsedTimer clock;
    clock.start();
    while (counter.paints == 0) {
        if (clock.elapsed() > 5000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The program's wiring, as main() does it.
struct Program {
    Program() : printer([this] { return view ? view->grab().toImage() : QImage(); }) {
        view = std::make_unique<kalvor::Form1View>(window.form());
        printer.setDialogParent(view.get());
    }
    FakePlatform platform;
    kalvor::ClockRandom random;
    kalvor::LocalFileSystem disk;
    kalvor::QtPrinter printer;
    kalvor::Window window{{platform, random, disk, printer}};
    kalvor::Form1& form = window.form();
    kalvor::ImportPanel& panel = window.panel();
    std::unique_ptr<kalvor::Form1View> view;
};

void shownAndPainted(QWidget& window, benchmark::State& st) {
    PaintCounter counter(&window);
    window.show();
    if (!waitForFirstPaint(counter)) st.SkipWithError("the window was never painted");
}

void WindowRun_baseline(benchmark::State& st) {
    Program program;
    shownAndPainted(*program.view, st);
    for (auto _ : st) program.view->repaint();
}
BENCHMARK(WindowRun_baseline)->Unit(benchmark::kMillisecond);

void WindowRun(benchmark::State& st) {
    Program program;
    kalvor::Controls& c = program.form.controls();
    shownAndPainted(*program.view, st);
    auto* start = program.view->control("okstart");
    for (auto _ : st) {
        st.PauseTiming();
        c.okabbrechen.click();  // a fresh series: the quiet port says Yes
        c.Option1.select(kalvor::Mode::Durchlauf);
        c.textanzahl.setText(std::to_string(kThrows));
        program.view->sync();
        program.view->repaint();
        st.ResumeTiming();
        QTest::mouseClick(start, Qt::LeftButton);
        program.view->repaint();
        if (program.form.state().akut != kThrows) st.SkipWithError("the run did not make every throw");
    }
}
BENCHMARK(WindowRun)->Unit(benchmark::kMillisecond);

void Startup_baseline(benchmark::State& st) {
    for (auto _ : st) {
        QWidget window;
        window.setFixedSize(638, 477);
        shownAndPainted(window, st);
    }
}
BENCHMARK(Startup_baseline)->Unit(benchmark::kMillisecond);

void Startup(benchmark::State& st) {
    for (auto _ : st) {
        Program program;
        shownAndPainted(*program.view, st);
    }
}
BENCHMARK(Startup)->Unit(benchmark::kMillisecond);

constexpr int kListedFiles = 100000;

// A directory of many permanences, made once for the run and removed at its end.
struct LargeDirectory {
    LargeDirectory() {
        big = root / "permanenzen";
        std::filesystem::create_directory(big);
        for (int i = 0; i < kListedFiles; ++i) {
            // Tables and days in no order, so that the sort has work to do.
            const unsigned long long n = static_cast<unsigned long long>(i) * 2654435761ULL % 1000003ULL;
            const std::string name = "Hamburg_" + std::to_string(n % 97) + "_Tisch" + std::to_string(n) + ".txt";
            const int fd = ::open((big / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        }
    }
    kalvor::bench::ScratchDirectory scratch;
    const std::filesystem::path& root = scratch.path;
    std::filesystem::path big;
};

const LargeDirectory& largeDirectory() {
    static const LargeDirectory directory;
    return directory;
}

void DirectoryListing_baseline(benchmark::State& st) {
    const std::string dir = largeDirectory().big.string();
    for (auto _ : st) {
        std::vector<std::string> names;
        DIR* stream = ::opendir(dir.c_str());
        while (const dirent* entry = ::readdir(stream)) names.emplace_back(entry->d_name);
        ::closedir(stream);
        std::sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(DirectoryListing_baseline)->Unit(benchmark::kMillisecond);

void DirectoryListing(benchmark::State& st) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(largeDirectory().root);
    Program program;  // the panel starts in the directory that holds the large one
    std::filesystem::current_path(before);
    kalvor::Controls& c = program.form.controls();
    c.okextern.click();
    program.view->sync();
    shownAndPainted(*program.view, st);
    auto* dirs = program.view->findChild<QListWidget*>(QStringLiteral("Dir1"));
    auto* files = program.view->findChild<QAbstractItemView*>(QStringLiteral("File1"));
    const int start = c.Dir1.pathDepth - 1;  // the directory the panel starts in
    const int row = start + 1;               // its first subdirectory: the large one
    for (auto _ : st) {
        st.PauseTiming();
        c.Dir1.open(start);
        program.view->sync();
        QCoreApplication::processEvents();
        const QPoint at = dirs->visualItemRect(dirs->item(row)).center();
        QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, at);  // the first click of the double-click
        QCoreApplication::processEvents();
        PaintCounter listPainted(files->viewport());
        st.ResumeTiming();
        // Until the file list has laid out and painted the new names.
        QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, at);
        if (!waitForFirstPaint(listPainted)) st.SkipWithError("the file list was never painted");
        st.PauseTiming();
        if (c.File1.items.size() != kListedFiles) st.SkipWithError("the file list does not show every file");
        st.ResumeTiming();
    }
}
BENCHMARK(DirectoryListing)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Measured without a display, the same on every machine.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    largeDirectory();
    return kalvor::bench::runWithRatios(argc, argv);
}
