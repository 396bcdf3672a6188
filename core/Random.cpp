#include "core/Random.h"

#include <chrono>

namespace kalvor {
namespace {

uint64_t mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t steadyNanos() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());
}

}  // namespace

ClockRandom::ClockRandom() : ClockRandom(Clock(steadyNanos)) {}

ClockRandom::ClockRandom(Clock clock) : clock_(std::move(clock)) {}

void ClockRandom::seedFromClock() { state_ = mix64(state_ ^ mix64(clock_())); }

float ClockRandom::next() {
    state_ += 0x9E3779B97F4A7C15ull;
    const uint64_t bits = mix64(state_) >> 40;  // 24 bits
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
}

}  // namespace kalvor
