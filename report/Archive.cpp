#include "report/Archive.h"

#include <ostream>

#include "app/ChanceTexts.h"
#include "app/FigureTexts.h"
#include "export/Csv.h"
#include "export/HtmlPage.h"
#include "stats/Laws.h"

namespace kalvor {

namespace {

// Which of the laws' columns are probabilities: the page shows these beside the
// report's own, where they can be sorted.
std::vector<size_t> probabilityLaws() {
    std::vector<size_t> which;
    const std::vector<std::string> columns = lawColumns(EvenChance::RedBlack);
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].starts_with("P ")) which.push_back(i);
    return which;
}

// The page's cells of a line: the report's, with the laws' probabilities before the
// note and the chart (empty where a file has none).
std::vector<std::string> withLaws(std::vector<std::string> fields, const std::vector<std::string>& laws) {
    static const std::vector<size_t> which = probabilityLaws();
    std::vector<std::string> cells;
    for (const size_t i : which) cells.push_back(i < laws.size() ? laws[i] : std::string());
    fields.insert(fields.end() - std::min<std::ptrdiff_t>(2, static_cast<std::ptrdiff_t>(fields.size())), cells.begin(),
                  cells.end());
    return fields;
}

std::string lawsLine(std::string_view file, const std::vector<std::string>& laws) {
    std::vector<std::string> fields{std::string(file)};
    fields.insert(fields.end(), laws.begin(), laws.end());
    fields.resize(1 + kLawColumnCount);  // a refused file: empty cells
    std::string line;
    appendCsvLine(line, fields);
    return line;
}

}  // namespace

// The verdict looks at all files as one walk, so the summary and the page need the
// throws; the laws' file needs the tallies, and the line "Gesamt" both.
ArchiveExtras::ArchiveExtras(ArchiveOptions options)
    : options_(std::move(options)),
      keepThrows_(options_.joined || !options_.htmlPath.empty() || !options_.summaryPath.empty()),
      tallies_(!options_.lawsPath.empty() || !options_.htmlPath.empty() || !options_.summaryPath.empty()) {
    if (!options_.htmlPath.empty()) page_ = std::make_unique<HtmlPage>(options_.htmlPath);
}

ArchiveExtras::~ArchiveExtras() = default;

ReplayExtras ArchiveExtras::replayExtras() {
    // The page shows every file's laws too.
    const bool laws = !options_.lawsPath.empty() || !options_.htmlPath.empty();
    return {options_.chance, keepThrows_, tallies_, laws ? &cache_ : nullptr};
}

void ArchiveExtras::start(const OutputGuard& guard) {
    if (options_.lawsPath.empty()) return;
    lawsFile_ = std::make_unique<OutputFile>(options_.lawsPath, guard);
    std::vector<std::string> header{"Datei"};
    for (std::string& column : lawColumns(options_.chance)) header.push_back(std::move(column));
    std::string line;
    appendCsvLine(line, header);
    lawsFile_->write(line);
}

ArchiveVerdict ArchiveExtras::verdict() const { return archiveVerdict(summary_, laws_, joinedSide_); }

std::array<std::string, 5> ArchiveExtras::probabilities(const FileReport& report) const {
    if (report.refused() || !options_.probabilities) return {};
    return probabilityTexts(report.walk);
}

void ArchiveExtras::add(const std::vector<std::string>& fields, FileReport& report) {
    if (!report.refused() && report.walk.steps() > 0) summary_.add(report.walk.steps(), report.walk.deviation());
    if (report.tallies) laws_.add(report.tallies->side, report.tallies->numbers);
    if (page_) {
        PageRow row;
        row.fields = withLaws(fields, report.laws);
        row.standing = report.refused()           ? FileStanding::Refused
                       : report.walk.steps() == 0 ? FileStanding::NoStep
                                                  : FileStanding::Counted;
        row.png = report.chartPng;
        row.throws = &report.throws;
        row.drawn = report.walk.throws;  // the throws played; the chart shows no others
        if (row.standing == FileStanding::Counted)
            row.rank = logAbsMaxAtLeast(report.walk.steps(), report.walk.deviation());
        page_->addRow(row);
    }
    if (keepThrows_) {
        // The position runs on from the file before.
        for (size_t i = 0; i < report.throws.size(); ++i) {
            const ThrowKind kind = report.throws[i];
            joined_.play(kind);
            joinedSide_.play(kind);
            if (moveOf(kind) != 0) trace_.step(joined_.position);
        }
        report.throws = {};
    }
    if (lawsFile_) lawsFile_->write(lawsLine(fields.front(), report.laws));
}

