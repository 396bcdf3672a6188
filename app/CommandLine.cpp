#include "app/CommandLine.h"

#include <array>
#include <filesystem>

#include "app/Arguments.h"

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
    enum { kHelp, kVersion };
    static constexpr std::array<OptionSpec, 2> kOptions{{{kHelp, "help", 'h', false}, {kVersion, "version", 0, false}}};
    // The first of --help, --version and a wrong option decides.
    const ParsedArguments parsed = parseArguments(args, kOptions);
    CommandLine line;
    if (!parsed.options.empty()) {
        line.action = parsed.options.front().id == kHelp ? CommandLine::Action::Help : CommandLine::Action::Version;
        return line;
    }
    if (!parsed.ok()) return usageError("unbekannte Option „" + parsed.badOption + "“");
    const std::vector<std::string>& files = parsed.names;
    for (const std::string& f : files)
        if (f.empty()) return usageError("leerer Dateiname");
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
    return usageText() + "\nInfo-Text: " + std::string(infoFile) +
           (infoFound ? " (gefunden)\n" : " (nicht gefunden)\n");
}

std::string versionText(std::string_view program) {
    return std::string(program) + " (Kalvor 1) " + std::string(programVersion()) +
           "\n"
           "Freie Software unter der GNU General Public License, Version 3 oder neuer; ohne jede Garantie.\n";
}

std::string noDisplayText() {
    return "kalvor1: Kein Bildschirm erreichbar. Kalvor 1 braucht eine grafische Sitzung (X11 oder Wayland);\n"
           "DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt oder nennen keine erreichbare Anzeige.\n"
           "Für eine Auswertung ohne Bildschirm gibt es kalvor1-report.\n";
}

std::string_view programVersion() { return KALVOR_VERSION; }

}  // namespace kalvor
