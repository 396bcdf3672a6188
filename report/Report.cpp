#include "report/Report.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "app/CommandLine.h"
#include "app/FigureTexts.h"
#include "core/NumberText.h"
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
            report.note += notWritten("Diagramm", why, path);
        }
    } catch (const std::exception& e) {
        report.note = std::string("Fehler bei der Auswertung: ") + e.what();
    }
    return line;
}

// The line goes on to the summary, the joined walk and the page with its texts as
// read (the page cleans them its own way); in the CSV the text cells are cleaned
// for spreadsheets and terminals and the values are as they are.
bool writeLine(std::ostream& out, const Target& target, Line& line, ArchiveExtras& extras) {
    std::vector<std::string> fields{target.shown};
    fields.insert(fields.end(), line.report.header.begin(), line.report.header.end());
    fields.insert(fields.end(), line.report.values.begin(), line.report.values.end());
    const std::array<std::string, 5> chances = extras.probabilities(line.report);
    fields.insert(fields.end(), chances.begin(), chances.end());
    fields.push_back(line.report.note);
    fields.push_back(line.chart);
    extras.add(fields, line.report);
    // The texts: the name and the header lines first, the note and the chart's path last.
    for (size_t i = 0; i < fields.size(); ++i)
        if (i <= line.report.header.size() || i + 2 >= fields.size()) fields[i] = csvText(fields[i]);
    std::string text;
    appendCsvLine(text, fields);
    write(out, text);
    // Out at once and whole: a run that is interrupted leaves its last line whole,
    // and a notice on the same terminal comes between lines, not inside one.
    out.flush();
    return static_cast<bool>(out);
}

// Takes what it is given and keeps none of it: the lines, where standard output
// carries the summary instead.
class Discard final : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

bool samePlace(const std::string& a, const std::string& b) {
    std::error_code ec;
    const std::filesystem::path left = std::filesystem::weakly_canonical(std::filesystem::absolute(a), ec);
    if (ec) return false;
    return left == std::filesystem::weakly_canonical(std::filesystem::absolute(b), ec) && !ec;
}

// The files a run writes besides its lines, by option and by name; "-" for the
// summary is standard output.
struct OutputOption {
    std::string_view option, noun;
    const std::string* path;
};
std::array<OutputOption, 3> outputFiles(const ReportOptions& options) {
    return {{{"--summary", "Zusammenfassung", &options.archive.summaryPath},
             {"--html", "Seite", &options.archive.htmlPath},
             {"--laws", "Gesetze", &options.archive.lawsPath}}};
}

// Two outputs on one path would leave only the one written last.
std::string sharedOutput(const ReportOptions& options) {
    std::vector<std::pair<std::string_view, const std::string*>> outputs;
    if (!options.chartDirectory.empty()) outputs.emplace_back("--chart", &options.chartDirectory);
    for (const OutputOption& o : outputFiles(options))
        if (!o.path->empty() && *o.path != "-") outputs.emplace_back(o.option, o.path);
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = i + 1; j < outputs.size(); ++j)
            if (samePlace(*outputs[i].second, *outputs[j].second))
                return std::string(outputs[i].first) + " und " + std::string(outputs[j].first) +
                       " nennen denselben Pfad " + inQuotes(*outputs[j].second);
    return {};
}

std::string fewerThreads(size_t started, size_t asked) {
    if (started == 0) return "Das System startet keine weiteren Threads; die Dateien werden nacheinander ausgewertet.";
    return "Das System startet nur " + integerText(started) + " von " + integerText(asked) +
           " Threads; mit ihnen geht die Auswertung weiter.";
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
    if (const std::string shared = sharedOutput(options); !shared.empty()) return usageError(err, shared);
    const bool withCharts = !options.chartDirectory.empty();
    ArchiveExtras extras(options.archive);
    const ReplayExtras replayExtras = extras.replayExtras();
    const bool keepCharts = withCharts || extras.wantsCharts();
    Progress progress(err, options.progress);
    LocalFileSystem disk;
    // Counted first only where a count or the inputs are needed.
    Survey survey;
    const auto files = outputFiles(options);
    const bool writesFiles =
        withCharts || std::any_of(files.begin(), files.end(), [](const OutputOption& o) { return !o.path->empty(); });
    if (writesFiles || options.progress) survey = surveyTargets(options.paths, disk);
    // No output replaces an input or the files standard output and error go to.
    OutputGuard guard;
    for (const FileId& id : survey.inputs) guard.protect(id);
    guard.protectDescriptor(1);
    guard.protectDescriptor(2);
    // An output that cannot be taken is told before the work for it is done.
    for (const OutputOption& o : outputFiles(options)) {
        if (o.path->empty() || *o.path == "-") continue;
        if (const std::string why = OutputFile::refusal(*o.path, guard); !why.empty()) {
            notice(err, notWritten(o.noun, why, *o.path));
            return kOutputError;
        }
    }
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

    Discard discard;
    std::ostream discarded(&discard);
    std::ostream& lines = options.archive.summaryPath == "-" ? discarded : out;

    const std::vector<std::string> columns = reportColumns(options.archive.chance);
    std::string header;
    appendCsvLine(header, columns);
    write(lines, header);

    int status = kAllRead;
    bool written = static_cast<bool>(lines);
    {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t threads = std::min(options.jobs ? options.jobs : cores, kMostJobs);
        // Each worker replays whole files; the lines go out in the order of the
        // arguments as soon as each one's turn has come, with a few finished ahead.
        OrderedPool<Target, Line> pool(threads, 4 * threads, [&](const Target& target) {
            return replay(target, options.chartDirectory, charts.get(), budget, keepCharts, replayExtras, guard);
        });
        if (threads > 1 && pool.threads() < threads) notice(err, fewerThreads(pool.threads(), threads));
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
            written = writeLine(lines, target, line, extras);
            progress.show(++done, survey.lines);
        }
    }  // an output that broke off stops the workers after their file
    if (written && options.archive.joined) {
        std::string line;
        appendCsvLine(line, extras.joinedLine());
        write(lines, line);
        written = static_cast<bool>(lines);
    }
    std::vector<std::string> unwritten;
    if (written && !extras.finish(columns, guard, unwritten, out)) {
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
