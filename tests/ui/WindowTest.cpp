// The real Qt window, driven offscreen: layout against the table, typing,
// clicking, answering the real message boxes, reading labels and chart pixels.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

#include <fstream>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>
#include <ostream>

#include "app/Prompts.h"
#include "core/TextEncoding.h"
#include "core/ThrowEngine.h"
#include "app/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "import/Permanence.h"
#include "tests/support/Fakes.h"
#include "tests/support/WindowFixture.h"
#include "tests/support/MessageBoxes.h"
#include "tests/support/TestLocale.h"
#include "app/CommandLine.h"
#include "ui/Form1View.h"
#include "app/LayoutTable.h"
#include "ui/Program.h"
#include "ui/QtPlatform.h"
#include "ui/WindowIcon.h"

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace kalvor;
using kalvor::testing::BoxAnswers;
using kalvor::testing::NumberSequence;
using kalvor::testing::SeenBox;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "window_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        // As the program does at start.
        ASSERT_TRUE(installGermanTranslations(*app_)) << "Qt's German translations are not installed";
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

QColor bgr(Colour c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// The controls that Tab (or Shift+Tab) reaches from the focus, one a press.
QString tabWalk(int presses, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QStringList visited;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        visited << QApplication::focusWidget()->objectName();
    }
    return visited.join(QLatin1Char(' '));
}

class WindowTest : public kalvor::testing::WindowFixture {
protected:
    void SetUp() override { open(); }
};

}  // namespace

TEST_F(WindowTest, EveryControlMatchesTheLayoutTable) {
    EXPECT_EQ(view->size(), QSize(638, 477));
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Zentor / EC / Kalvor 1     dorem / V03.01  www.kalvor1.example"));
    QList<QSize> iconSizes;
    for (int size : kIconSizes) iconSizes << QSize(size, size);
    EXPECT_EQ(view->windowIcon().availableSizes(), iconSizes);
    EXPECT_EQ(view->palette().color(QPalette::Window), QColor(224, 224, 224));

    int tips = 0;
    for (const LayoutRow& row : layoutTable()) {
        SCOPED_TRACE(std::string(row.name));
        auto* w = view->findChild<QWidget*>(qs(row.name));
        ASSERT_NE(w, nullptr);
        const QWidget* parent = row.parent.empty() ? view.get() : view->findChild<QWidget*>(qs(row.parent));
        EXPECT_EQ(w->parentWidget(), parent);
        EXPECT_EQ(w->toolTip(), qs(row.tooltip));
        tips += !row.tooltip.empty();
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_EQ(w->isVisibleTo(w->parentWidget()), row.visible);
        if (row.fontPoints > 0) {
            EXPECT_EQ(w->font().pixelSize(), row.fontPoints < 9 ? 11 : row.fontPoints < 10 ? 13 : 16);
            EXPECT_EQ(w->font().bold(), row.bold);
        }
        QString shown;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            shown = l->text();
            EXPECT_TRUE(l->autoFillBackground());
            EXPECT_TRUE(l->wordWrap());
            EXPECT_EQ(l->palette().color(QPalette::Window), bgr(row.background));
            if (row.foreground != kSystemColour) {
                EXPECT_EQ(l->palette().color(QPalette::WindowText), bgr(row.foreground));
            }
            EXPECT_EQ(l->frameShape() == QFrame::Panel, row.framed);
            EXPECT_EQ(bool(l->alignment() & Qt::AlignHCenter), row.centred);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            shown = b->text();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            shown = e->text();
            EXPECT_EQ(e->palette().color(QPalette::Base), bgr(row.background));
            EXPECT_EQ(e->alignment(), Qt::AlignCenter);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            shown = g->title();
        }
        if (row.name == "text") {  // the prompt, written at load
            EXPECT_EQ(shown.count(QLatin1Char('\n')), 3);
        } else if (row.kind != ControlKind::InfoBox) {
            EXPECT_EQ(shown, qs(row.text));
        }
    }
    EXPECT_EQ(tips, 12);

    EXPECT_TRUE(find<QRadioButton>("Option1_0")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), find("textanzahl"));
}

