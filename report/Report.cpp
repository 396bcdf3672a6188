#include "report/Report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

#include "app/Arguments.h"
#include "app/CommandLine.h"
#include "import/ListBudget.h"
#include "report/ChartFile.h"
#include "report/Csv.h"
#include "report/CsvText.h"
#include "report/OrderedWriter.h"
#include "report/Progress.h"
#include "report/Replay.h"
#include "report/Targets.h"
#include "app/LayoutTable.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "kalvor1-report";

constexpr std::string_view kHelp =
    "Aufruf: kalvor1-report [OPTION]... DATEI|VERZEICHNIS...\n"
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
    "  --summary DATEI  das Archiv gegen einen fairen Kessel als CSV in DATEI\n"
    "  --joined       eine Zeile „Gesamt“: alle Dateien als eine Serie\n"
    "  --html DATEI   alles als eine HTML-Seite mit Diagrammen in DATEI\n"
    "  -j N           N Dateien gleichzeitig auswerten, höchstens 256\n"
    "                 (Vorgabe: eine je Prozessorkern)\n"
    "  -h, --help     diese Hilfe zeigen\n"
    "      --version  die Version zeigen\n"
    "\n"
    "Exit-Status: 0, wenn jede Datei eingelesen wurde; 1, wenn eine abgelehnt wurde\n"
    "oder ein Diagramm nicht geschrieben werden konnte; 2 bei einem Aufruffehler;\n"
    "3, wenn die Ausgabe oder das Verzeichnis der Diagramme nicht geschrieben werden konnte.\n";

constexpr unsigned kMostJobs = 256;


// A report's line: the replay, and where its picture went.
struct Line {
    FileReport report;
    std::string chart;  // the picture's path, when it was written
    bool chartFailed = false;
};

void write(std::ostream& out, std::string_view text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); }

// Paths and header bytes reach the terminal cleaned, as in the CSV.
void notice(std::ostream& err, std::string_view text) {
    write(err, kProgram);
    write(err, ": ");
    write(err, cleanText(text));
    write(err, "\n");
}

std::string inQuotes(std::string_view path) { return "„" + std::string(path) + "“"; }

// The report's one exception barrier: whatever goes wrong with one file becomes
// that file's note, and the others go on.
Line replay(const Target& target, const std::string& chartDirectory, const ChartFolder* charts, ListBudget& budget,
            bool keepCharts, const ReplayExtras& extras) {
    Line line;
    FileReport& report = line.report;
    if (!target.refusal.empty()) {
        report.note = target.refusal;
        return line;
    }
    try {
        report = replayPermanence(target.absolute, keepCharts, extras, &budget);
        if (report.chartPng.empty() || charts == nullptr) return line;
        const std::string name = chartName(target.absolute);
        const std::string path = (std::filesystem::path(chartDirectory) / name).native();
        const std::string why = charts->write(name, report.chartPng);
        if (why.empty()) {
            line.chart = path;
        } else {
            line.chartFailed = true;
            if (!report.note.empty()) report.note += ' ';
            report.note += "Diagramm nicht geschrieben (" + why + "): " + path;
        }
    } catch (const std::exception& e) {
        report.note = std::string("Fehler bei der Auswertung: ") + e.what();
    }
    return line;
}

// The text cells cleaned for spreadsheets and terminals; the values as they are.
// The line goes on to the summary, the joined walk and the page.
bool writeLine(std::ostream& out, const Target& target, Line& line, ArchiveExtras& extras) {
    std::vector<std::string> fields{csvText(target.shown)};
    for (const std::string& h : line.report.header) fields.push_back(csvText(h));
    fields.insert(fields.end(), line.report.values.begin(), line.report.values.end());
    const std::array<std::string, 5> chances = extras.probabilities(line.report);
    fields.insert(fields.end(), chances.begin(), chances.end());
    fields.push_back(csvText(line.report.note));
    fields.push_back(csvText(line.chart));
    extras.add(fields, line.report);
    std::string text;
    appendCsvLine(text, fields);
    write(out, text);
    return static_cast<bool>(out);
}

std::optional<unsigned> jobCount(std::string_view text) {
    unsigned n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || ptr != text.data() + text.size() || n == 0) return std::nullopt;
    return n;
}

int usageError(std::ostream& err, const std::string& what) {
    notice(err, what);
    write(err, "Aufruf: kalvor1-report [OPTION]... DATEI|VERZEICHNIS...  (mehr mit --help)\n");
    return kUsageError;
}

}  // namespace

std::vector<std::string> reportColumns(EvenChance chance) {
    std::vector<std::string> columns{"Datei", "Kopfzeile 1", "Kopfzeile 2", "Kopfzeile 3"};
    for (std::string_view label : kReportLabels) columns.push_back(sideCaption(layoutRow(label)->accessibleName, chance));
    columns.insert(columns.end(), kProbabilityColumns.begin(), kProbabilityColumns.end());
    columns.emplace_back("Meldung");
    columns.emplace_back("Diagramm");
    return columns;
}

