#pragma once
// A raster of 0x00BBGGRR colours as a PNG file: 8-bit RGB, no interlacing.

#include <span>
#include <string>

#include "core/TendencyChart.h"

namespace kalvor {

// The PNG file's bytes; pixels holds width * height colours, row by row.
std::string encodePng(std::span<const Colour> pixels, int width, int height);

}  // namespace kalvor
