#include "report/Report.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>
#include <thread>

#include "app/CommandLine.h"
#include "app/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "report/Csv.h"
#include "report/Replay.h"
#include "app/LayoutTable.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "kalvor1-report";

constexpr std::string_view kHelp =
    "Aufruf: kalvor1-report [OPTION]... DATEI|VERZEICHNIS...\n"
    "Spielt jede Permanenz ab, wie Kalvor 1 sie nach „Import“, „OK“, „Durchlauf“ und\n"
    "„Start“ abspielt, und schreibt je Datei eine Zeile CSV (UTF-8) auf die\n"
    "Standardausgabe: Datei, die drei Kopfzeilen, die Werte des Fensters und eine Meldung.\n"
    "Ein Verzeichnis steht für seine *.txt-Dateien, sortiert wie in der Dateiliste.\n"
    "\n"
    "  --chart VERZ   das Diagramm jeder Datei als PNG-Bild in VERZ schreiben\n"
    "  -j N           N Dateien gleichzeitig auswerten, höchstens 256\n"
    "                 (Vorgabe: eine je Prozessorkern)\n"
    "  --help         diese Hilfe zeigen\n"
    "  --version      die Version zeigen\n"
    "\n"
    "Exit-Status: 0, wenn jede Datei eingelesen wurde; 1, wenn eine abgelehnt wurde\n"
    "oder ein Diagramm nicht geschrieben werden konnte; 2 bei einem Aufruffehler.\n";

constexpr unsigned kMostJobs = 256;


// One line of the report: a file to replay, or a directory that could not be listed.
struct Target {
    std::string shown;     // the path as the user gave it
    std::string absolute;  // what the import opens
    std::string refusal;   // set when there is nothing to replay
};

void write(std::ostream& out, std::string_view text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); }

void notice(std::ostream& err, std::string_view text) {
    write(err, kProgram);
    write(err, ": ");
    write(err, text);
    write(err, "\n");
}

std::string inQuotes(std::string_view path) { return "„" + std::string(path) + "“"; }

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.native();
}

std::vector<Target> expand(const std::vector<std::string>& paths, std::ostream& err) {
    LocalFileSystem disk;
    std::vector<Target> targets;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            targets.push_back({path, absolutePath(path), {}});
            continue;
        }
        const std::string dir = absolutePath(path);
        auto found = disk.files(dir);
        if (!found) {
            targets.push_back({path, dir, "Verzeichnis nicht lesbar"});
            continue;
        }
        const std::vector<std::string> names = permanenceFiles(std::move(*found));
        if (names.empty()) notice(err, "keine *.txt-Dateien in " + inQuotes(path));
        for (const std::string& name : names) targets.push_back({childPath(path, name), childPath(dir, name), {}});
    }
    return targets;
}

// The report's one exception barrier: whatever goes wrong with one file becomes
// that file's note, and the others go on.
FileReport replay(const Target& target, bool withChart) {
    FileReport report;
    if (!target.refusal.empty()) {
        report.note = target.refusal;
        return report;
    }
    try {
        return replayPermanence(target.absolute, withChart);
    } catch (const std::exception& e) {
        report.note = std::string("Fehler bei der Auswertung: ") + e.what();
    }
    return report;
}

