#include "report/CsvText.h"

#include <cstdint>
#include <limits>

#include "core/TextEncoding.h"

namespace kalvor {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

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

std::size_t expectedLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string cleanText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (b == '\t' || b == '\r' || b == '\n') out.push_back(' ');
            else if (b < 0x20 || b == 0x7F) out.append(kReplacement);
            else out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t length = expectedLength(b);
        std::size_t valid = 1;  // the lead byte and the continuation bytes that fit
        for (; length != 0 && valid < length && i + valid < bytes.size(); ++valid) {
            const auto c = static_cast<unsigned char>(bytes[i + valid]);
            const SecondByte range = valid == 1 ? secondByte(b) : SecondByte{0x80, 0xBF};
            if (c < range.low || c > range.high) break;
        }
        // C2 80 to C2 9F are the C1 controls.
        const bool control = length == 2 && valid == 2 && b == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0;
        if (valid == length && !control) out.append(bytes.substr(i, length));
        else out.append(kReplacement);
        i += valid;
    }
    return out;
}

std::string csvText(std::string_view bytes) {
    std::string text = cleanText(bytes);
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        text.insert(text.begin(), '\'');
    return text;
}

std::string headerText(const Field& field) {
    return decodeLine(field.text, std::numeric_limits<std::size_t>::max(), field.cut);
}

}  // namespace kalvor
