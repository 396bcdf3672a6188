#include "stats/Walk.h"

#include <algorithm>

namespace kalvor {

uint64_t WalkFigures::deviation() const {
    const auto t = static_cast<uint64_t>(0) - static_cast<uint64_t>(low);  // low <= 0
    return std::max(static_cast<uint64_t>(high), t);
}

void WalkFigures::play(ThrowKind kind) {
    ++throws;
    if (!isCounted(kind)) return;
    const int move = moveOf(kind);
    position += move;
    if (move < 0) ++left;
    if (move > 0) ++right;
    if (position < 0) ++areaLeft;
    if (position > 0) ++areaRight;
    if (position == 0) {
        ++touches;
        if (move != 0) ++returns;
    }
    high = std::max(high, position);
    low = std::min(low, position);
}

void ThrowList::push(ThrowKind kind) {
    if (size_ % 32 == 0) bits_.push_back(0);
    bits_.back() |= static_cast<uint64_t>(kind) << (2 * (size_ % 32));
    ++size_;
}

void SeriesWalk::played(ThrowKind kind) {
    figures_.play(kind);
    if (list_) list_->push(kind);
    if (sides_) sides_->play(kind);
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