// The window as it is painted, against pixel figures worked out by hand from the
// layout's twips (15 to the pixel): where the controls stand and the colours they fill
// their boxes with.
TEST_F(WindowTest, ThePaintedWindowShowsTheLayoutsPlacesAndColours) {
    struct Place {
        const char* name;
        QRect pixels;
    };
    for (const Place& p : {
             Place{"blatt", {12, 45, 205, 403}},      Place{"text", {233, 16, 224, 59}},
             Place{"lakut", {301, 112, 89, 25}},      Place{"Shape2", {267, 144, 154, 259}},
             Place{"lrot", {288, 171, 49, 25}},       Place{"lschwarz", {348, 171, 49, 25}},
             Place{"ltouch", {288, 366, 49, 25}},     Place{"lende", {348, 366, 49, 25}},
             Place{"okinfo", {273, 420, 141, 29}},    Place{"Shape1", {464, 16, 137, 441}},
             Place{"textanzahl", {480, 49, 105, 29}}, Place{"Option1_2", {480, 140, 105, 29}},
             Place{"haltbei", {488, 175, 81, 25}},    Place{"lzahl", {511, 224, 41, 25}},
             Place{"okstart", {476, 259, 112, 30}},   Place{"Line1", {469, 329, 126, 1}},
             Place{"okdruck", {477, 336, 53, 30}},    Place{"okcopy", {534, 336, 53, 30}},
             Place{"okende", {476, 420, 112, 30}},
         }) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(find(p.name)->geometry(), p.pixels);
    }

    // Colours of the painted boxes, sampled inside each box away from its text.
    const QImage painted = view->grab().toImage();
    const auto colourAt = [&](const char* name, QPoint offset) {
        return painted.pixelColor(find(name)->geometry().topLeft() + offset);
    };
    EXPECT_EQ(colourAt("lakut", {4, 4}), QColor(192, 255, 192));
    EXPECT_EQ(colourAt("lzahl", {4, 4}), QColor(128, 255, 128));
    for (const char* box : {"lrot", "lschwarz", "lfrot", "lfschwarz", "ltief", "lhoch", "ltouch", "lende"})
        EXPECT_EQ(colourAt(box, {4, 4}), QColor(255, 224, 192)) << box;
    EXPECT_EQ(colourAt("text", {220, 55}), QColor(224, 224, 224));
    EXPECT_EQ(colourAt("Label32", {4, 4}), QColor(0, 0, 0));  // the legend's swatches
    EXPECT_EQ(colourAt("Label33", {4, 4}), QColor(0, 0, 192));
    EXPECT_EQ(colourAt("Label34", {4, 4}), QColor(0, 192, 0));
    EXPECT_EQ(colourAt("Shape1", {60, 0}), QColor(0, 0, 192));  // the rectangles' blue edges
    EXPECT_EQ(colourAt("Shape2", {0, 100}), QColor(0, 0, 192));
    EXPECT_EQ(painted.pixelColor(5, 470), QColor(224, 224, 224));  // the window's own grey
}

TEST_F(WindowTest, TabVisitsTheEnabledControlsInLayoutOrder) {
    // Of the option group only the selected button is a tab stop, as in any radio group.
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited.join(QLatin1Char(' ')),
              QStringLiteral("textanzahl Option1_0 okende okextern okinfo blatt okcopy"));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("textanzahl"));
}

// Qt moves a radio group's stop only when an option takes the focus; the selected
// mode is the stop also before that, and after a halt selected "Durchlauf".
TEST_F(WindowTest, OnlyTheSelectedModeIsATabStopAlsoAfterAHaltSelectedAnother) {
    for (int n : {1, 2, 3, 4, 5}) numbers.push(n);
    find("okende")->setFocus();
    EXPECT_EQ(tabWalk(1, Qt::ShiftModifier), QStringLiteral("Option1_0"));

    QTest::keyClicks(find("textanzahl"), QStringLiteral("5"));
    click("Option1_2");
    QTest::keyClicks(find("haltbei"), QStringLiteral("2"));
    click("okstart");
    ASSERT_EQ(labelText("lakut"), QStringLiteral("2"));
    ASSERT_TRUE(find<QRadioButton>("Option1_1")->isChecked());
    ASSERT_EQ(QApplication::focusWidget(), find("okstart"));
    EXPECT_EQ(tabWalk(1), QStringLiteral("okende"));
    EXPECT_EQ(tabWalk(2, Qt::ShiftModifier), QStringLiteral("okstart Option1_1"));
}

TEST_F(WindowTest, TypingIntoTheCountBox) {
    auto* box = find<QLineEdit>("textanzahl");
    auto* start = find<QPushButton>("okstart");
    for (const char* refused : {"0", "-", ".", " ", "x"}) {
        QTest::keyClicks(box, QString::fromLatin1(refused));
        EXPECT_EQ(box->text(), QString()) << refused;
        EXPECT_FALSE(start->isEnabled());
    }
    QTest::keyClicks(box, QStringLiteral("12"));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(state().anzahl, 12);
    // Partly numeric: kept for correcting, Start waits, anzahl keeps its value.
    QTest::keyClicks(box, QStringLiteral("a"));
    EXPECT_EQ(box->text(), QStringLiteral("12a"));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_EQ(state().anzahl, 12);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_TRUE(start->isEnabled());
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_FALSE(start->isEnabled());
    // In the German number format, a number beyond a double is refused whole, whatever
    // the C library's locale; anzahl keeps what the box last read, "1,5e40".
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTest::keyClicks(box, QStringLiteral("1,5e400"));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_EQ(state().anzahl, 1.5e40);
    QLocale::setDefault(QLocale::system());
}

