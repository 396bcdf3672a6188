#pragma once
// A permanence's throws as the walk of its two even-chance sides, counted as the
// window counts them but in 64 bits: the archive's joined walk is not bound by the
// window's 16-bit counters.
//
// Positions: S_0 = 0; a red-side step -1 (the window's position moves left), a
// black-side step +1. The window shows position spalte as spalte/2 - 50 and moves
// it by 2 a step, so one step is one unit of every deviation it shows.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvor {

// What a throw is for the walk.
enum class ThrowKind : uint8_t { Zero = 0, NoSide = 1, Left = 2, Right = 3 };

// The kind of an imported number under a colour table of 38 entries (the wheel's,
// or an even-chance split): 0 is Zero; 37 and numbers off the wheel are NoSide.
ThrowKind throwKind(int32_t number, const std::array<int16_t, 38>& sides);

struct WalkFigures {
    uint64_t throws = 0;     // "Anzahl akut": every throw, zeros included
    uint64_t left = 0;       // "Rot" (or Pair, Manque)
    uint64_t right = 0;      // "Schwarz" (or Impair, Passe)
    uint64_t areaLeft = 0;   // "Fläche Rot": non-zero throws after which the position is left of the line
    uint64_t areaRight = 0;  // "Fläche Schwarz"
    uint64_t touches = 0;    // "0-Linie berührt": non-zero throws after which it is on the line
    uint64_t returns = 0;    // N_m: steps after which it is on the line (touches without the no-side throws)
    int64_t position = 0;    // "Akut bei", S_m
    int64_t high = 0;        // ">+ Abweichung", max S_k
    int64_t low = 0;         // -">- Abweichung", min S_k

    uint64_t steps() const { return left + right; }
    void play(ThrowKind kind);
};

// The nine values in the window's order, as the window writes whole numbers.
std::array<std::string, 9> valueTexts(const WalkFigures& walk);

// The five probabilities of the walk under a fair wheel, in column order:
// P(max S >= h), P(max -S >= t), P(max |S| >= max(h,t)), P(N_m <= r), P(|S_m| >= |e|).
// All empty for a walk without steps.
std::array<std::string, 5> probabilityTexts(const WalkFigures& walk);

// The throws of a file, two bits each, for replaying them once more in another order.
class ThrowList {
public:
    void push(ThrowKind kind);
    size_t size() const { return size_; }
    ThrowKind operator[](size_t i) const { return static_cast<ThrowKind>((bits_[i / 32] >> (2 * (i % 32))) & 3); }

private:
    std::vector<uint64_t> bits_;
    size_t size_ = 0;
};

struct SeriesState;

// The walk of the throws a finished run played (state.akut of them) under the
// state's colour table; all, when given, receives every throw of the imported list,
// played or not.
WalkFigures playedWalk(const SeriesState& state, ThrowList* all);

// The range of a long walk per row of a chart: the minimum and maximum of S_k over
// blocks of consecutive steps, the blocks doubling whenever they grow too many, so
// that a walk of any length takes a bounded store.
class WalkTrace {
public:
    explicit WalkTrace(size_t rows = 400) : rows_(rows) {}
    void step(int64_t position);
    struct Row {
        uint64_t lastStep;  // k of the row's last step
        int64_t low, high;
    };
    // At most `rows` rows covering every step so far.
    std::vector<Row> rows() const;
    uint64_t steps() const { return steps_; }

private:
    size_t rows_;
    uint64_t block_ = 1;  // steps a row holds
    uint64_t steps_ = 0;
    std::vector<Row> blocks_;
};

}  // namespace kalvor
