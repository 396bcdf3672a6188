#pragma once
// What a throw is for the tendency, and what it does to it: the one rule that the
// window's counters and every figure counted from the played throws follow.

#include <array>
#include <cstdint>

namespace kalvor {

// Left: the side that plays red's part (red, or the even chance's first side);
// Right: black's. NoSide: 37, or an imported number off the wheel.
enum class ThrowKind : uint8_t { Zero = 0, NoSide = 1, Left = 2, Right = 3 };

// The kind of a number under a colour table of 38 entries (the wheel's or an even
// chance's): 0 is Zero; numbers outside 0-37 and numbers without a colour are NoSide.
ThrowKind throwKind(int32_t number, const std::array<int16_t, 38>& colours);

// A zero leaves everything as it is; every other throw is counted, on the side of
// the line where the position stands after it.
constexpr bool isCounted(ThrowKind kind) { return kind != ThrowKind::Zero; }

// The move of the position in units of the shown deviation: left -1, right +1.
constexpr int moveOf(ThrowKind kind) { return kind == ThrowKind::Left ? -1 : kind == ThrowKind::Right ? 1 : 0; }

// Told of every throw the engine makes, after it has made it.
class ThrowObserver {
public:
    virtual void played(ThrowKind kind) = 0;
    // The series was cleared: what was played so far is gone.
    virtual void cleared() = 0;

protected:
    ~ThrowObserver() = default;
};

}  // namespace kalvor