TEST_F(WindowTest, ARunThroughTheRealWidgetsAndItsReset) {
    // Three reds, a zero, then black and red in turn: red ends three ahead.
    for (int n : {1, 3, 5, 0}) numbers.push(n);
    for (int i = 0; i < 48; ++i) {
        numbers.push(2);
        numbers.push(1);
    }
    QTest::keyClicks(find("textanzahl"), QStringLiteral("100"));
    click("Option1_1");
    EXPECT_TRUE(find<QRadioButton>("Option1_1")->isChecked());
    EXPECT_FALSE(find("haltbei")->isEnabled());
    EXPECT_EQ(find("haltbei")->palette().color(QPalette::Base), QColor(192, 192, 192));
    click("okstart");

    EXPECT_EQ(labelText("lakut"), QStringLiteral("100"));
    EXPECT_EQ(labelText("lzahl"), QStringLiteral("1"));
    EXPECT_EQ(labelText("lrot"), QStringLiteral("51"));
    EXPECT_EQ(labelText("lschwarz"), QStringLiteral("48"));
    EXPECT_EQ(labelText("lfrot"), QStringLiteral("99"));
    EXPECT_EQ(labelText("lfschwarz"), QStringLiteral("0"));
    EXPECT_EQ(labelText("ltief"), QStringLiteral("3"));
    EXPECT_EQ(labelText("lhoch"), QStringLiteral("0"));
    EXPECT_EQ(labelText("ltouch"), QString());
    EXPECT_EQ(labelText("lende"), QStringLiteral("-3"));
    EXPECT_EQ(labelText("text"), qs(kComputerPrompt) + QLatin1Char('\n') + qs(kEndLine));
    EXPECT_EQ(find<QPushButton>("okstart")->text(), QStringLiteral("Start"));
    EXPECT_FALSE(find("okstart")->isEnabled());
    EXPECT_TRUE(find("okabbrechen")->isEnabled());
    EXPECT_FALSE(find("okextern")->isEnabled());

    // The chart shows the model's raster pixel for pixel inside a 1-pixel border.
    QImage chart = find("blatt")->grab().toImage();
    ASSERT_EQ(chart.size(), QSize(205, 403));
    EXPECT_EQ(chart.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(chart.pixelColor(204, 402), QColor(0, 0, 0));
    const TendencyChart& raster = controls().blatt;
    int differing = 0;
    for (int y = 0; y < TendencyChart::kHeight; ++y)
        for (int x = 0; x < TendencyChart::kWidth; ++x)
            differing += chart.pixelColor(x + 1, y + 1) != bgr(raster.pixel(x, y));
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(chart.pixelColor(1 + 100, 1 + 300), QColor(255, 255, 255));  // zero line
    EXPECT_EQ(chart.pixelColor(1 + 20, 1 + 300), QColor(192, 192, 192));   // grid line "40"
    EXPECT_EQ(chart.pixelColor(1 + 98, 1 + 2), QColor(0, 0, 0));           // first throw, red
    EXPECT_EQ(chart.pixelColor(1 + 94, 1 + 8), QColor(224, 224, 224));     // the zero: no point
    EXPECT_EQ(chart.pixelColor(1 + 94, 1 + 200), QColor(0, 0, 0));         // throw 100

    // No keeps everything; Yes resets through the real question box.
    BoxAnswers answers{QMessageBox::No, QMessageBox::Yes};
    click("okabbrechen");
    EXPECT_EQ(labelText("lakut"), QStringLiteral("100"));
    click("okabbrechen");
    ASSERT_EQ(answers.seen.size(), 2u);
    const SeenBox& seen = answers.seen[1];
    EXPECT_EQ(seen.title, QStringLiteral(" Abbruch"));
    EXPECT_EQ(seen.text, QStringLiteral("Abbruch bitte bestätigen !     "));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_TRUE(seen.yesIsDefault);
    for (const char* name :
         {"lakut", "lzahl", "lrot", "lschwarz", "lfrot", "lfschwarz", "ltief", "lhoch", "ltouch", "lende"})
        EXPECT_EQ(labelText(name), QString()) << name;
    EXPECT_EQ(find<QLineEdit>("textanzahl")->text(), QString());
    EXPECT_FALSE(find("okstart")->isEnabled());
    EXPECT_TRUE(find("okextern")->isEnabled());
    EXPECT_TRUE(find<QRadioButton>("Option1_1")->isChecked());
    chart = find("blatt")->grab().toImage();
    EXPECT_EQ(chart.pixelColor(1 + 100, 1 + 300), QColor(224, 224, 224));
    EXPECT_EQ(chart.pixelColor(1 + 98, 1 + 2), QColor(224, 224, 224));
}

// Runs at the screen's device pixel ratio; the suite runs it once more with
// QT_SCALE_FACTOR=2, where the window must scale as a whole: the chart raster
// enlarged pixel for pixel, without smoothing, its grid lines under the axis numbers.
TEST_F(WindowTest, ChartAndAxisNumbersScaleTogether) {
    numbers.push(1);
    QTest::keyClicks(find("textanzahl"), QStringLiteral("1"));
    click("okstart");

    const QPixmap shot = view->grab();
    const qreal ratio = shot.devicePixelRatio();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    const QImage image = shot.toImage();
    const int scale = qRound(ratio);
    ASSERT_EQ(image.size(), view->size() * scale);

    // Every raster pixel fills its whole block of device pixels, in its own colour.
    const QPoint chartAt = find("blatt")->geometry().topLeft() + QPoint(1, 1);
    const TendencyChart& raster = controls().blatt;
    int differing = 0;
    for (int y = 0; y < TendencyChart::kHeight; ++y)
        for (int x = 0; x < TendencyChart::kWidth; ++x)
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    differing += image.pixelColor((chartAt.x() + x) * scale + dx, (chartAt.y() + y) * scale + dy) !=
                                 bgr(raster.pixel(x, y));
    EXPECT_EQ(differing, 0);

    // Column centres, in window pixels, of the runs of device columns that hold.
    const auto runCentres = [&](const std::vector<bool>& hit, int offset) {
        std::vector<double> centres;
        for (int x = 0; x < static_cast<int>(hit.size()); ++x) {
            if (!hit[static_cast<size_t>(x)]) continue;
            const int first = x;
            while (x + 1 < static_cast<int>(hit.size()) && hit[static_cast<size_t>(x + 1)]) ++x;
            centres.push_back((first + x + 1) / 2.0 / scale + offset);
        }
        return centres;
    };
    // The grid lines (grey, the zero line white) in one row of the chart.
    std::vector<bool> gridColumns(static_cast<size_t>(TendencyChart::kWidth * scale));
    const int row = (chartAt.y() + 350) * scale;
    for (size_t x = 0; x < gridColumns.size(); ++x) {
        const QColor c = image.pixelColor(chartAt.x() * scale + static_cast<int>(x), row);
        gridColumns[x] = c == QColor(192, 192, 192) || c == QColor(255, 255, 255);
    }
    const std::vector<double> lines = runCentres(gridColumns, chartAt.x());
    ASSERT_EQ(lines.size(), 9u);

    // Every axis number but the outer "50"s stands over (and under) a grid line.
    int numbersChecked = 0;
    for (const char* name :
         {"Label13", "Label12", "Label11", "Label9", "Label8", "Label14", "Label15", "Label16", "Label17", "Label22",
          "Label23", "Label24", "Label25", "Label26", "Label21", "Label20", "Label19", "Label18"}) {
        SCOPED_TRACE(name);
        auto* label = find<QLabel>(name);
        const QRect r = label->geometry();
        const QColor background = label->palette().color(QPalette::Window);
        std::vector<bool> inked(static_cast<size_t>(r.width() * scale));
        for (size_t x = 0; x < inked.size(); ++x)
            for (int y = r.top() * scale; y < (r.bottom() + 1) * scale; ++y)
                if (image.pixelColor(r.left() * scale + static_cast<int>(x), y) != background) inked[x] = true;
        const std::vector<double> glyphs = runCentres(inked, r.left());
        ASSERT_FALSE(glyphs.empty());
        const double centre = (glyphs.front() + glyphs.back()) / 2.0;
        const double nearest = *std::min_element(lines.begin(), lines.end(), [&](double a, double b) {
            return std::abs(a - centre) < std::abs(b - centre);
        });
        EXPECT_LE(std::abs(nearest - centre), 3.0) << "number at " << centre << ", line at " << nearest;
        ++numbersChecked;
    }
    EXPECT_EQ(numbersChecked, 18);
}

TEST_F(WindowTest, PanelsCoverTheirAreasAndEndeClosesTheWindow) {
    // The info box without its file: the failure text, above the result area.
    click("okinfo");
    auto* info = find<QPlainTextEdit>("infotext");
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->toPlainText(), QStringLiteral("Problem:\nKann die Datei Info_Kalvor1.txt nicht finden."));
    EXPECT_EQ(find<QPushButton>("okinfo")->text(), QStringLiteral("Ende Info"));
    const QPoint lakutCentre = find("lakut")->geometry().center();
    EXPECT_TRUE(info->isAncestorOf(view->childAt(lakutCentre)));
    click("okinfo");
    EXPECT_FALSE(info->isVisible());
    EXPECT_EQ(view->childAt(lakutCentre), find("lakut"));

    // The import frame lies above the whole control column.
    controls().Frame1.visible = true;
    view->sync();
    auto* frame = find("Frame1");
    for (const char* name : {"textanzahl", "Option1_2", "okstart", "okende", "lzahl"})
        EXPECT_TRUE(frame->isAncestorOf(view->childAt(find(name)->geometry().center()))) << name;
    controls().Frame1.visible = false;
    view->sync();

    BoxAnswers answers{QMessageBox::No, QMessageBox::Yes};
    click("okende");
    EXPECT_TRUE(view->isVisible());
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, QStringLiteral(" Beenden"));
    EXPECT_EQ(answers.seen[0].text, QStringLiteral("Soll das Programm beendet werden ?     "));
    click("okende");
    EXPECT_FALSE(view->isVisible());
}

