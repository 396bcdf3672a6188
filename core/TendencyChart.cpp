#include "core/TendencyChart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kalvor {

Colour paletteColour(int number) {
    // 0x00BBGGRR
    static constexpr std::array<Colour, 16> palette = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    return palette[static_cast<size_t>(number & 15)];
}

TendencyChart::TendencyChart(ChartRaster raster) {
    if (raster == ChartRaster::Kept) pixels_.assign(static_cast<size_t>(kWidth * kHeight), kChartBackground);
}

void TendencyChart::clear(Colour background) {
    std::fill(pixels_.begin(), pixels_.end(), background);
    ++revision_;
}

void TendencyChart::drawGrid() {
    drawLine(100, 0, 100, 436, 15);
    for (float x : {80.f, 120.f, 60.f, 140.f, 40.f, 160.f, 20.f, 180.f}) drawLine(x, 0, x, 436, 7);
}

void TendencyChart::stamp(long x, long y, Colour c) {
    if (pixels_.empty()) return;
    for (long py = y - 1; py <= y; ++py) {
        if (py < 0 || py >= kHeight) continue;
        for (long px = x - 1; px <= x; ++px) {
            if (px < 0 || px >= kWidth) continue;
            pixels_[static_cast<size_t>(py * kWidth + px)] = c;
        }
    }
}

void TendencyChart::setPoint(float x, float y, int palette) {
    stamp(std::lround(x), std::lround(y), paletteColour(palette));
    ++revision_;
}

void TendencyChart::drawLine(float x1, float y1, float x2, float y2, int palette) {
    const Colour c = paletteColour(palette);
    long x = std::lround(x1), y = std::lround(y1);
    const long xe = std::lround(x2), ye = std::lround(y2);
    const long dx = std::labs(xe - x), dy = -std::labs(ye - y);
    const long sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    if (pixels_.empty()) {
        ++revision_;
        return;
    }
    if (dx == 0) {
        // The grid's lines are vertical: two columns filled straight down.
        for (long py = std::max(std::min(y, ye) - 1, 0L); py <= std::min(std::max(y, ye), long{kHeight - 1}); ++py)
            for (long px = std::max(x - 1, 0L); px <= std::min(x, long{kWidth - 1}); ++px)
                pixels_[static_cast<size_t>(py * kWidth + px)] = c;
        ++revision_;
        return;
    }
    long err = dx + dy;
    for (;;) {
        stamp(x, y, c);
        if (x == xe && y == ye) break;
        const long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    ++revision_;
}

}  // namespace kalvor
