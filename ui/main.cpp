// Kalvor 1: the command line, then the window, its handlers and the desktop port.

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "import/StandardDescriptors.h"
#include "ui/Program.h"
#include "ui/QtPlatform.h"

int main(int argc, char* argv[]) {
    kalvor::openClosedStandardDescriptors();
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
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 3;  // 3: the output failed
    }
    case kalvor::CommandLine::Action::Version:
        std::fputs(kalvor::versionText().c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 3;
    case kalvor::CommandLine::Action::UsageError:
        std::fputs((line.error + "\n\n" + kalvor::usageText()).c_str(), stderr);
        return 2;
    case kalvor::CommandLine::Action::Run: break;
    }

    QApplication app(qtArgc, qtArgv);
    kalvor::installGermanTranslations(app);
    kalvor::Program program;
    program.start(line.file);
    return QApplication::exec();
}
