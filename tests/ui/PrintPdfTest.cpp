// The value page and the window picture through the Qt backend into a PDF file,
// read back with poppler's tools.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "app/Printing.h"
#include "ui/QtPrinter.h"
#include "tests/support/Fakes.h"
#include "tests/support/QtPrintTestSupport.h"
#include "app/Form1.h"

using namespace kalvor;
using kalvor::testing::FakePlatform;
using kalvor::testing::pdfLines;

namespace {

// The page title as -raw shows it, its three blanks before "dorem" as one.
const std::string kTitle = "Z e n t o r / E C / B r i s e l 1 dorem 02.1";

class PdfPrintout : public ::testing::Test {
protected:
    PdfPrintout() {
        c.okdruck.enabled = true;
        c.text.text = standardPrompt();
        s.anzahl = 100;
        s.akut = 37;
        platform.answer = Answer::No;
        printer.setLocale(QLocale(QLocale::German, QLocale::Germany));
        toFile("page.pdf");
    }
    void toFile(const char* name) {
        pdf = dir.filePath(QString::fromLatin1(name)).toStdString();
        printer.device().setOutputFormat(QPrinter::PdfFormat);
        printer.device().setOutputFileName(QString::fromStdString(pdf));
    }
    static std::string today() {
        return QLocale(QLocale::German, QLocale::Germany)
            .toString(QDate::currentDate(), QLocale::ShortFormat)
            .toStdString();
    }

    QTemporaryDir dir;
    std::string pdf;
    FakePlatform platform;
    Controls c;
    SeriesState s;
    QtPrinter printer{[] { return kalvor::testing::windowStandIn(); }};
    Printing printing{c, s, platform, printer};
};

}  // namespace

// pdftotext -layout places the words by their position on the page, so it shows
// the columns; -raw gives the characters as printed, runs of blanks as one.
TEST_F(PdfPrintout, ValuePageLinesInOrderWithTheTitleRightOfTheDate) {
    c.okdruck.click();
    EXPECT_TRUE(platform.notices.empty());
    const auto raw = pdfLines(pdf, "-raw");
    const std::vector<std::string> expected = {
        "Datum: " + today() + " " + kTitle,
        // The prompt is wider than the page and goes on in the next line.
        "Anzahl der gewünschten Würfe eingeben, / Modus wählen und Start drücken. /",
        "Oder Import drücken und entspr. Datei der / Spielbank Hamburg angeben.", "Anzahl Würfe: 100",
        "Anzahl akut : 37"};
    EXPECT_EQ(raw, expected);

    const auto layout = pdfLines(pdf, "-layout");
    ASSERT_EQ(layout.size(), 5u);
    const std::string date = "Datum: " + today();
    const auto datePos = layout[0].find(date);
    const auto titlePos = layout[0].find("Zentor");
    ASSERT_NE(datePos, std::string::npos) << layout[0];
    ASSERT_NE(titlePos, std::string::npos) << layout[0];
    EXPECT_GT(titlePos, datePos + date.size());
    // The date, the prompt and the values begin in column 15, the title in column 39,
    // a column being the font's average character width.
    QPrinter& device = printer.device();
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(12);
    const double column = QFontMetricsF(font, &device).averageCharWidth() * 72.0 / device.resolution();
    const double margin = device.pageLayout().paintRect(QPageLayout::Point).left();
    const auto datum = kalvor::testing::wordLefts(pdf, "Datum:");
    const auto anzahl = kalvor::testing::wordLefts(pdf, "Anzahl");
    const auto title = kalvor::testing::wordLefts(pdf, "Z");
    ASSERT_EQ(datum.size(), 1u);
    ASSERT_EQ(anzahl.size(), 3u);  // the prompt's first word, and the two values
    ASSERT_EQ(title.size(), 1u);
    EXPECT_NEAR(datum[0], margin + 14 * column, 0.5);
    EXPECT_NEAR(anzahl[1], datum[0], 0.5);
    EXPECT_NEAR(anzahl[2], datum[0], 0.5);
    // The prompt and the title begin with a blank.
    EXPECT_GT(anzahl[0], datum[0] + 1);
    EXPECT_LT(anzahl[0], datum[0] + column);
    EXPECT_GT(title[0], margin + 38 * column + 1);
    EXPECT_LT(title[0], margin + 39 * column);
}

