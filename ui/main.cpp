// Kalvor 1: the command line, then the window, its handlers and the desktop port.

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "import/StandardDescriptors.h"
#include "ui/Program.h"
#include "ui/QtPlatform.h"

namespace {

// Exit status when no display can be reached.
constexpr int kNoDisplay = 4;

// While the application object connects to the display, Qt's own messages are held
// back: where it cannot connect, it ends the program with an English text and an
// abort; the user gets the German reason and a status instead. Once connected, what
// was held goes on to Qt's handler as usual.
QtMessageHandler qtHandler = nullptr;
std::vector<std::pair<QtMsgType, QString>>* held = nullptr;

void holdWhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const std::string text = kalvor::noDisplayText();
        (void)!::write(STDERR_FILENO, text.data(), text.size());
        ::_exit(kNoDisplay);
    }
    if (held) held->emplace_back(type, qFormatLogMessage(type, context, message));
}

int outputStatus(bool stdoutClosed) {
    // 3: the output failed, also where it had nowhere to go.
    return std::fflush(stdout) == 0 && !std::ferror(stdout) && !stdoutClosed ? 0 : 3;
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool stdoutClosed = kalvor::openClosedStandardDescriptors() & kalvor::kStandardOutputClosed;
    std::error_code noDirectory;  // a working directory that is gone leaves relative names as given
    const std::string workingDirectory = std::filesystem::current_path(noDirectory).string();
    const kalvor::CommandLine line =
        kalvor::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), workingDirectory);

    // Qt gets the program's name only: its own options are not the user's to give.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    switch (line.action) {
    case kalvor::CommandLine::Action::Help: {
        // The info file is found as the Info button finds it, beside the executable.
        const QCoreApplication core(qtArgc, qtArgv);
        kalvor::QtPlatform platform;
        const std::string info = kalvor::infoFilePath(platform);
        std::fputs(kalvor::helpText(info, platform.readFile(info).has_value()).c_str(), stdout);
        return outputStatus(stdoutClosed);
    }
    case kalvor::CommandLine::Action::Version:
        std::fputs(kalvor::versionText().c_str(), stdout);
        return outputStatus(stdoutClosed);
    case kalvor::CommandLine::Action::UsageError:
        std::fputs((line.error + "\n\n" + kalvor::usageText()).c_str(), stderr);
        return 2;
    case kalvor::CommandLine::Action::Run: break;
    }

    std::vector<std::pair<QtMsgType, QString>> startMessages;
    held = &startMessages;
    qtHandler = qInstallMessageHandler(holdWhileStarting);
    QApplication app(qtArgc, qtArgv);
    qInstallMessageHandler(qtHandler);
    held = nullptr;
    for (const auto& message : startMessages) std::fprintf(stderr, "%s\n", qPrintable(message.second));

    kalvor::installGermanTranslations(app);
    kalvor::Program program;
    program.start(line.file);
    return QApplication::exec();
}