TEST_F(WindowTest, AHandlerThatRunsOutOfMemoryIsReportedAndTheWindowGoesOn) {
    QTest::keyClicks(find("textanzahl"), QStringLiteral("5"));
    CommandButton& info = controls().okinfo;
    const auto original = info.onClick;
    info.onClick = [&] {
        info.caption = "halb";
        throw std::bad_alloc();
    };
    BoxAnswers answers{QMessageBox::Ok};
    click("okinfo");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, qs(kOutOfMemoryMessage));
    EXPECT_EQ(answers.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(answers.seen[0].buttons, QStringList{QStringLiteral("OK")});
    // What the handler did before it failed is shown; the rest of the window is as it was.
    EXPECT_EQ(find<QPushButton>("okinfo")->text(), QStringLiteral("halb"));
    EXPECT_EQ(find<QLineEdit>("textanzahl")->text(), QStringLiteral("5"));
    info.onClick = original;
    info.caption = "Info";
    click("okstart");
    EXPECT_EQ(labelText("lakut"), QStringLiteral("1"));
}

TEST_F(WindowTest, ImportListsShowTheModelAndForwardTheUsersPicks) {
    Controls& c = controls();
    std::vector<std::string> events;
    c.Drive1.onChange = [&] { events.push_back("drive " + std::to_string(c.Drive1.current)); };
    c.Dir1.onOpen = [&](int i) { events.push_back("open " + std::to_string(i)); };
    c.File1.onClick = [&] { events.push_back("file " + std::to_string(c.File1.selected)); };
    c.Frame1.visible = true;
    c.Drive1.items = {"/", "/media/stick"};
    c.Drive1.current = 0;
    c.Dir1.items = {"/", "home", "daten", "alt"};
    c.Dir1.pathDepth = 3;
    const std::string longName = "mai-" + std::string(60, 'x') + ".txt";
    c.File1.items = {"april.txt", longName};
    view->sync();

    auto* drives = find<QComboBox>("Drive1");
    auto* dirs = find<QListWidget>("Dir1");
    auto* files = find<QListView>("File1");
    ASSERT_EQ(drives->count(), 2);
    EXPECT_EQ(dirs->count(), 4);
    EXPECT_EQ(dirs->currentRow(), 2);  // the open directory
    ASSERT_EQ(files->model()->rowCount(), 2);
    EXPECT_EQ(files->currentIndex().row(), -1);
    // A name too long for the list is cut at its edge; its tooltip shows it whole.
    EXPECT_LE(files->visualRect(files->model()->index(1, 0)).right(), files->viewport()->width());
    EXPECT_EQ(files->model()->index(1, 0).data(Qt::ToolTipRole).toString(), qs(longName));

    // A click on a name and one on the empty space below the names.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->model()->index(1, 0)).center());
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, QPoint(10, files->viewport()->height() - 5));
    // Opening a directory: double-click, then Enter on the current entry.
    const QPoint alt = dirs->visualItemRect(dirs->item(3)).center();
    QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, alt);
    QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, alt);
    dirs->setCurrentRow(1);
    QTest::keyClick(dirs, Qt::Key_Return);
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<std::string>{"file 1", "file 1", "open 3", "open 1", "drive 1"}));
    EXPECT_EQ(drives->currentIndex(), 1);
}

