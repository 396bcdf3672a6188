#include "report/Report.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

#include "app/CommandLine.h"
#include "app/FigureTexts.h"
#include "export/ChartFiles.h"
#include "export/Csv.h"
#include "import/ListBudget.h"
#include "import/LocalFileSystem.h"
#include "report/OrderedPool.h"
#include "report/Progress.h"
#include "report/Replay.h"
#include "report/Targets.h"

namespace kalvor {
namespace {

constexpr std::string_view kProgram = "kalvor1-report";

// A report's line: the replay, and where its picture went.
struct Line {
    FileReport report;
    std::string chart;  // the picture's path, when it was written
    bool chartFailed = false;
};

void write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Paths and header bytes reach the terminal cleaned, as in the CSV.
void notice(std::ostream& err, std::string_view text) {
    write(err, kProgram);
    write(err, ": ");
    write(err, cleanText(text, kCsvCleaning));
    write(err, "\n");
}

std::string inQuotes(std::string_view path) { return "„" + std::string(path) + "“"; }

// The report's one exception barrier: whatever goes wrong with one file becomes
// that file's note, and the others go on.
Line replay(const Target& target, const std::string& chartDirectory, const ChartFolder* charts, ListBudget& budget,
            bool keepCharts, const ReplayExtras& extras, OutputGuard& guard) {
    Line line;
    FileReport& report = line.report;
    if (!target.refusal.empty()) {
        report.note = target.refusal;
        return line;
    }
    try {
        report = replayPermanence(target.absolute, keepCharts, extras, &budget);
        if (report.input != FileId{}) guard.protect(report.input);
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

int usageError(std::ostream& err, const std::string& what) {
    notice(err, what);
    write(err, reportUsageLine());
    return kUsageError;
}

}  // namespace

std::vector<std::string> reportColumns(EvenChance chance) {
    std::vector<std::string> columns{"Datei", "Kopfzeile 1", "Kopfzeile 2", "Kopfzeile 3"};
    for (std::string& caption : valueColumns(chance)) columns.push_back(std::move(caption));
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
    LocalFileSystem disk;
    // Counted first only where a count or the inputs are needed.
    Survey survey;
    const bool outputFiles = withCharts || !options.archive.summaryPath.empty() || !options.archive.htmlPath.empty() ||
                             !options.archive.lawsPath.empty();
    if (outputFiles || options.progress) survey = surveyTargets(options.paths, disk);
    // No output replaces an input or the files standard output and error go to.
    OutputGuard guard;
    for (const FileId& id : survey.inputs) guard.protect(id);
    guard.protectDescriptor(1);
    guard.protectDescriptor(2);
    extras.start(guard);
    std::unique_ptr<ChartFolder> charts;
    if (withCharts) {
        charts = ChartFolder::open(options.chartDirectory, guard);
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
            return replay(target, options.chartDirectory, charts.get(), budget, keepCharts, replayExtras, guard);
        });
        TargetSource targets(options.paths, disk, [&](const std::string& text) {
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
    if (written && !extras.finish(columns, guard, unwritten)) {
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

int reportMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    ReportCommand command = parseReportArguments(std::vector<std::string>(arguments.begin(), arguments.end()));
    switch (command.action) {
    case ReportCommand::Action::Help: write(out, reportHelp()); return out.flush() ? kAllRead : kOutputError;
    case ReportCommand::Action::Version:
        write(out, versionText(kProgram));
        return out.flush() ? kAllRead : kOutputError;
    case ReportCommand::Action::UsageError: return usageError(err, command.error);
    case ReportCommand::Action::Run: break;
    }
    command.options.progress = errIsTerminal;
    return runReport(command.options, out, err);
}

}  // namespace kalvor
