#pragma once
// What the laws count in a permanence, throw by throw, in a store that does not grow
// with the throws: the series, intermittences and time on one side of the even
// chance's steps, and the counts, absences and blocks of 37 of the numbers 0-36.

#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "core/ThrowKind.h"

namespace kalvor {

// The steps of the even chance in use. A zero, a 37 or a number off the wheel is no
// step: it neither ends nor extends a series.
class SideTally {
public:
    void play(ThrowKind kind);

    uint64_t steps() const { return steps_; }
    uint64_t left() const { return left_; }
    uint64_t right() const { return right_; }
    int64_t position() const { return position_; }  // S_m, right's side positive
    uint64_t returns() const { return returns_; }   // steps after which S_k = 0
    uint64_t series() const { return series_; }     // maximal series of one side
    uint64_t longestLeft() const { return longestLeft_; }
    uint64_t longestRight() const { return longestRight_; }
    // The most steps in a row each on the other side than the one before (one step: 1).
    uint64_t longestAlternation() const { return longestAlternation_; }
    // Of the first 2 floor(m/2) steps, those whose edge from S_{k-1} to S_k lies on
    // right's side of the line.
    uint64_t timeRight() const { return timeAtEven_; }
    // The series by their length, the one still running included.
    std::map<uint64_t, uint64_t> seriesLengths() const;

private:
    uint64_t steps_ = 0, left_ = 0, right_ = 0, returns_ = 0, series_ = 0;
    uint64_t longestLeft_ = 0, longestRight_ = 0, longestAlternation_ = 0;
    uint64_t run_ = 0, alternation_ = 0, time_ = 0, timeAtEven_ = 0;
    int64_t position_ = 0;
    bool lastRight_ = false;
    // Ended series by length: the short ones, which are nearly all, in an array.
    std::array<uint64_t, 64> shortSeries_{};
    std::map<uint64_t, uint64_t> longSeries_;
};

// The throws 0-36; every other number is no throw of the number laws.
class NumberTally {
public:
    void add(int32_t number);
    // The throws of `next` after these ones, as one permanence: counts, absences and
    // the first 37 throws run on; blocks of 37 are counted within each part.
    void append(const NumberTally& next);

    uint64_t throws() const { return throws_; }
    const std::array<uint64_t, 37>& counts() const { return counts_; }
    // The most throws in a row without `number`, from the start or to the end included.
    uint64_t longestAbsence(unsigned number) const;
    // Different numbers among the first 37 throws; nothing with fewer throws.
    std::optional<unsigned> differentInFirst37() const;
    // The complete blocks of 37 throws from the start, by their different numbers.
    const std::array<uint64_t, 38>& blocks() const { return blocks_; }

private:
    uint64_t throws_ = 0;
    std::array<uint64_t, 37> counts_{};
    std::array<uint64_t, 37> first_{}, last_{};  // throw numbers from 1; 0: not yet
    std::array<uint64_t, 37> gap_{};             // longest between two of its throws
    std::array<uint8_t, 37> opening_{};          // the first 37 throws
    unsigned openingThrows_ = 0;
    uint64_t block_ = 0;
    unsigned blockThrows_ = 0;
    std::array<uint64_t, 38> blocks_{};
};

}  // namespace kalvor