TEST_F(WindowTest, TheKeyboardStepsASeriesAndNeverReachesEnde) {
    for (int n : {1, 2, 3}) numbers.push(n);
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);  // to the focus widget
    };
    {
        BoxAnswers anyBox{QMessageBox::No};
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), find("okstart"));
        // Space, Return and the keypad's Enter each press the focused button once.
        press(Qt::Key_Space);
        press(Qt::Key_Return);
        press(Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(labelText("lakut"), QStringLiteral("3"));
        // The press that ends the series disables Start: the focus goes to the count box,
        // not on to "Ende", whose question would take the next key as Yes.
        press(Qt::Key_Space);
        EXPECT_TRUE(labelText("text").endsWith(qs(kEndLine)));
        ASSERT_EQ(QApplication::focusWidget(), find("textanzahl"));
        press(Qt::Key_Return);
        QTest::qWait(50);
        EXPECT_TRUE(anyBox.seen.empty());
    }
    // After a confirmed Abbruch typed digits go into the count box.
    {
        BoxAnswers yes{QMessageBox::Yes};
        click("okabbrechen");
        ASSERT_EQ(yes.seen.size(), 1u);
    }
    view->activateWindow();  // what the desktop does when the box closes; offscreen, nobody does
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
    EXPECT_EQ(find<QLineEdit>("textanzahl")->text(), QStringLiteral("12"));
}

TEST_F(WindowTest, BoxesAndQtsDialogsSpeakGerman) {
    // The accelerators A, N and J answer the real boxes, Yes their default.
    BoxAnswers keys{Qt::Key_A, Qt::Key_N, Qt::Key_J, Qt::Key_N};
    for (Answer expected : {Answer::Cancel, Answer::No, Answer::Yes})
        EXPECT_EQ(
            platform.askYesNoCancel("Sollen die Druckereinstellungen noch geändert werden ?", " Ausdruck Kalvor1"),
            expected);
    click("okende");
    EXPECT_TRUE(view->isVisible());
    ASSERT_EQ(keys.seen.size(), 4u);
    const QStringList yesNoCancel{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("&Abbrechen")};
    for (const SeenBox& box : keys.seen) {
        EXPECT_EQ(box.buttons, box.title == QStringLiteral(" Beenden") ? yesNoCancel.mid(0, 2) : yesNoCancel);
        EXPECT_TRUE(box.yesIsDefault);
    }
    // Qt's own dialogs: the printer dialog and the file dialog behind it.
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Drucken"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Save"), QStringLiteral("S&peichern"));
}

