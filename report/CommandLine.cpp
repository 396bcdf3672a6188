#include "report/CommandLine.h"

#include <array>
#include <charconv>
#include <optional>
#include <utility>

#include "app/Arguments.h"
#include "app/ChanceTexts.h"

namespace kalvor {
namespace {

constexpr std::string_view kUsage = "Aufruf: kalvor1-report [OPTION]... DATEI|VERZEICHNIS...";

constexpr std::string_view kHelp =
    "Spielt jede Permanenz ab, wie Kalvor 1 sie nach „Import“, „OK“, „Durchlauf“ und\n"
    "„Start“ abspielt, und schreibt je Datei eine Zeile CSV (UTF-8) auf die\n"
    "Standardausgabe: Datei, die drei Kopfzeilen, die Werte des Fensters, eine Meldung\n"
    "und das Diagramm.\n"
    "Ein Verzeichnis steht für seine *.txt-Dateien, sortiert wie in der Dateiliste;\n"
    "was es dabei übergeht (etwa eine FIFO namens *.txt), steht mit dem Grund da.\n"
    "\n"
    "  --chart VERZ   das Diagramm jeder Datei als PNG-Bild in VERZ schreiben\n"
    "  --chance C     die einfache Chance C spielen: rot-schwarz (Vorgabe),\n"
    "                 pair-impair oder manque-passe\n"
    "  --summary DATEI  das Archiv gegen einen fairen Kessel als CSV in DATEI;\n"
    "                 „-“: auf die Standardausgabe, statt der Zeilen je Datei\n"
    "  --joined       eine Zeile „Gesamt“: alle Dateien als eine Serie\n"
    "  --html DATEI   alles als eine HTML-Seite mit Diagrammen in DATEI\n"
    "  --laws DATEI   je Datei die Gesetze des Zufalls (Serien, Intermittenzen,\n"
    "                 Zeit auf einer Seite, die 37 Zahlen) mit ihren exakten\n"
    "                 Wahrscheinlichkeiten als CSV in DATEI\n"
    "  -j N           N Dateien gleichzeitig auswerten, höchstens 256\n"
    "                 (Vorgabe: eine je Prozessorkern)\n"
    "  -h, --help     diese Hilfe zeigen\n"
    "      --version  die Version zeigen\n"
    "\n"
    "Jede Ausgabedatei entsteht neu und ersetzt nur eine normale Datei, die dieser\n"
    "Aufruf nicht liest; ein Gerät, eine FIFO, eine Verknüpfung bleiben unberührt.\n"
    "\n"
    "Exit-Status: 0, wenn jede Datei eingelesen wurde; 1, wenn eine abgelehnt wurde\n"
    "oder ein Diagramm, die Zusammenfassung oder die Seite nicht geschrieben werden\n"
    "konnte; 2 bei einem Aufruffehler (auch zwei Ausgaben auf einem Pfad); 3, wenn die\n"
    "Ausgabe nicht geschrieben werden konnte (auch bei geschlossener Standardausgabe)\n"
    "oder eine Ausgabedatei oder das Verzeichnis der Diagramme von vornherein nicht.\n";

enum OptionId { kHelpOption, kVersionOption, kChart, kJobs, kChance, kSummary, kJoined, kHtml, kLaws };

struct ReportOption {
    OptionSpec entry;
    std::string_view needs;  // what a missing or wrong value is told, after the option's name
};

constexpr std::array<ReportOption, 9> kOptions{{
    {{kHelpOption, "help", 'h', false}, {}},
    {{kVersionOption, "version", 0, false}, {}},
    {{kChart, "chart", 0, true}, "braucht ein Verzeichnis"},
    {{kJobs, "", 'j', true}, "braucht eine Anzahl ab 1"},
    {{kChance, "chance", 0, true}, "braucht rot-schwarz, pair-impair oder manque-passe"},
    {{kSummary, "summary", 0, true}, "braucht eine Datei"},
    {{kJoined, "joined", 0, false}, {}},
    {{kHtml, "html", 0, true}, "braucht eine Datei"},
    {{kLaws, "laws", 0, true}, "braucht eine Datei"},
}};

const ReportOption& optionOf(int id) { return kOptions[static_cast<size_t>(id)]; }

// "--chart" or "-j", as the help names it.
std::string nameOf(const OptionSpec& entry) {
    return entry.longName.empty() ? std::string("-") + entry.shortName : "--" + std::string(entry.longName);
}

std::optional<unsigned> jobCount(std::string_view text) {
    unsigned n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || ptr != text.data() + text.size() || n == 0) return std::nullopt;
    return n;
}

}  // namespace

std::string_view reportHelp() {
    static const std::string text = std::string(kUsage) + "\n" + std::string(kHelp);
    return text;
}

std::string_view reportUsageLine() {
    static const std::string text = std::string(kUsage) + "  (mehr mit --help)\n";
    return text;
}

ReportCommand parseReportArguments(const std::vector<std::string>& arguments) {
    std::array<OptionSpec, kOptions.size()> table{};
    for (size_t i = 0; i < kOptions.size(); ++i) table[i] = kOptions[i].entry;
    ReportCommand command;
    const auto error = [&](std::string what) {
        command.action = ReportCommand::Action::UsageError;
        command.error = std::move(what);
        return command;
    };
    const auto wrongValue = [&](int id) {
        const OptionSpec& entry = optionOf(id).entry;
        return error(nameOf(entry) + " " + std::string(optionOf(id).needs));
    };
    const ParsedArguments parsed = parseArguments(arguments, table);
    ReportOptions& options = command.options;
    std::array<bool, kOptions.size()> given{};
    for (const ParsedArguments::Option& o : parsed.options) {
        const bool takesValue = optionOf(o.id).entry.takesValue;
        if (takesValue && o.value.empty()) return wrongValue(o.id);
        // A second value would silently win over the first, or a second file of the
        // same kind would never be written.
        if (takesValue && std::exchange(given[static_cast<size_t>(o.id)], true))
            return error(nameOf(optionOf(o.id).entry) + " ist zweimal angegeben");
        switch (o.id) {
        case kHelpOption: command.action = ReportCommand::Action::Help; return command;
        case kVersionOption: command.action = ReportCommand::Action::Version; return command;
        case kChart: options.chartDirectory = o.value; break;
        case kJobs:
            if (const auto jobs = jobCount(o.value)) options.jobs = *jobs;
            else return wrongValue(o.id);
            break;
        case kChance:
            if (const auto chance = parseEvenChance(o.value)) options.archive.chance = *chance;
            else return wrongValue(o.id);
            break;
        case kSummary: options.archive.summaryPath = o.value; break;
        case kHtml:
            // The page is a file of its own beside its staged rows; only the summary
            // has room on standard output.
            if (o.value == "-") return error("--html schreibt nicht auf die Standardausgabe (eine Datei „-“: ./-)");
            options.archive.htmlPath = o.value;
            break;
        case kLaws: options.archive.lawsPath = o.value; break;
        case kJoined: options.archive.joined = true; break;
        }
    }
    if (!parsed.ok()) {
        if (!parsed.missingValue) return error("unbekannte Option „" + parsed.badOption + "“");
        for (const ReportOption& option : kOptions)
            if (option.entry.takesValue && nameOf(option.entry) == parsed.badOption) return wrongValue(option.entry.id);
        return error(parsed.badOption + " braucht einen Wert");
    }
    options.paths = parsed.names;
    if (options.paths.empty()) return error("keine Datei angegeben");
    return command;
}

}  // namespace kalvor