std::vector<std::string> ArchiveExtras::joinedLine() {
    std::vector<std::string> fields{"Gesamt", "", "", ""};
    for (std::string& v : valueTexts(joined_)) fields.push_back(std::move(v));
    const std::array<std::string, 5> p =
        options_.probabilities ? probabilityTexts(joined_) : std::array<std::string, 5>{};
    fields.insert(fields.end(), p.begin(), p.end());
    fields.emplace_back();  // Meldung
    fields.emplace_back();  // Diagramm
    return fields;
}

bool ArchiveExtras::finish(const std::vector<std::string>& columns, const OutputGuard& guard,
                           std::vector<std::string>& errors, std::ostream& out) {
    bool written = true;
    // The laws of all files as one permanence: the line "Gesamt" of the laws' file and
    // of the page.
    std::vector<std::string> joinedLaws;
    if ((lawsFile_ && options_.joined) || page_)
        joinedLaws = lawTexts(fileLaws(joinedSide_, laws_.joinedNumbers(), &cache_));
    if (lawsFile_) {
        if (options_.joined) lawsFile_->write(lawsLine("Gesamt", joinedLaws));
        if (const std::string why = lawsFile_->commit(); !why.empty()) {
            errors.push_back(notWritten("Gesetze", why, options_.lawsPath));
            written = false;
        }
        lawsFile_.reset();
    }
    const ArchiveVerdict judged = options_.summaryPath.empty() && !page_ ? ArchiveVerdict{} : verdict();
    if (!options_.summaryPath.empty()) {
        std::string csv;
        for (const std::vector<std::string>& row : summaryRows(summary_, laws_, judged, options_.chance))
            appendCsvLine(csv, row);
        if (options_.summaryPath == "-") {
            out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
        } else {
            OutputFile file(options_.summaryPath, guard);
            file.write(csv);
            if (const std::string why = file.commit(); !why.empty()) {
                errors.push_back(notWritten("Zusammenfassung", why, options_.summaryPath));
                written = false;
            }
        }
    }
    if (page_) {
        PageOverview overview;
        const std::vector<std::string> captions = withLaws(columns, lawColumns(options_.chance));
        // The file's name, the three header lines, the figures, and last the note and
        // the chart's path.
        const auto kind = [&](size_t i) {
            if (i == 0) return ColumnKind::Name;
            return i <= 3 || i + 2 >= captions.size() ? ColumnKind::Text : ColumnKind::Number;
        };
        for (size_t i = 0; i < captions.size(); ++i) overview.columns.push_back({captions[i], kind(i)});
        overview.rankName = kProbabilityColumns[kDeviationChance];
        overview.left = leftName(options_.chance);
        overview.right = rightName(options_.chance);
        overview.summary = summary_.lines();
        overview.verdict = verdictText(judged, options_.chance);
        overview.notes = readingNotes(summary_.files());
        overview.tests = testRows(judged, options_.chance);
        overview.series = laws_.seriesLines();
        overview.numberCounts = laws_.numberCounts();
        const CountBand band = fairCountBand(laws_.numberThrows(), 0.99);
        overview.bandLow = band.lo;
        overview.bandHigh = band.hi;
        overview.joinedRows = trace_.rows();
        overview.joined = withLaws(joinedLine(), joinedLaws);
        overview.joinedSteps = joined_.steps();
        overview.files = summary_.files();
        if (const std::string why = page_->write(overview, guard); !why.empty()) {
            errors.push_back(notWritten("Seite", why, options_.htmlPath));
            written = false;
        }
    }
    return written;
}

}  // namespace kalvor
