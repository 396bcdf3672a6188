// The number readers take whatever a file or the keyboard delivers.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double lenient = kalvor::numericValue(text);
    if (!std::isfinite(lenient)) __builtin_trap();

    for (const kalvor::NumberFormat format : {kalvor::NumberFormat{'.', ','}, kalvor::NumberFormat{',', '.'}}) {
        if (const auto strict = kalvor::strictNumber(text, format)) {
            if (!std::isfinite(*strict)) __builtin_trap();
            // Whatever reads strictly also has a text form that reads back to the same value.
            const double back = kalvor::numericValue(kalvor::numberToText(*strict));
            if (std::abs(back - *strict) > std::abs(*strict) * 1e-14 + 1e-300) __builtin_trap();
        }
    }
    return 0;
}
