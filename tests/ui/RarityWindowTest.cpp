// "Wie selten ist das?" in the real window: the menu of the chart and the result
// boxes by mouse and keyboard, the dialog's figures against the report's line of the
// same file, and a window that is the same before and after.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <charconv>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Rarity.h"
#include "import/LocalFileSystem.h"
#include "report/Report.h"
#include "tests/support/Examples.h"
#include "tests/support/WindowFixture.h"

using namespace kalvor;

namespace {

// What the menu offered and what the dialog said.
struct MenuAndDialog {
    bool menuShown = false, entryEnabled = false;
    QString title, text, description;
    QStringList buttons;
};

class Rarity : public kalvor::testing::WindowFixture {
protected:
    // Opens the menu with open(), then, while it runs: records it, picks the entry
    // with the keyboard (or closes it when it is disabled), records the dialog and
    // closes it with closeKey.
    MenuAndDialog ask(const std::function<void()>& open, Qt::Key closeKey = Qt::Key_Escape) {
        MenuAndDialog seen;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()); menu && menu->isVisible()) {
                seen.menuShown = true;
                const QList<QAction*> actions = menu->actions();
                EXPECT_EQ(actions.size(), 1);
                EXPECT_EQ(actions.front()->text(), QStringLiteral("Wie selten ist das?"));
                seen.entryEnabled = actions.front()->isEnabled();
                if (seen.entryEnabled) {
                    QTest::keyClick(menu, Qt::Key_Down);
                    QTest::keyClick(menu, Qt::Key_Return);
                } else {
                    QTest::keyClick(menu, Qt::Key_Escape);
                }
                return;
            }
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || !seen.title.isEmpty()) return;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.description = box->accessibleDescription();
            for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
            QTest::keyClick(box, closeKey);
        });
        timer.start(10);
        open();
        QTest::qWait(20);
        return seen;
    }
    void rightClick(const char* name) {
        QWidget* w = find(name);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &event);
    }
    // What the window shows, to see that the dialog changed nothing.
    std::vector<std::string> shown() {
        std::vector<std::string> texts{controls().text.text, controls().okstart.caption};
        for (std::string_view name : kResultLabelNames) texts.push_back(controls().label(name)->text);
        return texts;
    }

    LocalFileSystem disk;
};

// The report's line for one file: its cells.
std::vector<std::string> reportLine(const std::string& path) {
    std::ostringstream out, err;
    EXPECT_EQ(reportMain(std::vector<std::string>{path}, out, err), kAllRead) << err.str();
    const std::string csv = out.str();
    const std::string line = csv.substr(csv.find("\r\n") + 2, csv.rfind("\r\n") - csv.find("\r\n") - 2);
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

// A probability of the report as the dialog must show it: two significant digits of
// the percentage, with the user's decimal point.
std::string percentOf(const std::string& probability) {
    double value = 0;
    std::from_chars(probability.data(), probability.data() + probability.size(), value);
    const double percent = value * 100;  // the test's own arithmetic, not the program's
    const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(percent))));
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.setf(std::ios::fixed);
    text.precision(decimals);
    text << std::round(percent * std::pow(10, decimals)) / std::pow(10, decimals);
    std::string digits = text.str();
    const char point = QLocale().decimalPoint().at(0).toLatin1();
    if (const size_t at = digits.find('.'); at != std::string::npos) digits[at] = point;
    return digits + " %";
}

}  // namespace

TEST_F(Rarity, BeforeTheFirstThrowTheEntryIsThereButDisabled) {
    open();
    const std::vector<std::string> before = shown();
    const MenuAndDialog seen = ask([&] { rightClick("blatt"); });
    EXPECT_TRUE(seen.menuShown);
    EXPECT_FALSE(seen.entryEnabled);
    EXPECT_TRUE(seen.title.isEmpty());
    EXPECT_EQ(shown(), before);
}

TEST_F(Rarity, TheDialogGivesTheReportsFiguresForTheSameFile) {
    for (const char* example : {"hamburg_2026-11-27_tisch1.txt", "hamburg_2026-11-28_tisch3.txt"}) {
        open(&disk);
        const std::string path = (kExamples / example).string();
        ASSERT_TRUE(window->panel().importFile(path));
        controls().Option1.select(Mode::Durchlauf);
        view->sync();
        click("okstart");
        const QImage chartBefore = find("blatt")->grab().toImage();
        const std::vector<std::string> before = shown();

        const MenuAndDialog seen = ask([&] { rightClick("lhoch"); }, Qt::Key_Return);
        ASSERT_TRUE(seen.entryEnabled) << example;
        EXPECT_EQ(seen.title, QStringLiteral(" Wie selten ist das?"));
        EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("Schließen")});
        EXPECT_EQ(seen.description, seen.text);
        // The report's P columns, in the dialog's order: two-sided first.
        const std::vector<std::string> cells = reportLine(path);
        ASSERT_GE(cells.size(), 18u);
        const std::string text = seen.text.toStdString();
        size_t from = 0;
        for (size_t column : {15u, 13u, 14u, 16u, 17u}) {
            const std::string figure = "mit " + percentOf(cells[column]) + " Wahrscheinlichkeit";
            const size_t at = text.find(figure, from);
            EXPECT_NE(at, std::string::npos) << example << ": " << figure << " in " << text;
            from = at == std::string::npos ? from : at + 1;
        }
        if (std::string(example) == "hamburg_2026-11-27_tisch1.txt") {
            const std::string sentence = "Eine Abweichung von 43 zu einer Seite erreicht ein fairer Kessel in 301 Würfen mit " +
                                         percentOf("0.02643") + " Wahrscheinlichkeit, etwa an einem von 38 Tagen.";
            EXPECT_NE(text.find(sentence), std::string::npos) << text;
        }
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(find("blatt")->grab().toImage(), chartBefore);
        view.reset();
        window.reset();
    }
}

TEST_F(Rarity, TheKeyboardOpensItOnTheChartBetweenTwoClicks) {
    open();
    for (int n : {1, 2, 0, 2}) numbers.push(n);  // red, black, zero, black
    controls().textanzahl.setText("4");
    view->sync();
    click("okstart");
    click("okstart");  // Einzelschritt: two throws so far
    QWidget* chart = find("blatt");
    chart->setFocus(Qt::TabFocusReason);
    const MenuAndDialog shiftF10 = ask([&] { QTest::keyClick(chart, Qt::Key_F10, Qt::ShiftModifier); });
    ASSERT_TRUE(shiftF10.entryEnabled);
    EXPECT_NE(shiftF10.text.indexOf(QStringLiteral("Die Serie hat bisher 2 Würfe, alle auf Rot oder Schwarz")), -1)
        << shiftF10.text.toStdString();
    EXPECT_NE(shiftF10.text.indexOf(QStringLiteral("Höchstens 1 Rückkehr zur 0-Linie")), -1);

    click("okstart");  // the zero
    // The menu key reaches the focused widget as the desktop's platform delivers it.
    const MenuAndDialog menuKey = ask([&] {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), chart->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(chart, &event);
    });
    ASSERT_TRUE(menuKey.entryEnabled);
    EXPECT_NE(menuKey.text.indexOf(QStringLiteral("Die Serie hat bisher 3 Würfe, davon 2 auf Rot oder Schwarz")), -1)
        << menuKey.text.toStdString();
    EXPECT_EQ(state().akut, 3);
}