std::string numberText(unsigned n) {
    char buf[16];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// Named after the file; a name already given in this run gets "-2", "-3", ...
std::string chartFileName(const std::string& shownPath, std::set<std::string>& taken) {
    std::string stem = fs::path(shownPath).stem().native();
    if (stem.empty()) stem = "diagramm";
    std::string name = stem + ".png";
    for (unsigned k = 2; taken.contains(name); ++k) name = stem + "-" + numberText(k) + ".png";
    taken.insert(name);
    return name;
}

bool writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
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

std::vector<std::string> reportColumns() {
    std::vector<std::string> columns{"Datei", "Kopfzeile 1", "Kopfzeile 2", "Kopfzeile 3"};
    for (std::string_view label : kReportLabels) columns.emplace_back(layoutRow(label)->accessibleName);
    columns.emplace_back("Meldung");
    return columns;
}

int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    const bool withCharts = !options.chartDirectory.empty();
    if (withCharts) {
        std::error_code ec;
        fs::create_directories(options.chartDirectory, ec);
        if (!fs::is_directory(options.chartDirectory, ec)) {
            notice(err, "Verzeichnis für die Diagramme nicht anlegbar: " + inQuotes(options.chartDirectory));
            return kUsageError;
        }
    }
    const std::vector<Target> targets = expand(options.paths, err);

    std::string line;
    appendCsvLine(line, reportColumns());
    write(out, line);

    int status = kAllRead;
    std::set<std::string> chartNames;
    auto emit = [&](const Target& target, FileReport& report) {
        if (report.refused()) status = kSomeRefused;
        if (!report.chartPng.empty()) {
            const fs::path file = fs::path(options.chartDirectory) / chartFileName(target.shown, chartNames);
            if (!writeFile(file, report.chartPng)) {
                status = kSomeRefused;
                if (!report.note.empty()) report.note += ' ';
                report.note += "Diagramm nicht geschrieben: " + file.native();
            }
        }
        std::vector<std::string> fields{target.shown};
        fields.insert(fields.end(), report.header.begin(), report.header.end());
        fields.insert(fields.end(), report.values.begin(), report.values.end());
        fields.push_back(std::move(report.note));
        line.clear();
        appendCsvLine(line, fields);
        write(out, line);
        return static_cast<bool>(out);
    };

    const size_t count = targets.size();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min<size_t>(std::min(options.jobs ? options.jobs : cores, kMostJobs), count);
    bool written = true;
    if (threads <= 1) {
        for (size_t i = 0; i < count && written; ++i) {
            FileReport report = replay(targets[i], withCharts);
            written = emit(targets[i], report);
        }
    } else {
        // Each worker replays whole files with a window of its own; the lines go out
        // in the order of the arguments as soon as each one's turn has come.
        std::vector<std::optional<FileReport>> done(count);
        std::mutex mutex;
        std::condition_variable finished;
        std::atomic<size_t> next{0};
        std::vector<std::jthread> workers;
        for (size_t k = 0; k < threads; ++k) {
            workers.emplace_back([&] {
                for (size_t i; (i = next.fetch_add(1)) < count;) {
                    FileReport report = replay(targets[i], withCharts);
                    {
                        const std::lock_guard lock(mutex);
                        done[i] = std::move(report);
                    }
                    finished.notify_one();
                }
            });
        }
        for (size_t i = 0; i < count && written; ++i) {
            FileReport report;
            {
                std::unique_lock lock(mutex);
                finished.wait(lock, [&] { return done[i].has_value(); });
                report = std::move(*done[i]);
                done[i].reset();
            }
            written = emit(targets[i], report);
        }
        next.store(count);  // an output that broke off stops the workers after their file
    }
    out.flush();
    if (!written || !out) {
        notice(err, "die Ausgabe konnte nicht geschrieben werden");
        return kUsageError;
    }
    return status;
}

int reportMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    ReportOptions options;
    bool onlyPaths = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (onlyPaths || a == "-" || !a.starts_with('-')) {
            options.paths.push_back(a);
        } else if (a == "--") {
            onlyPaths = true;
        } else if (a == "--help" || a == "-h") {
            write(out, kHelp);
            return out ? kAllRead : kUsageError;
        } else if (a == "--version") {
            write(out, "kalvor1-report (Kalvor 1) " + std::string(programVersion()) + "\n");
            return out ? kAllRead : kUsageError;
        } else if (a == "--chart" || a.starts_with("--chart=")) {
            std::string dir = a.size() > 7 ? a.substr(8) : (i + 1 < arguments.size() ? arguments[++i] : "");
            if (dir.empty()) return usageError(err, "--chart braucht ein Verzeichnis");
            options.chartDirectory = std::move(dir);
        } else if (a.starts_with("-j")) {
            const std::string value = a.size() > 2 ? a.substr(2) : (i + 1 < arguments.size() ? arguments[++i] : "");
            const auto jobs = jobCount(value);
            if (!jobs) return usageError(err, "-j braucht eine Anzahl ab 1");
            options.jobs = *jobs;
        } else {
            return usageError(err, "unbekannte Option " + inQuotes(a));
        }
    }
    if (options.paths.empty()) return usageError(err, "keine Datei angegeben");
    return runReport(options, out, err);
}

}  // namespace kalvor
