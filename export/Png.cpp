#include "export/Png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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
std::optional<std::vector<unsigned char>> packIndices(std::span<const Colour> pixels, size_t w, size_t h, size_t most,
                                                      std::vector<Colour>& palette) {
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

// A zlib stream of one deflate block with the fixed codes, in which every run of
// zeros is a literal zero and copies of distance 1. The filtered rows of a chart are
// nearly all zeros: skipping them a word at a time, and adding them to the checksum
// in one step, costs a fraction of a general compressor, and packs them as small.
class ZeroRunDeflate {
public:
    std::string finish(const std::vector<unsigned char>& raw) {
        out_.assign("\x78\x01", 2);  // deflate, 32 K window, fastest; the header's check bits
        out_.reserve(raw.size() / 8 + 64);
        put(1, 1);  // the last block
        put(1, 2);  // fixed codes
        const size_t n = raw.size();
        for (size_t i = 0; i < n;) {
            const unsigned char byte = raw[i];
            literal(byte);
            ++i;
            if (byte != 0) continue;
            size_t run = 0;
            while (i + run + 8 <= n) {
                uint64_t word;
                std::memcpy(&word, raw.data() + i + run, 8);
                if (word != 0) break;
                run += 8;
            }
            while (i + run < n && raw[i + run] == 0) ++run;
            zeros(run);
            i += run;
        }
        put(0, 7);  // end of block: code 256, seven zero bits
        if (bits_ > 0) out_.push_back(static_cast<char>(buffer_ & 0xFF));
        for (int shift = 24; shift >= 0; shift -= 8)
            out_.push_back(static_cast<char>(((b_ % kBase) << 16 | a_) >> shift & 0xFF));
        return std::move(out_);
    }

private:
    static constexpr uint64_t kBase = 65521;  // Adler-32's modulus

    // LSB first; a Huffman code goes in reversed, since deflate sends it MSB first.
    void put(uint32_t value, int count) {
        buffer_ |= static_cast<uint64_t>(value) << bits_;
        bits_ += count;
        while (bits_ >= 8) {
            out_.push_back(static_cast<char>(buffer_ & 0xFF));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    struct Code {
        uint32_t bits = 0;  // reversed, ready for put
        int length = 0;
    };
    static uint32_t reversed(uint32_t value, int length) {
        uint32_t r = 0;
        for (int k = 0; k < length; ++k) r |= (value >> k & 1) << (length - 1 - k);
        return r;
    }
    // The fixed codes of every literal, and of every copy at distance 1 (length code,
    // its extra bits and the distance code together), worked out once.
    struct Tables {
        std::array<Code, 256> literals;
        std::array<Code, 259> copies;  // by length 3..258
        Tables() {
            for (uint32_t byte = 0; byte < 256; ++byte)
                literals[byte] =
                    byte < 144 ? Code{reversed(0x30u + byte, 8), 8} : Code{reversed(0x190u + byte - 144, 9), 9};
            static constexpr uint32_t kStart[] = {3, 11, 19, 35, 67, 131};  // lengths of codes 257, 265, ...
            for (uint32_t length = 3; length <= 258; ++length) {
                uint32_t symbol, extra = 0, extraBits = 0;
                if (length == 258) {
                    symbol = 285;
                } else if (length < 11) {
                    symbol = 257 + length - 3;
                } else {
                    uint32_t group = 1;
                    while (group < 5 && length >= kStart[group + 1]) ++group;
                    const uint32_t step = 1u << group;
                    symbol = 265 + 4 * (group - 1) + (length - kStart[group]) / step;
                    extra = (length - kStart[group]) % step;
                    extraBits = group;
                }
                const Code c =
                    symbol < 280 ? Code{reversed(symbol - 256, 7), 7} : Code{reversed(0xC0u + symbol - 280, 8), 8};
                // Then the extra bits, then distance code 0 in five zero bits.
                copies[length] = {c.bits | extra << c.length, c.length + static_cast<int>(extraBits) + 5};
            }
        }
    };
    static const Tables& tables() {
        static const Tables t;
        return t;
    }

    void literal(unsigned char byte) {
        const Code& c = tables().literals[byte];
        put(c.bits, c.length);
        // Sums reduced without dividing: a stays below the modulus, b is reduced
        // only when it nears the top of 64 bits (a division a byte costs more
        // than all the rest of packing a chart).
        a_ += byte;
        if (a_ >= kBase) a_ -= kBase;
        addToB(a_);
    }
    void addToB(uint64_t value) {
        b_ += value;
        if (b_ >= uint64_t{1} << 62) b_ %= kBase;
    }
    // Copies of the zero before, at distance 1, of at most 258 bytes each.
    void zeros(size_t run) {
        addToB(static_cast<uint64_t>(run) * a_);  // each zero adds a to b
        while (run >= 3) {
            size_t length = std::min<size_t>(run, 258);
            if (run - length > 0 && run - length < 3) length = run - 3;  // leave a copy of three
            const Code& c = tables().copies[length];
            put(c.bits, c.length);
            run -= length;
        }
        for (; run > 0; --run) put(tables().literals[0].bits, 8);  // the checksum has them already
    }

    std::string out_;
    uint64_t buffer_ = 0;
    int bits_ = 0;
    uint64_t a_ = 1, b_ = 0;
};

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
        appendChunk(png, "IDAT", ZeroRunDeflate().finish(image->rows));
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
            const int channels[3][2] = {
                {redOf(c), redOf(above)}, {greenOf(c), greenOf(above)}, {blueOf(c), blueOf(above)}};
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