TEST_F(PdfPrintout, FractionInTheLocaleAndATitlePushedToTheNextLine) {
    s.anzahl = 2.5;
    s.akut = 0;
    c.text.text.clear();
    printer.setDateFormat(QStringLiteral("dddd, 'den' d. MMMM yyyy 'in der Kalenderwoche'"));
    c.okdruck.click();
    const auto raw = pdfLines(pdf, "-raw");
    ASSERT_EQ(raw.size(), 4u);
    EXPECT_TRUE(raw[0].starts_with("Datum: ")) << raw[0];
    EXPECT_EQ(raw[1], kTitle);
    EXPECT_EQ(raw[2], "Anzahl Würfe: 2,5");
    EXPECT_EQ(raw[3], "Anzahl akut : 0");
    const auto layout = pdfLines(pdf, "-layout");
    ASSERT_EQ(layout.size(), 4u);
    EXPECT_GT(layout[1].find_first_not_of(' '), layout[0].find_first_not_of(' ') + 10) << layout[1];
}

TEST_F(PdfPrintout, EmphasisAndAPromptLongerThanAPage) {
    c.text.text = std::string(20000, 'x') + "\r" + std::string(20000, 'y');
    c.okdruck.click();
    EXPECT_NE(kalvor::testing::commandOutput("pdffonts '" + pdf + "'").find("Bold"), std::string::npos);
    const auto raw = pdfLines(pdf, "-raw");
    std::string joined;
    for (std::size_t i = 1; i + 2 < raw.size(); ++i) joined += raw[i];
    // Compared as a flag: a mismatch would print 40000 characters.
    EXPECT_TRUE(joined == std::string(20000, 'x') + " /" + std::string(20000, 'y')) << joined.size();
    EXPECT_EQ(raw.back(), "Anzahl akut : 37");
    const std::string info = kalvor::testing::commandOutput("pdfinfo '" + pdf + "'");
    EXPECT_EQ(info.find("Pages:           1\n"), std::string::npos) << info;
}

TEST_F(PdfPrintout, WindowPictureFillsThePageWithItsAspect) {
    toFile("copy.pdf");
    c.okcopy.click();
    const std::string list = kalvor::testing::commandOutput("pdfimages -list '" + pdf + "'");
    std::istringstream rows(list);
    std::string header, rule, row;
    std::getline(rows, header);
    std::getline(rows, rule);
    ASSERT_TRUE(std::getline(rows, row)) << list;
    std::istringstream fields(row);
    std::string page, num, type, width, height, color, comp, bpc, enc, interp, object, id, xppi, yppi;
    fields >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object >> id >> xppi >>
        yppi;
    EXPECT_EQ(width, "640");
    EXPECT_EQ(height, "480");
    EXPECT_EQ(xppi, yppi);
    // 640 pixels across the printable width of an A4 or Letter page: about 80 per inch.
    EXPECT_GT(std::stoi(xppi), 70) << list;
    EXPECT_LT(std::stoi(xppi), 100) << list;
    EXPECT_FALSE(std::getline(rows, row)) << list;
}

TEST_F(PdfPrintout, APrinterThatFailsIsReportedAndNothingChanges) {
    printer.device().setOutputFileName(dir.filePath(QStringLiteral("missing/page.pdf")));
    s.zeichen = "z";
    c.okdruck.click();
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0], " Ausdruck Brisel1|" + std::string(kPrintFailedMessage));
    EXPECT_EQ(s.zeichen, "z");
    EXPECT_EQ(s.akut, 37);
}

TEST_F(PdfPrintout, CancelledDialogStillPrintsAndTheSettingsHold) {
    platform.answer = Answer::Yes;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        // Closing the dialog is cancelling it.
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogSeen = true;
            dialog->close();
        }
    });
    c.okdruck.click();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(pdfLines(pdf, "-raw").size(), 5u);

    // The next printout goes to the same printer without asking again.
    platform.answer = Answer::No;
    toFile("again.pdf");
    c.okcopy.click();
    EXPECT_NE(kalvor::testing::commandOutput("pdfimages -list '" + pdf + "'").find("640"), std::string::npos);
}

int main(int argc, char** argv) {
    // Also when ctest lists the tests, which runs without the test's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