namespace {

// How far a text of `widget` set in its font reaches, in window pixels: the larger of
// the font's own metrics and those of the same font at the screen's device pixels,
// where hinting may round the widths the other way.
qreal textWidth(const QWidget& widget, const QString& text) {
    QFont device = widget.font();
    const qreal ratio = widget.devicePixelRatioF();
    device.setPixelSize(qRound(widget.font().pixelSize() * ratio));
    return std::max<qreal>(QFontMetricsF(widget.font()).horizontalAdvance(text),
                           QFontMetricsF(device).horizontalAdvance(text) / ratio);
}

// Every line of what the label shows stands on a line of its own, none broken or
// cut at the side, and the last line's letters lie inside the box.
void expectFitsLabel(const QLabel& label) {
    SCOPED_TRACE(label.objectName().toStdString() + ": " + label.text().toStdString());
    QRect area = label.contentsRect();
    if (label.indent() > 0) {  // QLabel's indent, on the sides the text is aligned to
        if (label.alignment() & Qt::AlignLeft) area.setLeft(area.left() + label.indent());
        if (label.alignment() & Qt::AlignTop) area.setTop(area.top() + label.indent());
    }
    const QStringList lines = label.text().split(QLatin1Char('\n'));
    for (QString line : lines) {
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);  // trailing blanks never break a line
        EXPECT_LE(textWidth(label, line), area.width()) << line.toStdString();
    }
    const QFontMetrics metrics(label.font());
    const int inkBelowBaseline = std::max(0, metrics.tightBoundingRect(lines.back()).bottom() + 1);
    const int lastBaseline =
        metrics.boundingRect(area, Qt::TextWordWrap | int(label.alignment()), label.text()).height() -
        metrics.descent();
    EXPECT_LE(lastBaseline + inkBelowBaseline, area.height());
}

}  // namespace

// At the screen's device pixel ratio and, in the suite's second run, at 2.
TEST_F(WindowTest, TextsFitTheirBoxesAtEveryScale) {
    Controls& c = controls();
    for (const LayoutRow& row : layoutTable()) {
        auto* w = view->findChild<QWidget*>(qs(row.name));
        ASSERT_NE(w, nullptr);
        if (auto* label = qobject_cast<QLabel*>(w); label && !row.text.empty()) {
            expectFitsLabel(*label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QStringList captions{button->text()};
            if (row.name == "okstart") captions << QStringLiteral("Weiter");
            if (row.name == "okinfo") captions << QStringLiteral("Ende Info");
            QStyleOptionButton option;
            option.initFrom(button);
            const bool radio = row.kind == ControlKind::OptionButton;
            const QRect inside = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option, button);
            for (const QString& caption : captions)
                EXPECT_LE(textWidth(*button, caption), inside.width()) << row.name << ": " << caption.toStdString();
        }
    }

    // The prompts, each as the window shows it.
    LocalFileSystem disk;
    std::vector<std::string> prompts{
        standardPrompt(), importPrompt(), std::string(kComputerPrompt) + '\r' + std::string(kEndLine),
        std::string(kComputerPrompt) + '\r' + std::string(kLimitLine) + '\r' + std::string(kEndLine)};
    for (const char* example :
         {"hamburg_2026-11-27_tisch1.txt", "hamburg_2026-11-28_tisch3.txt", "hamburg_2026-11-29_tisch2.txt"}) {
        const PermanenceRead file = readPermanence(disk, std::string(KALVOR_SOURCE_DIR "/examples/") + example);
        ASSERT_EQ(file.outcome, PermanenceRead::Outcome::Read) << example;
        const std::string header = headerPrompt(file.header);
        prompts.push_back(header + '\r' + std::string(kEndLine));
        prompts.push_back(header + '\r' + std::string(kListEndLine) + '\r' + std::string(kEndLine));
    }
    auto* prompt = find<QLabel>("text");
    for (const std::string& text : prompts) {
        c.text.text = text;
        view->sync();
        expectFitsLabel(*prompt);
        // A prompt of more lines than the box holds shows its newest four.
        const QStringList lines = qs(text).split(QLatin1Char('\r'));
        EXPECT_EQ(prompt->text(), lines.mid(std::max<qsizetype>(0, lines.size() - 4)).join(QLatin1Char('\n')));
    }
}

