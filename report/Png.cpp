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

std::optional<Indexed> indexed(std::span<const Colour> pixels, size_t w, size_t h) {
    Indexed out;
    std::vector<unsigned char> index(pixels.size());
    size_t last = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const Colour c = pixels[i];
        if (last >= out.palette.size() || out.palette[last] != c) {
            last = static_cast<size_t>(std::find(out.palette.begin(), out.palette.end(), c) - out.palette.begin());
            if (last == out.palette.size()) {
                if (out.palette.size() == 256) return std::nullopt;
                out.palette.push_back(c);
            }
        }
        index[i] = static_cast<unsigned char>(last);
    }
    const bool nibbles = out.palette.size() <= 16;
    const size_t rowBytes = nibbles ? (w + 1) / 2 : w;
    const size_t stride = 1 + rowBytes;
    out.rows.assign(stride * h, 0);
    for (size_t y = 0; y < h; ++y) {
        unsigned char* row = out.rows.data() + y * stride + 1;
        const unsigned char* source = index.data() + y * w;
        if (nibbles) {
            for (size_t x = 0; x < w; ++x) row[x / 2] |= static_cast<unsigned char>(source[x] << (x % 2 ? 0 : 4));
        } else {
            std::copy(source, source + w, row);
        }
    }
    // Every row but the first "Up": a chart's rows differ in a few pixels. Done from
    // the bottom, so that each row is taken from the unfiltered one above.
    for (size_t y = h; y-- > 1;) {
        unsigned char* row = out.rows.data() + y * stride;
        const unsigned char* above = row - stride;
        row[0] = 2;
        for (size_t x = 1; x < stride; ++x) row[x] = static_cast<unsigned char>(row[x] - above[x]);
    }
    return out;
}

std::string deflated(const std::vector<unsigned char>& raw, int level) {
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  level) != Z_OK)
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
        // Deflate's fastest level: the zeros of the filtered rows pack well at any.
        const char depth = image->palette.size() <= 16 ? 4 : 8;
        header.append({depth, 3, 0, 0, 0});  // palette colour, deflate, adaptive filters, no interlace
        std::string palette;
        for (Colour c : image->palette)
            palette.append({static_cast<char>(redOf(c)), static_cast<char>(greenOf(c)), static_cast<char>(blueOf(c))});
        appendChunk(png, "IHDR", header);
        appendChunk(png, "PLTE", palette);
        appendChunk(png, "IDAT", deflated(image->rows, Z_BEST_SPEED));
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
    appendChunk(png, "IDAT", deflated(raw, Z_BEST_SPEED));
    appendChunk(png, "IEND", {});
    return png;
}

}  // namespace kalvor
