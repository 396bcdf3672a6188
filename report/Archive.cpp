#include "report/Archive.h"

#include <ostream>

#include "app/ChanceTexts.h"
#include "app/FigureTexts.h"
#include "export/Csv.h"
#include "export/HtmlPage.h"

namespace kalvor {

ArchiveExtras::ArchiveExtras(ArchiveOptions options)
    : options_(std::move(options)), keepThrows_(options_.joined || !options_.htmlPath.empty()) {
    if (!options_.htmlPath.empty()) page_ = std::make_unique<HtmlPage>(options_.htmlPath);
}

ArchiveExtras::~ArchiveExtras() = default;

ReplayExtras ArchiveExtras::replayExtras() const { return {options_.chance, keepThrows_}; }

std::array<std::string, 5> ArchiveExtras::probabilities(const FileReport& report) const {
    if (report.refused() || !options_.probabilities) return {};
    return probabilityTexts(report.walk);
}

void ArchiveExtras::add(const std::vector<std::string>& fields, FileReport& report) {
    if (!report.refused() && report.walk.steps() > 0) summary_.add(report.walk.steps(), report.walk.deviation());
    if (page_) {
        PageRow row;
        row.fields = fields;
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
            if (moveOf(kind) != 0) trace_.step(joined_.position);
        }
        report.throws = {};
    }
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
    if (!options_.summaryPath.empty()) {
        std::string csv;
        for (const std::vector<std::string>& row : summaryRows(summary_)) appendCsvLine(csv, row);
        if (options_.summaryPath == "-") {
            out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
        } else {
            OutputFile file(options_.summaryPath, guard);
            file.write(csv);
            if (const std::string why = file.commit(); !why.empty()) {
                errors.push_back("Zusammenfassung nicht geschrieben (" + why + "): " + options_.summaryPath);
                written = false;
            }
        }
    }
    if (page_) {
        PageOverview overview;
        // The file's name, the three header lines, the figures, and last the note and
        // the chart's path.
        const auto kind = [&](size_t i) {
            if (i == 0) return ColumnKind::Name;
            return i <= 3 || i + 2 >= columns.size() ? ColumnKind::Text : ColumnKind::Number;
        };
        for (size_t i = 0; i < columns.size(); ++i) overview.columns.push_back({columns[i], kind(i)});
        overview.rankName = kProbabilityColumns[kDeviationChance];
        overview.left = leftName(options_.chance);
        overview.right = rightName(options_.chance);
        overview.summary = summary_.lines();
        overview.verdict = verdictText(summary_);
        overview.joinedRows = trace_.rows();
        overview.joined = joinedLine();
        overview.joinedSteps = joined_.steps();
        overview.files = summary_.files();
        if (const std::string why = page_->write(overview, guard); !why.empty()) {
            errors.push_back("Seite nicht geschrieben (" + why + "): " + options_.htmlPath);
            written = false;
        }
    }
    return written;
}

}  // namespace kalvor
