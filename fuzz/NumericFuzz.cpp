// The lenient reading takes whatever a label or a permanence field holds.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = kalvor::numericValue(text);
    if (!std::isfinite(value)) __builtin_trap();
    // Its text form, as a label shows it, reads back to the same value.
    const double back = kalvor::numericValue(kalvor::numberToText(value));
    if (std::abs(back - value) > std::abs(value) * 1e-14 + 1e-300) __builtin_trap();
    return 0;
}
