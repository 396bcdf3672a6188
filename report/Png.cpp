#include "report/Png.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kalvor {
namespace {

void appendBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.append(type);
    out.append(data);
    // The checksum covers the type and the data.
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
    appendBigEndian(out, static_cast<uint32_t>(crc32(0, bytes, static_cast<uInt>(out.size() - start))));
}

}  // namespace

namespace {

// The chart's few colours as a palette: each pixel an index of four bits (up to 16
// colours) or eight. Nothing when there are more than 256.
struct Indexed {
    std::vector<Colour> palette;
    std::vector<unsigned char> rows;  // filtered, one filter byte a row
};

// The packed index rows, unfiltered; nothing when the palette outgrows `most`.
std::optional<std::vector<unsigned char>> packIndices(std::span<const Colour> pixels, size_t w, size_t h,
                                                      size_t most, std::vector<Colour>& palette) {
    const bool nibbles = most <= 16;
    const size_t rowBytes = nibbles ? (w + 1) / 2 : w;
    std::vector<unsigned char> packed(rowBytes * h, 0);
    size_t last = 0;
    auto put = [&](unsigned char* row, size_t x, Colour c) {
        if (last >= palette.size() || palette[last] != c) {
            last = static_cast<size_t>(std::find(palette.begin(), palette.end(), c) - palette.begin());
            if (last == palette.size()) {
                if (palette.size() == most) return false;
                palette.push_back(c);
            }
        }
        if (nibbles) {
            const int shift = x % 2 ? 0 : 4;
            row[x / 2] = static_cast<unsigned char>((row[x / 2] & ~(0xF << shift)) | last << shift);
        } else {
            row[x] = static_cast<unsigned char>(last);
        }
        return true;
    };
    for (size_t y = 0; y < h; ++y) {
        unsigned char* row = packed.data() + y * rowBytes;
        const Colour* colours = pixels.data() + y * w;
        if (y == 0) {
            for (size_t x = 0; x < w; ++x)
                if (!put(row, x, colours[x])) return std::nullopt;
            continue;
        }
        // A chart's rows repeat the row above but for a dot or two: copied, then
        // only the pixels that differ are looked up.
        std::copy(row - rowBytes, row, row);
        const Colour* above = colours - w;
        size_t x = 0;
        for (; x + 8 <= w; x += 8) {
            Colour differs = 0;  // branch-free, so that the compiler compares eight at once
            for (size_t k = x; k < x + 8; ++k) differs |= colours[k] ^ above[k];
            if (differs == 0) continue;
            for (size_t k = x; k < x + 8; ++k)
                if (colours[k] != above[k] && !put(row, k, colours[k])) return std::nullopt;
        }
        for (; x < w; ++x)
            if (colours[x] != above[x] && !put(row, x, colours[x])) return std::nullopt;
    }
    return packed;
}

std::optional<Indexed> indexed(std::span<const Colour> pixels, size_t w, size_t h) {
    Indexed out;
    auto packed = packIndices(pixels, w, h, 16, out.palette);
    if (!packed) packed = packIndices(pixels, w, h, 256, out.palette);
    if (!packed) return std::nullopt;
    const size_t rowBytes = packed->size() / h;
    const size_t stride = 1 + rowBytes;
    out.rows.resize(stride * h);
    // Every row but the first "Up": the difference to the row above, mostly zeros.
    for (size_t y = 0; y < h; ++y) {
        unsigned char* row = out.rows.data() + y * stride;
        const unsigned char* source = packed->data() + y * rowBytes;
        row[0] = y == 0 ? 0 : 2;
        if (y == 0) {
            std::copy(source, source + rowBytes, row + 1);
            continue;
        }
        const unsigned char* above = source - rowBytes;
        for (size_t x = 0; x < rowBytes; ++x) row[1 + x] = static_cast<unsigned char>(source[x] - above[x]);
    }
    return out;
}

// Deflate's fastest level: the filtered rows are mostly zeros and pack well at any.
std::string deflated(const std::vector<unsigned char>& raw) {
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error("zlib");
    packed.resize(packedSize);
    return packed;
}

}  // namespace

std::string encodePng(std::span<const Colour> pixels, int width, int height) {
    const auto w = static_cast<size_t>(width);
    const auto h = static_cast<size_t>(height);
    if (width <= 0 || height <= 0 || pixels.size() != w * h) throw std::invalid_argument("raster size");

    std::string header;
    appendBigEndian(header, static_cast<uint32_t>(width));
    appendBigEndian(header, static_cast<uint32_t>(height));
    std::string png("\x89PNG\r\n\x1a\n", 8);
    if (const auto image = indexed(pixels, w, h)) {
        const char depth = image->palette.size() <= 16 ? 4 : 8;
        header.append({depth, 3, 0, 0, 0});  // palette colour, deflate, adaptive filters, no interlace
        std::string palette;
        for (Colour c : image->palette)
            palette.append({static_cast<char>(redOf(c)), static_cast<char>(greenOf(c)), static_cast<char>(blueOf(c))});
        appendChunk(png, "IHDR", header);
        appendChunk(png, "PLTE", palette);
        appendChunk(png, "IDAT", deflated(image->rows));
        appendChunk(png, "IEND", {});
        return png;
    }

    // Every row but the first is filtered against the row above ("Up").
    const size_t stride = 1 + 3 * w;
    std::vector<unsigned char> raw(stride * h);
    for (size_t y = 0; y < h; ++y) {
        unsigned char* row = raw.data() + y * stride;
        row[0] = y == 0 ? 0 : 2;
        for (size_t x = 0; x < w; ++x) {
            const Colour c = pixels[y * w + x];
            const Colour above = y == 0 ? 0 : pixels[(y - 1) * w + x];
            const int channels[3][2] = {{redOf(c), redOf(above)}, {greenOf(c), greenOf(above)},
                                        {blueOf(c), blueOf(above)}};
            for (size_t k = 0; k < 3; ++k)
                row[1 + 3 * x + k] = static_cast<unsigned char>(channels[k][0] - channels[k][1]);
        }
    }
    header.append({8, 2, 0, 0, 0});  // 8 bits per sample, RGB, deflate, adaptive filters, no interlace
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", deflated(raw));
    appendChunk(png, "IEND", {});
    return png;
}

}  // namespace kalvor
