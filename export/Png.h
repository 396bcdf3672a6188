#pragma once
// A raster of 0x00BBGGRR colours as a PNG file, no interlacing: indexed colour
// when it has at most 256 colours (a chart has five), 8-bit RGB otherwise.

#include <span>
#include <string>

#include "core/TendencyChart.h"

namespace kalvor {

// The PNG file's bytes; pixels holds width * height colours, row by row.
std::string encodePng(std::span<const Colour> pixels, int width, int height);

}  // namespace kalvor
