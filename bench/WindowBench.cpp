// The real window, offscreen: a click on Start that runs a 32,000-throw
// "Durchlauf" until the window is repainted, against a repaint of the same window
// without the click; and start-up to the first painted window, against a bare
// window of the same size shown and painted.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "tests/Fakes.h"
#include "bench/RatioReporter.h"
#include "core/Random.h"
#include "import/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "print/Printing.h"
#include "print/qt/QtPrinter.h"
#include "ui/Form1.h"
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
    Program()
        : form(platform, random),
          panel(form.controls(), form.state(), platform, disk),
          printer([this] { return view ? view->grab().toImage() : QImage(); }),
          printing(form.controls(), form.state(), platform, printer) {
        form.Form_Load();
        view = std::make_unique<kalvor::Form1View>(form);
        printer.setDialogParent(view.get());
    }
    FakePlatform platform;
    kalvor::ClockRandom random;
    kalvor::LocalFileSystem disk;
    kalvor::Form1 form;
    kalvor::ImportPanel panel;
    kalvor::QtPrinter printer;
    kalvor::Printing printing;
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
        c.Option1.select(1);
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

}  // namespace

int main(int argc, char** argv) {
    // Measured without a display, the same on every machine.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return kalvor::bench::runWithRatios(argc, argv);
}