namespace {

// The window as the program wires it, with the import panel on the real disk. The
// panel starts in the working directory, so the test moves there first.
class WindowImportTest : public kalvor::testing::WindowFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        {
            std::ofstream out(dir.filePath(QStringLiteral("tisch5.txt")).toStdString(), std::ios::binary);
            // Four reds (1, 3, 5, 36), two blacks (2, 11), a zero; a block separator.
            out << "Spielbank Hamburg\r\nTisch 5\r\n01.12.2026\r\nRoulette\r\n"
                   "1\r\n3\r\n0\r\n2\r\n----------\r\n5\r\n36\r\n11\r\n=\r\n";
        }
        std::ofstream(dir.filePath(QStringLiteral("notizen.dat")).toStdString()) << "x";
        const QByteArray path = dir.path().toLocal8Bit();
        ASSERT_EQ(::chdir(path.constData()), 0);
        open(&disk);
    }
    void TearDown() override {
        view.reset();
        ASSERT_EQ(::chdir(previousDir.constData()), 0);
    }

    QByteArray previousDir = QDir::currentPath().toLocal8Bit();
    QTemporaryDir dir;
    LocalFileSystem disk;
};

}  // namespace

TEST_F(WindowImportTest, APermanencePickedInThePanelIsReplayedByStart) {
    click("okextern");
    ASSERT_TRUE(find("Frame1")->isVisible());
    EXPECT_FALSE(find("okexternok")->isEnabled());
    auto* files = find<QListView>("File1");
    ASSERT_EQ(files->model()->rowCount(), 1);  // only the ".txt" file
    EXPECT_EQ(files->model()->index(0, 0).data().toString(), QStringLiteral("tisch5.txt"));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->model()->index(0, 0)).center());
    ASSERT_TRUE(find("okexternok")->isEnabled());
    click("okexternok");

    EXPECT_FALSE(find("Frame1")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), find("textanzahl"));  // not on "Info", behind the panel's "OK"
    EXPECT_EQ(labelText("text"), QStringLiteral("Spielbank Hamburg\nTisch 5\n01.12.2026"));
    EXPECT_EQ(find<QLineEdit>("textanzahl")->text(), QStringLiteral("7"));
    EXPECT_FALSE(find("okextern")->isEnabled());
    EXPECT_TRUE(find("okabbrechen")->isEnabled());
    EXPECT_TRUE(find("okstart")->isEnabled());

    click("Option1_1");
    click("okstart");
    EXPECT_EQ(labelText("lakut"), QStringLiteral("7"));
    EXPECT_EQ(labelText("lzahl"), QStringLiteral("11"));
    EXPECT_EQ(labelText("lrot"), QStringLiteral("4"));
    EXPECT_EQ(labelText("lschwarz"), QStringLiteral("2"));
    EXPECT_EQ(labelText("lende"), QStringLiteral("-2"));
    EXPECT_EQ(labelText("ltief"), QStringLiteral("3"));
    EXPECT_TRUE(labelText("text").endsWith(qs(kEndLine)));
    EXPECT_FALSE(find("okstart")->isEnabled());
}

// The panel lies over the control column: Tab keeps to the panel and to what is
// still to be seen, and Space never presses a button behind the panel.
TEST_F(WindowImportTest, WhileThePanelIsOpenTabReachesOnlyWhatCanBeSeen) {
    BoxAnswers anyBox{QMessageBox::No};
    find("okextern")->setFocus();
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Space);
    ASSERT_TRUE(find("Frame1")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), find("Drive1"));
    // The file list's focus picks its first file, which enables "OK".
    EXPECT_EQ(tabWalk(7), QStringLiteral("Dir1 File1 okexternok okexternabbruch okinfo blatt Drive1"));
    EXPECT_EQ(tabWalk(7, Qt::ShiftModifier),
              QStringLiteral("blatt okinfo okexternabbruch okexternok File1 Dir1 Drive1"));

    // "Abbr." closes the panel; the column takes the focus again.
    tabWalk(4);
    ASSERT_EQ(QApplication::focusWidget(), find("okexternabbruch"));
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Space);
    ASSERT_FALSE(find("Frame1")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), find("textanzahl"));
    EXPECT_EQ(tabWalk(3), QStringLiteral("Option1_0 okende okextern"));
    EXPECT_TRUE(anyBox.seen.empty());
}

