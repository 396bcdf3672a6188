#pragma once
// A series' throws as the walk of its two even-chance sides, counted in 64 bits
// from the throws the engine plays: the same figures as the window's labels, but
// not bound by their 16-bit counters, so that an archive's joined walk fits too.
//
// Positions: S_0 = 0; a step of red's side -1 (the window's position moves left),
// of black's side +1. The window shows position spalte as spalte/2 - 50 and moves
// it by 2 a step, so one step is one unit of every deviation it shows.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/ThrowKind.h"
#include "stats/Tally.h"

namespace kalvor {

struct WalkFigures {
    uint64_t throws = 0;     // "Anzahl akut": every throw, zeros included
    uint64_t left = 0;       // "Rot" (or Pair, Manque)
    uint64_t right = 0;      // "Schwarz" (or Impair, Passe)
    uint64_t areaLeft = 0;   // "Fläche Rot": counted throws after which the position is left of the line
    uint64_t areaRight = 0;  // "Fläche Schwarz"
    uint64_t touches = 0;    // "0-Linie berührt": counted throws after which it is on the line
    uint64_t returns = 0;    // N_m: steps after which it is on the line (touches without the no-side throws)
    int64_t position = 0;    // "Akut bei", S_m
    int64_t high = 0;        // ">+ Abweichung", max S_k
    int64_t low = 0;         // -">- Abweichung", min S_k

    uint64_t steps() const { return left + right; }
    // The largest deviation to either side, max(h, t).
    uint64_t deviation() const;
    // One throw, by the rule of core/ThrowKind.
    void play(ThrowKind kind);
};

// The throws of a series, two bits each, for replaying them once more in another order.
class ThrowList {
public:
    void push(ThrowKind kind);
    std::size_t size() const { return size_; }
    ThrowKind operator[](std::size_t i) const { return static_cast<ThrowKind>((bits_[i / 32] >> (2 * (i % 32))) & 3); }

private:
    std::vector<uint64_t> bits_;
    std::size_t size_ = 0;
};

// The walk of the series in the window, fed by its engine; when a list or a tally
// is given, every throw played also goes there.
class SeriesWalk final : public ThrowObserver {
public:
    void played(ThrowKind kind) override;
    void cleared() override {
        figures_ = {};
        if (sides_) *sides_ = {};
    }

    const WalkFigures& figures() const { return figures_; }
    void record(ThrowList* list) { list_ = list; }
    void tally(SideTally* sides) { sides_ = sides; }

private:
    WalkFigures figures_;
    ThrowList* list_ = nullptr;
    SideTally* sides_ = nullptr;
};

// The range of a long walk per row of a chart: the minimum and maximum of S_k over
// blocks of consecutive steps, the blocks doubling whenever they grow too many, so
// that a walk of any length takes a bounded store.
class WalkTrace {
public:
    explicit WalkTrace(std::size_t rows = 400) : rows_(rows) {}
    void step(int64_t position);
    struct Row {
        uint64_t lastStep;  // k of the row's last step
        int64_t low, high;
    };
    // At most `rows` rows covering every step so far.
    std::vector<Row> rows() const;
    uint64_t steps() const { return steps_; }

private:
    std::size_t rows_;
    uint64_t block_ = 1;  // steps a row holds
    uint64_t steps_ = 0;
    std::vector<Row> blocks_;
};

}  // namespace kalvor
