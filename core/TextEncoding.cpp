#include "core/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kalvor {

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        size_t len = 0;
        uint32_t cp = 0;
        if (b < 0x80) { ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { len = 2; cp = b & 0x1Fu; }
        else if (b >= 0xE0 && b <= 0xEF) { len = 3; cp = b & 0x0Fu; }
        else if (b >= 0xF0 && b <= 0xF4) { len = 4; cp = b & 0x07u; }
        else return false;
        if (i + len > bytes.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cb = static_cast<unsigned char>(bytes[i + k]);
            if ((cb & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cb & 0x3Fu);
        }
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    // 0x80-0x9F; the five unassigned positions map to their C1 controls.
    static constexpr std::array<uint16_t, 32> high = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        uint32_t cp = b;
        if (b >= 0x80 && b <= 0x9F) cp = high[b - 0x80];
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::size_t characterLength(std::string_view text, std::size_t at) {
    const std::size_t length = static_cast<unsigned char>(text[at]) >= 0xF8 ? 1 : sequenceLength(text[at]);
    if (at + length > text.size()) return 1;
    for (std::size_t k = 1; k < length; ++k)
        if (!isContinuationByte(text[at + k])) return 1;
    return length;
}

std::string decodeText(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

std::string decodeLine(std::string_view bytes, std::size_t maxChars, bool bytesCut) {
    if (bytesCut) {
        // A character the cut split in two is left out, so that valid UTF-8 stays valid.
        for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const char b = bytes[bytes.size() - back];
            if (isContinuationByte(b)) continue;
            if (sequenceLength(b) > back) bytes.remove_suffix(back);
            break;
        }
    }
    std::string text = decodeText(bytes);
    // Characters are counted by their lead bytes; the text is valid UTF-8 here.
    std::size_t chars = 0;
    std::size_t keep = text.size();
    const std::size_t room = maxChars == 0 ? 0 : maxChars - 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isContinuationByte(text[i])) continue;
        if (chars == room) keep = i;
        ++chars;
    }
    if (chars <= maxChars && !bytesCut) return text;
    text.resize(std::min(keep, text.size()));
    text += "…";
    return text;
}

}  // namespace kalvor
