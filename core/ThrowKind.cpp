#include "core/ThrowKind.h"

#include "core/SeriesState.h"

namespace kalvor {

ThrowKind throwKind(int32_t number, const std::array<int16_t, 38>& colours) {
    if (number == 0) return ThrowKind::Zero;
    if (number < 0 || number > 37) return ThrowKind::NoSide;
    switch (colours[static_cast<size_t>(number)]) {
    case kRed: return ThrowKind::Left;
    case kBlack: return ThrowKind::Right;
    default: return ThrowKind::NoSide;
    }
}

}  // namespace kalvor
