#include "report/Png.h"

#include <zlib.h>

#include <cstdint>
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

std::string encodePng(std::span<const Colour> pixels, int width, int height) {
    const auto w = static_cast<size_t>(width);
    const auto h = static_cast<size_t>(height);
    if (width <= 0 || height <= 0 || pixels.size() != w * h) throw std::invalid_argument("raster size");

    // Every row but the first is filtered against the row above ("Up"): the chart's
    // rows differ in a few pixels, so nearly all of it becomes zeros.
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
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(),
                  static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib");
    packed.resize(packedSize);

    std::string header;
    appendBigEndian(header, static_cast<uint32_t>(width));
    appendBigEndian(header, static_cast<uint32_t>(height));
    header.append({8, 2, 0, 0, 0});  // 8 bits per sample, RGB, deflate, adaptive filters, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

}  // namespace kalvor
