// The strict reading takes whatever the user types into the input boxes.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const kalvor::NumberFormat format : {kalvor::NumberFormat{'.', ','}, kalvor::NumberFormat{',', '.'}}) {
        const auto strict = kalvor::strictNumber(text, format);
        if (!strict) continue;
        if (!std::isfinite(*strict)) __builtin_trap();
        const double back = kalvor::numericValue(kalvor::numberToText(*strict));
        if (std::abs(back - *strict) > std::abs(*strict) * 1e-14 + 1e-300) __builtin_trap();
    }
    return 0;
}
