// The import as the program runs it in the window: off the window's thread, with a
// progress dialog that can cancel it, and from drops of any file name.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "app/Prompts.h"
#include "app/ImportPanel.h"
#include "tests/support/MessageBoxes.h"
#include "ui/Program.h"
#include "ui/QtImportRunner.h"

using namespace kalvor;
using kalvor::testing::BoxAnswers;

namespace {

constexpr const char* kHeader = "Spielbank Hamburg\nTisch 1\nFreitag 27.11.2026\nRoulette\n";

// A valid header, then zero bytes up to size: a sparse file, read as one endless field.
void writeSparse(const std::string& path, off_t size) {
    std::ofstream(path, std::ios::binary) << kHeader;
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// What an import may change, to compare before and after.
struct Seen {
    std::string text, count;
    int external = 0;
    double zeilen = 0;
    std::vector<int32_t> perm;
    bool panel = false, importEnabled = false, abbruchEnabled = false;

    explicit Seen(Form1& form)
        : text(form.controls().text.text),
          count(form.controls().textanzahl.text()),
          external(form.state().extern_),
          zeilen(form.state().zeilen),
          perm(form.state().perm),
          panel(form.controls().Frame1.visible),
          importEnabled(form.controls().okextern.enabled),
          abbruchEnabled(form.controls().okabbrechen.enabled) {}
    bool operator==(const Seen&) const = default;
};

class ImportWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(::chdir(dir.path().toLocal8Bit().constData()), 0);  // the panel starts here
    }
    // After the files are written: the panel lists its directory when it is made.
    void start() {
        program = std::make_unique<Program>();
        program->start({});
    }
    bool dialogShown() { return progress() && progress()->isVisible(); }
    void TearDown() override {
        program.reset();
        ASSERT_EQ(::chdir(previous.constData()), 0);
    }
    QWidget* find(const char* name) { return program->window().findChild<QWidget*>(QString::fromLatin1(name)); }
    QProgressDialog* progress() { return program->window().findChild<QProgressDialog*>(); }
    // Picks the file in the panel and presses OK, as the user does.
    void pickAndOk(const QString& name) {
        QTest::mouseClick(find("okextern"), Qt::LeftButton);
        auto* files = qobject_cast<QListView*>(find("File1"));
        const QModelIndexList hits = files->model()->match(files->model()->index(0, 0), Qt::DisplayRole, name);
        ASSERT_EQ(hits.size(), 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(hits.front()).center());
        QTest::mouseClick(find("okexternok"), Qt::LeftButton);
    }

    QByteArray previous = QDir::currentPath().toLocal8Bit();
    QTemporaryDir dir;
    std::unique_ptr<Program> program;
};

}  // namespace

// A file too large to read in a moment: the window goes on, a dialog shows after
// about half a second, and "Abbrechen" leaves the window as it was before "OK".
TEST_F(ImportWindow, ALargeFileIsReadWhileTheWindowGoesOnAndCanBeCancelled) {
    const std::string path = dir.filePath(QStringLiteral("gross.txt")).toStdString();
    writeSparse(path, off_t{64} << 30);  // far more than a test waits for
    start();
    BoxAnswers answers{QMessageBox::Ok};

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    QTest::mouseClick(find("okextern"), Qt::LeftButton);
    const Seen before(program->form());
    pickAndOk(QStringLiteral("gross.txt"));
    EXPECT_EQ(progress(), nullptr);  // not at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogShown(); }, 5000));
    EXPECT_GT(ticks, 2);  // the event loop ran meanwhile
    QProgressDialog* dialog = progress();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(" Import"));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Die Datei „gross.txt“ wird eingelesen …"));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    // The window takes no clicks meanwhile.
    QTest::mouseClick(find("okexternabbruch"), Qt::LeftButton);
    EXPECT_TRUE(program->form().controls().Frame1.visible);

    QPushButton* cancel = dialog->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Abbrechen"));
    QTest::qWait(300);
    EXPECT_GT(dialog->value(), 0);  // the bar moves
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !program->form().controls().text.text.empty() && !dialogShown(); }, 5000));
    QTest::qWait(50);
    Seen after(program->form());
    after.zeilen = before.zeilen;  // "OK" clears it, as every refusal does
    EXPECT_EQ(after, before);
    EXPECT_EQ(program->form().state().zeilen, 0);
    EXPECT_TRUE(answers.seen.empty());  // cancelled without a word
    EXPECT_EQ(program->form().controls().text.text, importPrompt());
}

