#include "stats/Tally.h"

#include <algorithm>
#include <bit>

namespace kalvor {

void SideTally::play(ThrowKind kind) {
    const int move = moveOf(kind);
    if (move == 0) return;
    // Without branches where the sides alternate at random: a branch on them would be
    // mispredicted at every second step.
    const bool right = move > 0;
    const int64_t before = position_;
    position_ += move;
    right_ += right;
    left_ += !right;
    time_ += before + position_ > 0;
    ++steps_;
    if (steps_ % 2 == 0) timeAtEven_ = time_;
    returns_ += position_ == 0;
    // A new series ends the one before (at the first step, none: its length 0 is not kept).
    const bool change = right != lastRight_ || steps_ == 1;
    if (run_ >= shortSeries_.size() && change) ++longSeries_[run_];
    else shortSeries_[change ? run_ : 0] += change;
    run_ = change ? 1 : run_ + 1;
    series_ += change;
    alternation_ = change ? alternation_ + 1 : 1;
    longestRight_ = std::max(longestRight_, right ? run_ : 0);
    longestLeft_ = std::max(longestLeft_, right ? 0 : run_);
    longestAlternation_ = std::max(longestAlternation_, alternation_);
    lastRight_ = right;
}

std::map<uint64_t, uint64_t> SideTally::seriesLengths() const {
    std::map<uint64_t, uint64_t> lengths = longSeries_;
    for (uint64_t k = 1; k < shortSeries_.size(); ++k)
        if (shortSeries_[k] != 0) lengths[k] += shortSeries_[k];
    if (run_ > 0) ++lengths[run_];
    return lengths;
}

void NumberTally::add(int32_t number) {
    if (number < 0 || number > 36) return;
    const auto x = static_cast<unsigned>(number);
    const uint64_t at = ++throws_;
    if (last_[x] == 0) first_[x] = at;
    else gap_[x] = std::max(gap_[x], at - last_[x] - 1);
    last_[x] = at;
    ++counts_[x];
    if (openingThrows_ < opening_.size()) opening_[openingThrows_++] = static_cast<uint8_t>(x);
    block_ |= uint64_t{1} << x;
    if (++blockThrows_ == 37) {
        ++blocks_[static_cast<size_t>(std::popcount(block_))];
        block_ = 0;
        blockThrows_ = 0;
    }
}

void NumberTally::append(const NumberTally& next) {
    for (size_t x = 0; x < counts_.size(); ++x) {
        if (next.last_[x] == 0) continue;
        if (last_[x] == 0) first_[x] = throws_ + next.first_[x];
        else gap_[x] = std::max(gap_[x], throws_ + next.first_[x] - last_[x] - 1);
        gap_[x] = std::max(gap_[x], next.gap_[x]);
        last_[x] = throws_ + next.last_[x];
        counts_[x] += next.counts_[x];
    }
    throws_ += next.throws_;
    for (unsigned i = 0; i < next.openingThrows_ && openingThrows_ < opening_.size(); ++i)
        opening_[openingThrows_++] = next.opening_[i];
    for (size_t d = 0; d < blocks_.size(); ++d) blocks_[d] += next.blocks_[d];
}

uint64_t NumberTally::longestAbsence(unsigned number) const {
    if (last_[number] == 0) return throws_;
    return std::max({gap_[number], first_[number] - 1, throws_ - last_[number]});
}

std::optional<unsigned> NumberTally::differentInFirst37() const {
    if (openingThrows_ < opening_.size()) return std::nullopt;
    uint64_t seen = 0;
    for (uint8_t x : opening_) seen |= uint64_t{1} << x;
    return static_cast<unsigned>(std::popcount(seen));
}

}  // namespace kalvor
