#include "core/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace kalvor {

namespace {

// The range of the byte after a lead byte; the later ones are all 0x80-0xBF. The
// narrower ranges keep out overlong forms, surrogates and anything beyond U+10FFFF.
struct SecondByte {
    unsigned char low, high;
};

SecondByte secondByte(unsigned char lead) {
    switch (lead) {
    case 0xE0: return {0xA0, 0xBF};
    case 0xED: return {0x80, 0x9F};
    case 0xF0: return {0x90, 0xBF};
    case 0xF4: return {0x80, 0x8F};
    default: return {0x80, 0xBF};
    }
}

std::size_t announcedLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The lead byte and the continuation bytes that fit it, up to its announced length.
std::size_t fittingBytes(std::string_view text, std::size_t at, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t fit = 1;
    for (; fit < length && at + fit < text.size(); ++fit) {
        const auto c = static_cast<unsigned char>(text[at + fit]);
        const SecondByte range = fit == 1 ? secondByte(lead) : SecondByte{0x80, 0xBF};
        if (c < range.low || c > range.high) break;
    }
    return fit;
}

// Characters that show nothing yet change what is shown: the bidirectional
// controls, which reorder the text around them ("abc" U+202E "txt.exe" shows as
// "abcexe.txt"), and the other invisible ones (Unicode's default-ignorable code
// points, and the interlinear annotation marks), with which two names that look
// the same can differ or a text can carry what nobody sees.
struct Range {
    uint32_t first, last;
};
constexpr Range kInvisible[] = {
    {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C},   {0x115F, 0x1160},   {0x17B4, 0x17B5},   {0x180B, 0x180F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFFB}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

bool isInvisible(uint32_t cp) {
    return std::any_of(std::begin(kInvisible), std::end(kInvisible),
                       [cp](const Range& r) { return cp >= r.first && cp <= r.last; });
}

// The code point of a valid character of two to four bytes.
uint32_t codePoint(std::string_view text, std::size_t at, std::size_t length) {
    uint32_t cp = static_cast<unsigned char>(text[at]) & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) cp = cp << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return cp;
}

}  // namespace

std::size_t validCharacterLength(std::string_view text, std::size_t at) {
    const std::size_t length = announcedLength(static_cast<unsigned char>(text[at]));
    if (length <= 1) return length;
    return fittingBytes(text, at, length) == length ? length : 0;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        // Plain ASCII, most of any text, without a call.
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = validCharacterLength(bytes, i);
        if (length == 0) return false;
        i += length;
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
    const std::size_t length = announcedLength(static_cast<unsigned char>(text[at]));
    if (length <= 1) return 1;
    return fittingBytes(text, at, length);
}

std::string cleanText(std::string_view bytes, CleanRules rules) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (b == '\t' || b == '\r' || b == '\n') out.append(rules.lineBreak);
            else if (b < 0x20 || b == 0x7F) out.append(rules.control);
            else out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t valid = validCharacterLength(bytes, i);
        const uint32_t cp = valid != 0 ? codePoint(bytes, i, valid) : 0;
        if (valid == 0) out.append(kReplacementCharacter);
        else if (cp == 0x2028 || cp == 0x2029) out.append(rules.lineBreak);  // line and paragraph separator
        else if (cp < 0xA0 || isInvisible(cp)) out.append(rules.control);    // cp < 0xA0: a C1 control
        else out.append(bytes.substr(i, valid));
        i += valid != 0 ? valid : characterLength(bytes, i);
    }
    return out;
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
