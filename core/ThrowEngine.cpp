#include "core/ThrowEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "core/NumberText.h"

namespace kalvor {
namespace {

constexpr int16_t kMax16 = 32767;

struct Throw {
    int16_t zahl = 0;
    double shown = 0;  // the number as lzahl shows it
    ThrowKind kind = ThrowKind::Zero;
};

void finishSeries(Controls& c, std::string_view extraLine = {}) {
    if (!extraLine.empty()) {
        c.text.text += '\r';
        c.text.text += extraLine;
    }
    c.text.text += '\r';
    c.text.text += kEndLine;
    c.okstart.caption = "Start";
    c.okstart.enabled = false;
}

// The number of throw `index`, or nothing when the imported list has no such element.
std::optional<Throw> nextThrow(const SeriesState& s, RandomPort& random, double index) {
    Throw t;
    if (s.extern_ == 0) {
        random.seedFromClock();
        const float u = random.next();
        t.zahl = static_cast<int16_t>(std::floor(static_cast<double>(u) * 37.0));
        t.shown = t.zahl;
        t.kind = throwKind(t.zahl, s.farbe);
        return t;
    }
    // The margin beyond the last number holds no throw of the permanence: playing it
    // as zeros would show throws that were never made.
    if (!s.permPresent || index + static_cast<double>(kPermMargin) >= static_cast<double>(s.perm.size()))
        return std::nullopt;
    // Rounded by the import already.
    const int32_t number = s.perm[static_cast<size_t>(index)];
    t.shown = number;
    // Not a number of the wheel: a throw without a side, as an imported 37 is.
    t.zahl = static_cast<int16_t>(std::clamp(number, -32768, 32767));
    t.kind = throwKind(number, s.farbe);
    return t;
}

// The result labels' new values, written once when the click's run ends. Nothing
// can show the labels before control returns to the window, and a run of
// thousands of throws would otherwise format every label on every throw.
class PendingResults {
public:
    void show(ResultLabel which, double value) { values_[which] = value; }
    // The red or black count: the label's own text, read at the run's first throw
    // of that colour.
    void countOne(Controls& c, ResultLabel which) {
        if (!values_[which]) values_[which] = numericValue(c.result(which).text);
        *values_[which] += 1;
    }
    void writeTo(Controls& c) const {
        for (size_t i = 0; i < kResultLabelCount; ++i)
            if (values_[i]) writeNumber(c.result(static_cast<ResultLabel>(i)).text, *values_[i]);
    }

private:
    std::array<std::optional<double>, kResultLabelCount> values_;
};

// Throws until the series is complete or the selected mode pauses it.
void throwUntilPause(SeriesState& s, Controls& c, RandomPort& random, PendingResults& r, ThrowObserver* observer) {
    std::optional<int> punktfarbe;
    for (;;) {
        if (s.akut >= s.anzahl) {
            finishSeries(c);
            return;
        }
        // The number is fetched before anything moves, so that a throw the list
        // cannot supply or the counters cannot hold is not made at all.
        const double akut = s.akut + 1;
        const std::optional<Throw> t = nextThrow(s, random, akut);
        if (!t) {
            finishSeries(c, kListEndLine);
            return;
        }
        const int spalte = s.spalte + 2 * moveOf(t->kind);
        if (isCounted(t->kind)) {
            const bool limit = spalte < -32768 || spalte > kMax16 || (spalte < kZeroLine && s.zrot == kMax16) ||
                               (spalte > kZeroLine && s.zschwarz == kMax16) ||
                               (spalte == kZeroLine && s.beruehrung == kMax16);
            if (limit) {
                finishSeries(c, kLimitLine);
                return;
            }
        }

        s.akut = akut;
        s.zeile += 2;
        if (s.zeile > 400) {
            s.zeile = 2;
            s.durchgang += 1;
        }
        if (s.durchgang == 1) punktfarbe = 0;
        else if (s.durchgang == 2) punktfarbe = 9;
        else if (s.durchgang == 3) punktfarbe = 3;
        r.show(kAkut, s.akut);
        s.zahl = t->zahl;
        r.show(kZahl, t->shown);

        if (isCounted(t->kind)) {
            if (moveOf(t->kind) != 0) {
                r.countOne(c, t->kind == ThrowKind::Left ? kRot : kSchwarz);
                s.spalte = static_cast<int16_t>(spalte);
                c.blatt.setPoint(s.spalte, static_cast<float>(s.zeile), punktfarbe.value_or(0));
            }
            if (s.spalte < kZeroLine) ++s.zrot;
            if (s.spalte > kZeroLine) ++s.zschwarz;
            if (s.spalte > s.hoch) s.hoch = s.spalte;
            if (s.spalte < s.tief) s.tief = s.spalte;
            r.show(kFlaecheRot, s.zrot);
            r.show(kFlaecheSchwarz, s.zschwarz);
            r.show(kTief, std::abs(s.tief / 2.0 - 50));
            r.show(kHoch, s.hoch / 2.0 - 50);
            if (s.spalte == kZeroLine) {
                ++s.beruehrung;
                r.show(kTouch, s.beruehrung);
            }
            r.show(kEnde, s.spalte / 2.0 - 50);
        }
        if (observer) observer->played(t->kind);

        if (c.Option1.isSelected(Mode::Durchlauf)) continue;
        if (!c.Option1.isSelected(Mode::HaltBeiWurf)) return;
        if (s.akut >= s.haltwurf) {
            c.Option1.select(Mode::Durchlauf);
            return;
        }
    }
}

}  // namespace

void runThrows(SeriesState& s, Controls& c, RandomPort& random, ThrowObserver* observer) {
    c.blatt.drawGrid();
    c.okdruck.enabled = true;
    c.okabbrechen.enabled = true;
    c.okextern.enabled = false;
    c.okstart.caption = "Weiter";
    if (s.extern_ == 0) c.text.text = kComputerPrompt;
    PendingResults results;
    throwUntilPause(s, c, random, results, observer);
    results.writeTo(c);
}

}  // namespace kalvor
