// End to end through the desktop's real print system: the print buttons send
// their jobs through QPrinter to the CUPS queue that scripts/cups-queue.sh sets
// up (a cups-pdf queue, which writes every job as a PDF file), and the test finds
// the printed files. Without a reachable print system the user is told so.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QThread>
#include <QWidget>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include "app/Window.h"
#include "ui/QtPrinter.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/Fakes.h"
#include "tests/support/MessageBoxes.h"
#include "ui/Form1View.h"
#include "ui/QtPlatform.h"
#include "tests/support/QtPrintTestSupport.h"

using namespace kalvor;
using kalvor::testing::BoxAnswers;
using kalvor::testing::commandOutput;
using kalvor::testing::MemoryFileSystem;
using kalvor::testing::NumberSequence;
using kalvor::testing::pdfLines;
using kalvor::testing::SeenBox;

namespace {

// Where cups-pdf puts the files of our user: its "Out" setting, ${HOME}/PDF
// unless the system says otherwise.
QString cupsPdfDirectory() {
    const passwd* user = getpwuid(getuid());
    const QString home = user ? QString::fromLocal8Bit(user->pw_dir) : QDir::homePath();
    const QString name = user ? QString::fromLocal8Bit(user->pw_name) : QString();
    QString out = QStringLiteral("${HOME}/PDF");
    std::ifstream conf("/etc/cups/cups-pdf.conf");
    for (std::string line; std::getline(conf, line);) {
        if (line.rfind("Out ", 0) == 0) out = QString::fromStdString(line.substr(4)).trimmed();
    }
    out.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("${USER}"), name);
    return out;
}

// A PDF written into the cups-pdf directory since `since` that passes `wanted`,
// waiting for the queue to get there.
std::optional<std::string> printedFile(const QDateTime& since, const std::function<bool(const std::string&)>& wanted) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        const QDir dir(cupsPdfDirectory());
        for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time)) {
            if (file.lastModified() < since) break;
            if (wanted(file.absoluteFilePath().toStdString())) return file.absoluteFilePath().toStdString();
        }
        QThread::msleep(250);
    }
    return std::nullopt;
}

class ThroughCups : public ::testing::Test {
protected:
    // The program's own window, with a finished series of 100 throws.
    ThroughCups() {
        view = std::make_unique<Form1View>(form.form());
        window = view.get();
        printer.setDialogParent(view.get());
        platform.setWindow(view.get());
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QTest::keyClicks(view->findChild<QLineEdit*>(QStringLiteral("textanzahl")), QStringLiteral("100"));
        click("Option1_1");
        click("okstart");
    }

    void click(const char* name) {
        QWidget* w = view->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        QTest::mouseClick(w, Qt::LeftButton);
    }

    QtPlatform platform;
    NumberSequence numbers;
    MemoryFileSystem disk;
    Form1View* window = nullptr;
    QtPrinter printer{[this] { return window ? window->grab().toImage() : QImage(); }};
    Window form{{platform, numbers, disk, printer}};
    std::unique_ptr<Form1View> view;
};

const QString kQuestion = QStringLiteral("Sollen die Druckereinstellungen noch geändert werden ?");

}  // namespace

TEST_F(ThroughCups, DruckAndCopyInTheWindowArePrinted) {
    ASSERT_FALSE(QPrinterInfo::availablePrinters().isEmpty()) << "no queue: run scripts/cups-queue.sh";
    EXPECT_EQ(printer.device().outputFormat(), QPrinter::NativeFormat);
    // The queue of the test, named in the environment; never the user's own printer.
    ASSERT_EQ(qEnvironmentVariable("PRINTER"), QStringLiteral("KalvorPDF"));
    ASSERT_EQ(printer.device().printerName(), QStringLiteral("KalvorPDF"));
    ASSERT_EQ(form.state().akut, 100);
    // File times have a resolution of a second.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);

    BoxAnswers answers{QMessageBox::No, QMessageBox::No};
    click("okdruck");
    click("okcopy");
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].title, QStringLiteral(" Ausdruck Brisel1"));
    EXPECT_EQ(answers.seen[1].title, QStringLiteral(" Ausdruck Kalvor1"));
    for (const SeenBox& box : answers.seen) {
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(box.icon, QMessageBox::Question);
        EXPECT_TRUE(box.yesIsDefault);
    }

    const auto page = printedFile(start, [](const std::string& pdf) {
        return commandOutput("pdftotext -raw '" + pdf + "' -").find("Anzahl Würfe: 100") != std::string::npos;
    });
    ASSERT_TRUE(page) << "no printed value page in " << cupsPdfDirectory().toStdString();
    const auto lines = pdfLines(*page, "-raw");
    // pdftotext -raw shows every run of blanks as one.
    ASSERT_EQ(lines.size(), 4u) << commandOutput("pdftotext -raw '" + *page + "' -");
    EXPECT_TRUE(lines[0].starts_with("Datum: ")) << lines[0];
    EXPECT_NE(lines[0].find("dorem 02.1"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Der Computer erzeugt die Zahlen... / *** ENDE ***");
    EXPECT_EQ(lines[2], "Anzahl Würfe: 100");
    EXPECT_EQ(lines[3], "Anzahl akut : 100");
    // The test log shows what the printer received.
    std::cout << "Printed page (" << *page << "):\n" << commandOutput("pdftotext -layout '" + *page + "' -");

    const auto copy = printedFile(start, [](const std::string& pdf) {
        const std::string list = commandOutput("pdfimages -list '" + pdf + "'");
        return std::count(list.begin(), list.end(), '\n') > 2;
    });
    ASSERT_TRUE(copy) << "no printed window copy in " << cupsPdfDirectory().toStdString();
    std::cout << "Printed copy (" << *copy << "):\n" << commandOutput("pdfimages -list '" + *copy + "'");
    EXPECT_NE(*page, *copy);
    QFile::remove(QString::fromStdString(*page));
    QFile::remove(QString::fromStdString(*copy));
    // Printing leaves the series as it was.
    EXPECT_EQ(form.state().akut, 100);
    EXPECT_EQ(form.controls().lakut.text, "100");
}

TEST_F(ThroughCups, NoPrintSystemMeansAMessageAndNothingPrinted) {
    ASSERT_TRUE(QPrinterInfo::availablePrinters().isEmpty()) << "run with CUPS_SERVER pointing nowhere";
    SeriesState& s = form.state();
    s.zeichen = "z";
    s.druckzeile = "d";
    BoxAnswers answers{QMessageBox::No, QMessageBox::Ok, QMessageBox::No, QMessageBox::Ok};
    click("okdruck");
    click("okcopy");
    ASSERT_EQ(answers.seen.size(), 4u);
    EXPECT_EQ(answers.seen[1].title, QStringLiteral(" Ausdruck Brisel1"));
    EXPECT_EQ(answers.seen[1].text, qs(kNoPrinterMessage));
    EXPECT_EQ(answers.seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(answers.seen[3].title, QStringLiteral(" Ausdruck Kalvor1"));
    EXPECT_EQ(s.zeichen, "z");
    EXPECT_EQ(s.druckzeile, "d");
    EXPECT_EQ(s.akut, 100);
    EXPECT_TRUE(form.controls().okdruck.enabled);
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
