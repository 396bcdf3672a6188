#include "report/Replay.h"

#include <malloc.h>

#include <mutex>

#include <limits>

#include "app/FigureTexts.h"
#include "app/Window.h"
#include "core/Random.h"
#include "core/TextEncoding.h"
#include "core/ThrowEngine.h"
#include "export/Png.h"

namespace kalvor {
namespace {

using Outcome = PermanenceRead::Outcome;

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void appendNote(std::string& note, std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return;
    if (!note.empty()) note += ' ';
    note += text;
}

// Why the import refused a file; its message box would say the same in a sentence.
std::string_view reason(const std::optional<ImportResult>& result) {
    return refusalText(result ? result->refusal : Refusal::ReadError);
}

// A chart's raster is 325 kB, above malloc's threshold for mapping blocks of their
// own: every file would map fresh pages, fault them in and unmap them again, which
// costs more than drawing and packing the chart. Kept in the heap, the raster of
// one file reuses the pages of the one before. The same holds for the reader's
// buffer once the laws' small figures of every file lie beside it: without a
// threshold the heap's top would be given back and taken again for every file.
void keepBuffersInTheHeap() {
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 4 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    });
}

// A header field decoded as the window decodes it (UTF-8, or Windows-1252 when it
// is not UTF-8) but not cut for the window: the whole field up to the reader's
// limit, with "…" after it when the field went on.
std::string headerText(const Field& field) {
    return decodeLine(field.text, std::numeric_limits<std::size_t>::max(), field.cut);
}

// The numbers of the imported list, index 0 unused: the margin beyond them is no throw.
size_t listNumbers(const SeriesState& state) {
    if (!state.permPresent || state.perm.size() <= kPermMargin) return 0;
    return state.perm.size() - kPermMargin - 1;
}

// The throws of the list that the run did not reach (a counter of the window met
// its limit) go on to the joined walk all the same.
void recordUnplayed(const SeriesState& state, ThrowList& all) {
    for (size_t i = all.size() + 1; i <= listNumbers(state); ++i) all.push(throwKind(state.perm[i], state.farbe));
}

// The numbers the run played, and the file's laws over them as the file's line gives
// its other figures; then the numbers it did not reach, as the joined walk takes them.
void finishTallies(const SeriesState& state, const ReplayExtras& extras, FileReport& report, FileReport::Tallies& t) {
    const size_t played = static_cast<size_t>(report.walk.throws);
    for (size_t i = 1; i <= played; ++i) t.numbers.add(state.perm[i]);
    if (extras.laws) report.laws = lawTexts(fileLaws(t.side, t.numbers, extras.laws));
    for (size_t i = played + 1; i <= listNumbers(state); ++i) {
        t.side.play(throwKind(state.perm[i], state.farbe));
        t.numbers.add(state.perm[i]);
    }
    report.tallies = std::move(t);
}

}  // namespace

Answer HeadlessPlatform::askYesNo(const std::string&, const std::string&) { return Answer::No; }
Answer HeadlessPlatform::askYesNoCancel(const std::string&, const std::string&) { return Answer::Cancel; }
void HeadlessPlatform::inform(const std::string& message, const std::string&) { messages.push_back(message); }

FileReport replayPermanence(const std::string& path, bool withChart, const ReplayExtras& extras, ListBudget* budget) {
    if (withChart || extras.tallies) keepBuffersInTheHeap();
    HeadlessPlatform platform;
    ClockRandom random;  // a replay draws no number, but the window seeds its generator at load
    ReplayDisk disk;
    NoPrinter printer;
    // Without a picture to write, the chart is not drawn: it shows in no value.
    Window window({platform, random, disk, printer}, withChart ? ChartRaster::Kept : ChartRaster::Discarded);
    if (budget) window.panel().shareListMemory(*budget);
    Controls& c = window.controls();

    FileReport report;
    // The panel reads at once: it has no runner of its own.
    const std::optional<ImportResult> result = window.panel().importFile(path);
    report.input = disk.opened();
    report.outcome = result ? result->outcome : Outcome::Unreadable;
    if (report.refused()) {
        report.note = reason(result);
        return report;
    }
    const std::string imported = c.text.text;
    for (size_t k = 0; k < report.header.size(); ++k) report.header[k] = headerText(window.panel().header()[k]);
    window.setEvenChance(extras.chance);
    FileReport::Tallies tallies;
    if (extras.keepThrows) window.form().walk().record(&report.throws);
    if (extras.tallies) window.form().walk().tally(&tallies.side);

    c.Option1.select(Mode::Durchlauf);
    c.okstart.click();

    for (size_t i = 0; i < kValueLabels.size(); ++i) report.values[i] = c.label(kValueLabels[i])->text;
    std::string_view added = c.text.text;
    if (added.starts_with(imported)) added.remove_prefix(imported.size());
    while (!added.empty()) {
        const size_t end = added.find('\r');
        const std::string_view line = added.substr(0, end);
        if (line != kEndLine) appendNote(report.note, line);
        if (end == std::string_view::npos) break;
        added.remove_prefix(end + 1);
    }
    for (const std::string& m : platform.messages) appendNote(report.note, m);
    report.walk = window.form().figures();
    window.form().walk().record(nullptr);
    window.form().walk().tally(nullptr);
    if (extras.keepThrows) recordUnplayed(window.state(), report.throws);
    if (extras.tallies) finishTallies(window.state(), extras, report, tallies);
    if (withChart) report.chartPng = encodePng(c.blatt.pixels(), TendencyChart::kWidth, TendencyChart::kHeight);
    // The list goes before the panel gives its memory back to the budget.
    std::vector<int32_t>().swap(window.state().perm);
    return report;
}

}  // namespace kalvor
