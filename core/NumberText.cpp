#include "core/NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kalvor {
namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits in the given base; stops at the first character that is not one.
double readRadix(std::string_view s, int base) {
    double value = 0;
    for (char c : s) {
        int d = -1;
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (isDigit(c)) d = c - '0';
        else if (lower >= 'a' && lower <= 'f') d = lower - 'a' + 10;
        if (d < 0 || d >= base) break;
        value = value * base + d;
    }
    return std::min(value, kMaxDouble);
}

// Converts a clean decimal literal ("-12.5E3" form, 'e' as exponent letter).
double parseDecimal(const std::string& literal) {
    double value = 0;
    const char* first = literal.data();
    const char* last = first + literal.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Too large saturates; too small is zero.
        const double rough = std::strtod(literal.c_str(), nullptr);
        if (std::isinf(rough)) return rough > 0 ? kMaxDouble : -kMaxDouble;
        return rough;
    }
    if (ec != std::errc() || ptr != last) return 0;
    return value;
}

}  // namespace

double numericValue(std::string_view text) {
    // Fast path for what the counters hold: a few plain digits.
    if (!text.empty() && text.size() <= 15) {
        long long v = 0;
        bool plain = true;
        for (char c : text) {
            if (!isDigit(c)) {
                plain = false;
                break;
            }
            v = v * 10 + (c - '0');
        }
        if (plain) return static_cast<double>(v);
    }

    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        if (kind == 'H') return readRadix(std::string_view(s).substr(2), 16);
        if (kind == 'O') return readRadix(std::string_view(s).substr(2), 8);
    }

    std::string literal;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') literal.push_back('-');
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) { literal.push_back(s[i]); digits = true; }
        else if (s[i] == '.' && !point) { literal.push_back('.'); point = true; }
        else break;
    }
    if (!digits) return 0;
    if (i < s.size()) {
        const char e = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
        if (e == 'E' || e == 'D') {
            size_t j = i + 1;
            std::string exponent = "e";
            if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
            bool expDigits = false;
            for (; j < s.size() && isDigit(s[j]); ++j) { exponent.push_back(s[j]); expDigits = true; }
            if (expDigits) literal += exponent;
        }
    }
    return parseDecimal(literal);
}

std::optional<double> strictNumber(std::string_view text, NumberFormat format) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    if (text.size() >= 3 && text[0] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
        const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
        if (base == 0 || text.size() > 2 + 16) return std::nullopt;
        unsigned long long v = 0;
        auto [ptr, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), v, base);
        if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
        return static_cast<double>(v);
    }

    std::string literal;
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') {
        if (text[i] == '-') literal.push_back('-');
        ++i;
    }
    // Integer part, optionally grouped in threes.
    size_t groupDigits = 0;
    size_t intDigits = 0;
    bool grouped = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            literal.push_back(c);
            ++intDigits;
            ++groupDigits;
        } else if (c == format.groupSeparator && c != format.decimalPoint) {
            if (intDigits == 0 || (grouped && groupDigits != 3) || (!grouped && groupDigits > 3))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3) return std::nullopt;
    size_t fracDigits = 0;
    if (i < text.size() && text[i] == format.decimalPoint) {
        literal.push_back('.');
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            literal.push_back(text[i]);
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        literal.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) literal.push_back(text[i++]);
        size_t expDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++expDigits) literal.push_back(text[i]);
        if (expDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    double value = 0;
    auto [ptr, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow to zero is a number; overflow is not.
        const double rough = std::strtod(literal.c_str(), nullptr);
        if (std::isinf(rough)) return std::nullopt;
        return rough;
    }
    if (ec != std::errc() || ptr != literal.data() + literal.size()) return std::nullopt;
    return value;
}

void writeNumber(std::string& out, double value) {
    // The labels' whole numbers, digit by digit into the text: the engine writes
    // several labels a throw, and a replayed archive makes millions of throws.
    if (value > -1e9 && value < 1e9) {
        const auto whole = static_cast<int32_t>(value);
        if (whole == value) {
            char digits[10];
            int n = 0;
            uint32_t rest = whole < 0 ? 0u - static_cast<uint32_t>(whole) : static_cast<uint32_t>(whole);
            do {
                digits[n++] = static_cast<char>('0' + rest % 10);
                rest /= 10;
            } while (rest != 0);
            out.clear();
            if (whole < 0) out.push_back('-');
            while (n > 0) out.push_back(digits[--n]);
            return;
        }
    }
    if (value == 0 || std::isnan(value)) {
        out.assign(1, '0');
        return;
    }
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        char buf[24];
        auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        out.assign(buf, ptr);
        return;
    }
    // Fifteen significant digits, as the window's number texts have always shown.
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%.15G", value);
    out.assign(buf, static_cast<size_t>(n));
}

std::string numberToText(double value) {
    std::string out;
    writeNumber(out, value);
    return out;
}

}  // namespace kalvor
