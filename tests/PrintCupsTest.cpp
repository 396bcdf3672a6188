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
#include <QLabel>
#include <QPushButton>
#include <QPrinterInfo>
#include <QThread>
#include <QWidget>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>

#include "print/Printing.h"
#include "print/qt/QtPrinter.h"
#include "tests/Fakes.h"
#include "tests/QtPrintTestSupport.h"
#include "ui/Form1.h"

using namespace kalvor;
using kalvor::testing::commandOutput;
using kalvor::testing::FakePlatform;
using kalvor::testing::pdfLines;

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
    ThroughCups() {
        // A stand-in for the main window, grabbed as the program grabs its window.
        window.resize(640, 480);
        auto* prompt = new QLabel(QStringLiteral("Anzahl der gewünschten Würfe eingeben"), &window);
        prompt->setGeometry(20, 20, 400, 30);
        auto* button = new QPushButton(QStringLiteral("Druck"), &window);
        button->setGeometry(20, 400, 100, 30);
        c.okdruck.enabled = true;
        c.text.text = standardPrompt();
        s.anzahl = 100;
        s.akut = 100;
        platform.answer = Answer::No;
    }

    QWidget window;
    FakePlatform platform;
    Controls c;
    SeriesState s;
    QtPrinter printer{[this] { return window.grab().toImage(); }};
    Printing printing{c, s, platform, printer};
};

}  // namespace

TEST_F(ThroughCups, ValuePageAndWindowCopyArePrinted) {
    ASSERT_FALSE(QPrinterInfo::availablePrinters().isEmpty()) << "no queue: run scripts/cups-queue.sh";
    EXPECT_EQ(printer.device().outputFormat(), QPrinter::NativeFormat);
    // File times have a resolution of a second.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);

    c.okdruck.click();
    c.okcopy.click();
    EXPECT_TRUE(platform.notices.empty()) << platform.notices.front();

    const auto page = printedFile(start, [](const std::string& pdf) {
        return commandOutput("pdftotext -raw '" + pdf + "' -").find("Anzahl Würfe: 100") != std::string::npos;
    });
    ASSERT_TRUE(page) << "no printed value page in " << cupsPdfDirectory().toStdString();
    const auto lines = pdfLines(*page, "-raw");
    ASSERT_EQ(lines.size(), 5u) << commandOutput("pdftotext -raw '" + *page + "' -");
    EXPECT_TRUE(lines[0].starts_with("Datum: ")) << lines[0];
    EXPECT_NE(lines[0].find("dorem 02.1"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[3], "Anzahl Würfe: 100");
    EXPECT_EQ(lines[4], "Anzahl akut : 100");
    // The closing note of the test run shows what the printer received.
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
}

TEST_F(ThroughCups, NoPrintSystemMeansAMessageAndNothingPrinted) {
    ASSERT_TRUE(QPrinterInfo::availablePrinters().isEmpty()) << "run with CUPS_SERVER pointing nowhere";
    s.zeichen = "z";
    s.druckzeile = "d";
    c.okdruck.click();
    c.okcopy.click();
    ASSERT_EQ(platform.notices.size(), 2u);
    EXPECT_EQ(platform.notices[0], " Ausdruck Brisel1|" + std::string(kNoPrinterMessage));
    EXPECT_EQ(platform.notices[1], " Ausdruck Kalvor1|" + std::string(kNoPrinterMessage));
    EXPECT_EQ(s.zeichen, "z");
    EXPECT_EQ(s.druckzeile, "d");
    EXPECT_EQ(s.akut, 100);
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
