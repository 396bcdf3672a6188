#include "export/Markup.h"

#include <cmath>
#include <cstdint>

#include "core/NumberText.h"

namespace kalvor {

std::string htmlText(std::string_view text) {
    const std::string clean = cleanText(text, kPageCleaning);
    std::string out;
    out.reserve(clean.size());
    for (const char c : clean) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[group >> 18 & 63];
        out += kDigits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

std::string coordinate(double value) { return fixedText(std::round(value * 10) / 10, 1); }

std::string element(std::string_view name, std::initializer_list<Attribute> attributes, std::string_view content) {
    std::string out = "<";
    out += name;
    for (const Attribute& a : attributes) {
        out += ' ';
        out += a.name;
        out += "=\"";
        out += htmlText(a.value);
        out += '"';
    }
    if (content.empty()) return out + "/>";
    out += '>';
    out += content;
    out += "</";
    out += name;
    out += '>';
    return out;
}

}  // namespace kalvor
