#pragma once
// Synthetic archives of red and black, counted as the report counts them: each file's
// walk for the deviations, its tallies for the laws, all files as one walk. A fair
// wheel, and three that are not: 18.5 red of every 36 coloured numbers, a colour that
// repeats the one before with chance 0.53, one number that comes with chance 1.5/37.

#include <array>
#include <cstdint>
#include <vector>

#include "core/SeriesState.h"
#include "core/ThrowKind.h"
#include "stats/ArchiveLaws.h"
#include "stats/ArchiveSummary.h"
#include "stats/Tally.h"
#include "stats/Walk.h"

namespace kalvor::testing {

enum class Wheel { Fair, RedHeavy, Repeating, HotNumber };

// splitmix64: fast, and the same sequence on every machine.
class Draws {
public:
    explicit Draws(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }
    unsigned below(unsigned n) { return static_cast<unsigned>(uniform() * n); }

private:
    uint64_t state_;
};

struct SimulatedArchive {
    ArchiveSummary deviations;
    ArchiveLaws laws;
    SideTally joined;
    ArchiveVerdict verdict() const { return archiveVerdict(deviations, laws, joined); }
};

class WheelModel {
public:
    explicit WheelModel(Wheel wheel) : wheel_(wheel), colours_(wheelColours()) {
        for (int32_t x = 1; x <= 36; ++x) (colours_[static_cast<size_t>(x)] == kRed ? red_ : black_).push_back(x);
    }
    void newFile() { last_ = 0; }
    int32_t spin(Draws& d) {
        const double u = d.uniform();
        switch (wheel_) {
        case Wheel::Fair: return static_cast<int32_t>(u * 37);
        case Wheel::RedHeavy:
            if (u < 1.0 / 37) return 0;
            return u < 19.5 / 37 ? red_[d.below(18)] : black_[d.below(18)];
        case Wheel::Repeating: {
            if (u < 1.0 / 37) return 0;
            const bool red = last_ == 0 ? d.uniform() < 0.5 : (d.uniform() < 0.53) == (last_ == kRed);
            last_ = red ? kRed : kBlack;
            return red ? red_[d.below(18)] : black_[d.below(18)];
        }
        case Wheel::HotNumber:
            if (u < 1.5 / 37) return 17;
            if (const auto k = static_cast<int32_t>(d.below(36)); k < 17) return k;
            else return k + 1;
        }
        return 0;
    }
    const std::array<int16_t, 38>& colours() const { return colours_; }

private:
    Wheel wheel_;
    std::array<int16_t, 38> colours_;
    std::vector<int32_t> red_, black_;
    int16_t last_ = 0;
};

inline SimulatedArchive simulateArchive(Wheel wheel, int files, int throws, uint64_t seed) {
    SimulatedArchive archive;
    Draws draws(seed);
    WheelModel model(wheel);
    for (int f = 0; f < files; ++f) {
        model.newFile();
        WalkFigures walk;
        SideTally side;
        NumberTally numbers;
        for (int t = 0; t < throws; ++t) {
            const int32_t x = model.spin(draws);
            const ThrowKind kind = throwKind(x, model.colours());
            walk.play(kind);
            side.play(kind);
            archive.joined.play(kind);
            numbers.add(x);
        }
        archive.deviations.add(walk.steps(), walk.deviation());
        archive.laws.add(side, numbers);
    }
    return archive;
}

}  // namespace kalvor::testing