namespace {

// A drag that enters at the centre of target, as the desktop delivers it: a widget
// that takes no drops passes it on to its parents. The action the window takes, or
// IgnoreAction when it refuses. Shift asks a file manager to move the file.
Qt::DropAction dragEnters(QWidget* target, const QMimeData& mime, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &mime,
                          Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
}

void drop(QWidget* target, const QMimeData& mime) {
    QDropEvent event(QPointF(target->rect().center()), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &mime,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace

// The program as main starts it, on the real disk: a file named on the command line,
// then files dropped on the window.
TEST(ProgramTest, AFileNamedOnTheCommandLineOrDroppedIsImportedAsByOk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    std::ofstream(base + "/tisch5.txt", std::ios::binary)
        << "Spielbank Hamburg\r\nTisch 5\r\n01.12.2026\r\nRoulette\r\n1\r\n3\r\n0\r\n2\r\n=\r\n";
    std::ofstream(base + "/tisch6.txt", std::ios::binary) << "Spielbank Hamburg\nTisch 6\n02.12.2026\nRoulette\n4\n9\n";

    Program program;
    program.start(parseCommandLine({"tisch5.txt"}, base).file);
    Form1View& view = program.window();
    const auto find = [&](const char* name) { return view.findChild<QWidget*>(QString::fromLatin1(name)); };
    const auto text = [&](const char* name) { return qobject_cast<QLabel*>(find(name))->text(); };
    auto* count = qobject_cast<QLineEdit*>(find("textanzahl"));
    EXPECT_TRUE(view.isVisible());
    EXPECT_FALSE(find("Frame1")->isVisible());
    EXPECT_EQ(text("text"), QStringLiteral("Spielbank Hamburg\nTisch 5\n01.12.2026"));
    EXPECT_EQ(count->text(), QStringLiteral("4"));
    EXPECT_TRUE(find("okstart")->isEnabled());
    EXPECT_FALSE(find("okextern")->isEnabled());
    // The panel shows where the file came from, for the next import.
    EXPECT_EQ(program.form().controls().Dir1.path, base);
    EXPECT_EQ(qobject_cast<QListView*>(find("File1"))->currentIndex().data().toString(), QStringLiteral("tisch5.txt"));

    QMimeData tisch6;
    tisch6.setUrls({QUrl::fromLocalFile(QString::fromStdString(base + "/tisch6.txt"))});
    tisch6.setText(tisch6.urls().front().toString());
    EXPECT_EQ(dragEnters(count, tisch6), Qt::IgnoreAction);  // "Import" is disabled

    BoxAnswers answers{QMessageBox::Yes};
    QTest::mouseClick(find("okabbrechen"), Qt::LeftButton);
    ASSERT_TRUE(find("okextern")->isEnabled());
    QMimeData two, web;
    two.setUrls({QUrl::fromLocalFile(QString::fromStdString(base + "/tisch5.txt")), tisch6.urls().front()});
    web.setUrls({QUrl(QStringLiteral("https://www.kalvor1.example/tisch6.txt"))});
    EXPECT_EQ(dragEnters(count, two), Qt::IgnoreAction);
    EXPECT_EQ(dragEnters(count, web), Qt::IgnoreAction);
    // Taken as a copy even when the file manager is asked to move it.
    EXPECT_EQ(dragEnters(count, tisch6, Qt::ShiftModifier), Qt::CopyAction);

    // Dropped on the count box, the file goes to the window, not into the box.
    ASSERT_EQ(dragEnters(count, tisch6), Qt::CopyAction);
    drop(count, tisch6);
    QCoreApplication::processEvents();
    EXPECT_EQ(text("text"), QStringLiteral("Spielbank Hamburg\nTisch 6\n02.12.2026"));
    EXPECT_EQ(count->text(), QStringLiteral("2"));
    EXPECT_FALSE(find("okextern")->isEnabled());
    EXPECT_EQ(answers.seen.size(), 1u);
}

// Each size is drawn from the 32-pixel layout: hard edges in the three colours, an
// exact enlargement at the multiples of 32, and every shape kept at the smaller sizes.
TEST(WindowIcon, EverySizeIsDrawnSharpFromTheSameLayout) {
    const QImage grid = drawWindowIcon(32);
    const auto shares = [](const QImage& image) {
        std::array<double, 3> share{};  // red, black, yellow
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                const int i = p == qRgb(255, 0, 0) ? 0 : p == qRgb(0, 0, 0) ? 1 : p == qRgb(255, 255, 0) ? 2 : -1;
                if (i < 0) return std::array<double, 3>{};  // a blended pixel
                share[static_cast<size_t>(i)] += 1.0 / (image.width() * image.height());
            }
        return share;
    };
    const std::array<double, 3> gridShares = shares(grid);
    for (int size : kIconSizes) {
        SCOPED_TRACE(size);
        const QImage icon = drawWindowIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        const std::array<double, 3> iconShares = shares(icon);
        for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(iconShares[i], gridShares[i], gridShares[i] * 0.25) << i;
        if (size % 32 != 0) continue;
        const int k = size / 32;
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) differing += icon.pixel(x, y) != grid.pixel(x / k, y / k);
        EXPECT_EQ(differing, 0);
    }
}

TEST(QtPlatformTest, NumberFormatFollowsTheLocaleWithAsciiFallback) {
    QtPlatform platform;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(platform.numberFormat().decimalPoint, ',');
    EXPECT_EQ(platform.numberFormat().groupSeparator, '.');
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(platform.numberFormat().decimalPoint, '.');
    EXPECT_EQ(platform.numberFormat().groupSeparator, ',');
    // French groups with a no-break space: the comma stays the decimal point.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(platform.numberFormat().decimalPoint, ',');
    EXPECT_EQ(platform.numberFormat().groupSeparator, '.');
    QLocale::setDefault(QLocale::c());
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!kalvor::testing::takeLocaleFromArguments(argc, argv)) return 1;
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return RUN_ALL_TESTS();
}
