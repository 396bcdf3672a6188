#pragma once
// The random source of the throw engine. A port, so tests can inject numbers.

#include <cstdint>
#include <functional>

namespace kalvor {

class RandomPort {
public:
    virtual ~RandomPort() = default;
    // Stirs the clock into the generator; called before every draw.
    virtual void seedFromClock() = 0;
    // A uniform value u with 0 <= u < 1 in steps of 2^-24.
    virtual float next() = 0;
};

// The program's generator: a 64-bit mixing generator. Seeding mixes the clock into
// the state instead of replacing it, so draws within one clock tick still differ.
class ClockRandom final : public RandomPort {
public:
    using Clock = std::function<uint64_t()>;  // nanoseconds, any epoch
    ClockRandom();
    explicit ClockRandom(Clock clock);

    void seedFromClock() override;
    float next() override;

private:
    Clock clock_;
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace kalvor