int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    const bool withCharts = !options.chartDirectory.empty();
    ArchiveExtras extras(options.archive);
    const ReplayExtras replayExtras = extras.replayExtras();
    const bool keepCharts = withCharts || extras.wantsCharts();
    Progress progress(err, options.progress);
    // Counted first only where a count or the inputs are needed.
    Survey survey;
    if (withCharts || options.progress) survey = surveyTargets(options.paths);
    std::unique_ptr<ChartFolder> charts;
    if (withCharts) {
        charts = ChartFolder::open(options.chartDirectory, std::move(survey.inputs));
        if (!charts) {
            notice(err, "Verzeichnis für die Diagramme nicht anlegbar: " + inQuotes(options.chartDirectory));
            return kOutputError;
        }
    }
    // One budget for the lists of all files replayed at once.
    ListBudget budget(options.memoryBudget ? options.memoryBudget : usableMemory() / 2);

    const std::vector<std::string> columns = reportColumns(options.archive.chance);
    std::string header;
    appendCsvLine(header, columns);
    write(out, header);

    int status = kAllRead;
    bool written = static_cast<bool>(out);
    {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t threads = std::min(options.jobs ? options.jobs : cores, kMostJobs);
        // Each worker replays whole files; the lines go out in the order of the
        // arguments as soon as each one's turn has come, with a few finished ahead.
        OrderedPool<Target, Line> pool(threads, 4 * threads, [&](const Target& target) {
            return replay(target, options.chartDirectory, charts.get(), budget, keepCharts, replayExtras);
        });
        TargetSource targets(options.paths, [&](const std::string& text) {
            progress.interrupt();
            notice(err, text);
        });
        for (size_t done = 0; written;) {
            while (!pool.full()) {
                std::optional<Target> target = targets.next();
                if (!target) break;
                pool.give(std::move(*target));
            }
            if (pool.idle()) break;
            auto [target, line] = pool.take();
            if (line.report.refused() || line.chartFailed) status = kSomeRefused;
            written = writeLine(out, target, line, extras);
            progress.show(++done, survey.lines);
        }
    }  // an output that broke off stops the workers after their file
    if (written && options.archive.joined) {
        std::string line;
        appendCsvLine(line, extras.joinedLine());
        write(out, line);
        written = static_cast<bool>(out);
    }
    std::vector<std::string> unwritten;
    if (written && !extras.finish(columns, unwritten)) {
        for (const std::string& message : unwritten) notice(err, message);
        status = kSomeRefused;
    }
    out.flush();
    progress.finish();
    if (!written || !out) {
        notice(err, "die Ausgabe konnte nicht geschrieben werden");
        return kOutputError;
    }
    return status;
}

ReportCommand parseReportArguments(const std::vector<std::string>& arguments) {
    enum { kHelpOption, kVersionOption, kChart, kJobs, kChance, kSummary, kJoined, kHtml };
    static constexpr std::array<OptionSpec, 8> kOptions{{
        {kHelpOption, "help", 'h', false},
        {kVersionOption, "version", 0, false},
        {kChart, "chart", 0, true},
        {kJobs, "", 'j', true},
        {kChance, "chance", 0, true},
        {kSummary, "summary", 0, true},
        {kJoined, "joined", 0, false},
        {kHtml, "html", 0, true},
    }};
    ReportCommand command;
    const auto error = [&](std::string what) {
        command.action = ReportCommand::Action::UsageError;
        command.error = std::move(what);
        return command;
    };
    // In the order given: the first of --help, --version and a mistake decides.
    const ParsedArguments parsed = parseArguments(arguments, kOptions);
    ReportOptions& options = command.options;
    for (const ParsedArguments::Option& o : parsed.options) {
        switch (o.id) {
        case kHelpOption:
            command.action = ReportCommand::Action::Help;
            return command;
        case kVersionOption:
            command.action = ReportCommand::Action::Version;
            return command;
        case kChart:
            if (o.value.empty()) return error("--chart braucht ein Verzeichnis");
            options.chartDirectory = o.value;
            break;
        case kJobs:
            if (const auto jobs = jobCount(o.value)) options.jobs = *jobs;
            else return error("-j braucht eine Anzahl ab 1");
            break;
        case kChance:
            if (const auto chance = parseEvenChance(o.value)) options.archive.chance = *chance;
            else return error("--chance braucht rot-schwarz, pair-impair oder manque-passe");
            break;
        case kSummary:
        case kHtml:
            if (o.value.empty()) return error(std::string(o.id == kSummary ? "--summary" : "--html") + " braucht eine Datei");
            (o.id == kSummary ? options.archive.summaryPath : options.archive.htmlPath) = o.value;
            break;
        case kJoined:
            options.archive.joined = true;
            break;
        }
    }
    if (!parsed.ok()) {
        if (!parsed.missingValue) return error("unbekannte Option " + inQuotes(parsed.badOption));
        if (parsed.badOption == "-j") return error("-j braucht eine Anzahl ab 1");
        if (parsed.badOption == "--chart") return error("--chart braucht ein Verzeichnis");
        if (parsed.badOption == "--chance") return error("--chance braucht rot-schwarz, pair-impair oder manque-passe");
        return error(parsed.badOption + " braucht eine Datei");
    }
    options.paths = parsed.names;
    if (options.paths.empty()) return error("keine Datei angegeben");
    return command;
}

int reportMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    ReportCommand command = parseReportArguments(std::vector<std::string>(arguments.begin(), arguments.end()));
    switch (command.action) {
    case ReportCommand::Action::Help:
        write(out, kHelp);
        return out.flush() ? kAllRead : kOutputError;
    case ReportCommand::Action::Version:
        write(out, versionText(kProgram));
        return out.flush() ? kAllRead : kOutputError;
    case ReportCommand::Action::UsageError:
        return usageError(err, command.error);
    case ReportCommand::Action::Run:
        break;
    }
    command.options.progress = errIsTerminal;
    return runReport(command.options, out, err);
}

}  // namespace kalvor