// The same for a file named on the command line; a small file is read at once,
// without a dialog, as before.
TEST_F(ImportWindow, TheCommandLinesFileToo) {
    const std::string path = dir.filePath(QStringLiteral("gross.txt")).toStdString();
    writeSparse(path, off_t{64} << 30);
    start();
    const std::string prompt = program->form().controls().text.text;
    program->window().openFile(path);
    EXPECT_TRUE(program->form().controls().Frame1.visible);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogShown(); }, 5000));
    QTest::mouseClick(progress()->findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !progress(); }, 5000));
    EXPECT_EQ(program->form().state().extern_, 0);
    // The user never opened the panel: it is closed again, over the buttons no more.
    EXPECT_FALSE(program->form().controls().Frame1.visible);
    EXPECT_FALSE(find("Frame1")->isVisible());
    EXPECT_EQ(program->form().controls().text.text, prompt);

    std::ofstream(dir.filePath(QStringLiteral("klein.txt")).toStdString()) << kHeader << "5\n17\n";
    program->window().openFile(dir.filePath(QStringLiteral("klein.txt")).toStdString());
    EXPECT_EQ(program->form().state().extern_, 1);  // at once
    EXPECT_EQ(program->form().controls().textanzahl.text(), "2");
    QTest::qWait(700);
    EXPECT_FALSE(dialogShown());
}

// A dropped file whose name is not UTF-8 keeps its bytes; one that is no permanence
// is refused with a message that says so.
TEST_F(ImportWindow, ADroppedFileOfAnyNameIsOpened) {
    const std::string base = dir.path().toStdString();
    std::ofstream(base + "/tisch\xFF.txt", std::ios::binary) << kHeader << "5\n17\n36\n";
    std::ofstream(base + "/brief.txt", std::ios::binary) << "Sehr geehrte Damen und Herren\n";
    start();
    auto* count = qobject_cast<QLineEdit*>(find("textanzahl"));
    const auto drop = [&](const QByteArray& encodedPath) {
        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded("file://" + encodedPath)});
        QDragEnterEvent enter(count->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(count, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(count->rect().center()), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(count, &event);
        QCoreApplication::processEvents();
    };

    BoxAnswers answers{QMessageBox::Ok};
    drop(QByteArray(base.data()).toPercentEncoding("/") + "/brief.txt");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen.front().text,
              QStringLiteral("Die Datei ist keine Permanenz: Die erste Zeile beginnt nicht mit „Spielbank“."));

    drop(QByteArray(base.data()).toPercentEncoding("/") + "/tisch%FF.txt");
    EXPECT_EQ(count->text(), QStringLiteral("3"));
    EXPECT_EQ(program->form().state().extern_, 1);
    ::unlink((base + "/tisch\xFF.txt").c_str());  // a name QTemporaryDir cannot spell
}

// Closing the window while a file is read: the reading is cancelled and the window
// closes, without a word.
TEST_F(ImportWindow, ClosingTheWindowCancelsTheImportAndCloses) {
    const std::string path = dir.filePath(QStringLiteral("gross.txt")).toStdString();
    writeSparse(path, off_t{64} << 30);
    start();
    BoxAnswers answers{QMessageBox::Ok};
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program->window()));
    program->window().openFile(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogShown(); }, 5000));
    program->window().close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !program->importing() && !program->window().isVisible(); }, 5000));
    EXPECT_EQ(program->form().state().extern_, 0);
    EXPECT_TRUE(answers.seen.empty());
}
