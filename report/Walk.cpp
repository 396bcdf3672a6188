#include "report/Walk.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/SeriesState.h"
#include "report/FairWalk.h"

namespace kalvor {
namespace {

template <typename Integer>
std::string integerText(Integer n) {
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

uint64_t magnitude(int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); }

}  // namespace

ThrowKind throwKind(int32_t number, const std::array<int16_t, 38>& sides) {
    if (number == 0) return ThrowKind::Zero;
    if (number < 0 || number > 37) return ThrowKind::NoSide;
    switch (sides[static_cast<size_t>(number)]) {
        case kRed: return ThrowKind::Left;
        case kBlack: return ThrowKind::Right;
        default: return ThrowKind::NoSide;
    }
}

// The window's rules: a zero moves and counts nothing; any other throw is counted
// on the side of the line where the position is after it, even one without a side.
void WalkFigures::play(ThrowKind kind) {
    ++throws;
    if (kind == ThrowKind::Zero) return;
    if (kind == ThrowKind::Left) {
        ++left;
        --position;
    } else if (kind == ThrowKind::Right) {
        ++right;
        ++position;
    }
    if (position < 0) ++areaLeft;
    if (position > 0) ++areaRight;
    if (position == 0) {
        ++touches;
        if (kind != ThrowKind::NoSide) ++returns;
    }
    high = std::max(high, position);
    low = std::min(low, position);
}

std::array<std::string, 9> valueTexts(const WalkFigures& w) {
    return {integerText(w.throws),    integerText(w.left),      integerText(w.right),
            integerText(w.areaLeft),  integerText(w.areaRight), integerText(magnitude(w.low)),
            integerText(w.high),      integerText(w.touches),   integerText(w.position)};
}

std::array<std::string, 5> probabilityTexts(const WalkFigures& w) {
    const uint64_t m = w.steps();
    if (m == 0) return {};
    const uint64_t h = magnitude(w.high), t = magnitude(w.low);
    return {probabilityText(logMaxAtLeast(m, h)), probabilityText(logMaxAtLeast(m, t)),
            probabilityText(logAbsMaxAtLeast(m, std::max(h, t))), probabilityText(logReturnsAtMost(m, w.returns)),
            probabilityText(logAbsEndAtLeast(m, magnitude(w.position)))};
}

void ThrowList::push(ThrowKind kind) {
    if (size_ % 32 == 0) bits_.push_back(0);
    bits_.back() |= static_cast<uint64_t>(kind) << (2 * (size_ % 32));
    ++size_;
}

WalkFigures playedWalk(const SeriesState& state, ThrowList* all) {
    WalkFigures walk;
    if (!state.permPresent || state.perm.size() <= kPermMargin) return walk;
    const size_t numbers = state.perm.size() - kPermMargin - 1;  // index 0 is unused
    const auto played = static_cast<size_t>(std::clamp(state.akut, 0.0, static_cast<double>(numbers)));
    for (size_t i = 1; i <= (all ? numbers : played); ++i) {
        const ThrowKind kind = throwKind(state.perm[i], state.farbe);
        if (i <= played) walk.play(kind);
        if (all) all->push(kind);
    }
    return walk;
}

void WalkTrace::step(int64_t position) {
    const uint64_t k = ++steps_;
    if ((k - 1) / block_ == blocks_.size() && blocks_.size() == 2 * rows_) {
        for (size_t i = 0; i < rows_; ++i) {
            const Row& a = blocks_[2 * i];
            const Row& b = blocks_[2 * i + 1];
            blocks_[i] = {b.lastStep, std::min(a.low, b.low), std::max(a.high, b.high)};
        }
        blocks_.resize(rows_);
        block_ *= 2;
    }
    if ((k - 1) / block_ == blocks_.size()) {
        blocks_.push_back({k, position, position});
        return;
    }
    Row& row = blocks_.back();
    row = {k, std::min(row.low, position), std::max(row.high, position)};
}

std::vector<WalkTrace::Row> WalkTrace::rows() const {
    const size_t group = (blocks_.size() + rows_ - 1) / std::max<size_t>(rows_, 1);
    if (group <= 1) return blocks_;
    std::vector<Row> merged;
    for (size_t i = 0; i < blocks_.size(); i += group) {
        Row row = blocks_[i];
        for (size_t j = i + 1; j < std::min(i + group, blocks_.size()); ++j)
            row = {blocks_[j].lastStep, std::min(row.low, blocks_[j].low), std::max(row.high, blocks_[j].high)};
        merged.push_back(row);
    }
    return merged;
}

}  // namespace kalvor
