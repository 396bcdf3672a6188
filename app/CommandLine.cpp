#include "app/CommandLine.h"

#include <filesystem>

namespace kalvor {

namespace {

CommandLine usageError(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = "kalvor1: " + std::move(message);
    return line;
}

// Lexically, as a shell's cd does: the import panel lists every component of the
// path, and "." or ".." there would be entries nobody can pick.
std::string absoluteFile(std::string_view name, std::string_view workingDirectory) {
    std::filesystem::path path(name);
    if (path.is_relative()) path = std::filesystem::path(workingDirectory) / path;
    std::string plain = path.lexically_normal().string();
    if (plain.size() > 1 && plain.back() == '/') plain.pop_back();
    return plain;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, std::string_view workingDirectory) {
    CommandLine line;
    bool optionsEnded = false;
    std::vector<std::string_view> files;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--help" || arg == "-h") {
                line.action = CommandLine::Action::Help;
                return line;
            } else if (arg == "--version") {
                line.action = CommandLine::Action::Version;
                return line;
            } else {
                return usageError("unbekannte Option „" + arg + "“");
            }
            continue;
        }
        if (arg.empty()) return usageError("leerer Dateiname");
        files.push_back(arg);
    }
    if (files.size() > 1) return usageError("mehr als eine Datei angegeben; geöffnet werden kann nur eine");
    if (!files.empty()) line.file = absoluteFile(files.front(), workingDirectory);
    return line;
}

std::string usageText() {
    return "Aufruf: kalvor1 [OPTION] [DATEI]\n"
           "Kalvor 1 zeigt die Tendenz der einfachen Chancen Rot und Schwarz beim Roulette.\n"
           "Mit DATEI liest das Programm beim Start diese Permanenz ein, wie „Import“ und „OK“.\n"
           "\n"
           "  -h, --help     diese Hilfe zeigen und beenden\n"
           "      --version  die Version zeigen und beenden\n"
           "      --         Ende der Optionen: was folgt, ist der Dateiname\n";
}

std::string helpText(std::string_view infoFile, bool infoFound) {
    return usageText() + "\nInfo-Text: " + std::string(infoFile) + (infoFound ? " (gefunden)\n" : " (nicht gefunden)\n");
}

std::string versionText() {
    return "Kalvor 1 " + std::string(programVersion()) +
           "\n"
           "Freie Software unter der GNU General Public License, Version 3 oder neuer; ohne jede Garantie.\n";
}

std::string_view programVersion() { return KALVOR_VERSION; }

}  // namespace kalvor
