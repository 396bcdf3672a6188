#pragma once
// The tendency chart `blatt` as a raster of its inner drawing area.
// The border is flat and one pixel wide, so the 205 x 403 surface leaves an
// inner area of 203 x 401 pixels and the 200th throw of a pass (y = 400) shows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvor {

using Colour = uint32_t;  // 0x00BBGGRR: lowest byte red

constexpr int redOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Colour kChartBackground = 0x00E0E0E0;

// Whether a chart keeps its raster. A run whose chart nobody sees (a replay that
// only wants the figures) discards it: drawing then costs nothing.
enum class ChartRaster { Kept, Discarded };

// The classic 16-colour palette.
Colour paletteColour(int number);

class TendencyChart {
public:
    static constexpr int kWidth = 203;
    static constexpr int kHeight = 401;

    explicit TendencyChart(ChartRaster raster = ChartRaster::Kept);

    // Sets the background colour, erasing everything drawn.
    void clear(Colour background = kChartBackground);
    // The zero line and the eight grid lines, drawn over whatever is there.
    void drawGrid();
    // A 2 x 2 dot covering columns x-1..x and rows y-1..y; off-area parts are clipped.
    void setPoint(float x, float y, int palette);
    // A straight line drawn with the 2-pixel pen.
    void drawLine(float x1, float y1, float x2, float y2, int palette);

    // Only on a chart that keeps its raster; a discarded one has no pixels.
    Colour pixel(int x, int y) const { return pixels_[static_cast<size_t>(y * kWidth + x)]; }
    const std::vector<Colour>& pixels() const { return pixels_; }
    // Grows with every change, so a view can tell whether to repaint.
    uint64_t revision() const { return revision_; }

private:
    void stamp(long x, long y, Colour c);

    std::vector<Colour> pixels_;
    uint64_t revision_ = 0;
};

}  // namespace kalvor
