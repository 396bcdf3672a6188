#include "core/NumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kalvor {
namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isDroppedBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Exponents beyond this are out of a double's range whatever the digits; the cap
// keeps the sums below from overflowing.
constexpr long long kExponentCap = 1'000'000'000'000LL;

// Powers of ten a double holds exactly: with at most 15 digits, one multiplication
// or division by them is correctly rounded.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// How many of the bytes, from the first, are digits; sets nonZero when one of them
// is not '0'. Eight bytes at a time: a field of gigabytes of digits reads at the
// speed of the disk.
std::size_t digitRun(std::string_view bytes, bool& nonZero) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    constexpr std::uint64_t kZeros = kOnes * '0';
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, bytes.data() + i, 8);
        // A byte below '0' or above '9' (or beyond 127) anywhere in the eight.
        const std::uint64_t below = (x - kZeros) & ~x & kHigh;
        const std::uint64_t above = ((x + kOnes * (127 - '9')) | x) & kHigh;
        if (below | above) break;
        nonZero = nonZero || x != kZeros;
    }
    for (; i < bytes.size() && isDigit(bytes[i]); ++i) nonZero = nonZero || bytes[i] != '0';
    return i;
}

}  // namespace

bool LeadingNumber::feed(char c) {
    if (isDroppedBlank(c)) return step_ != Step::Done;
    switch (step_) {
    case Step::Start:
        if (c == '&') {
            step_ = Step::Ampersand;
            return true;
        }
        if (c == '+' || c == '-') {
            negative_ = c == '-';
            step_ = Step::Sign;
            return true;
        }
        [[fallthrough]];
    case Step::Sign:
    case Step::Mantissa:
        if (isDigit(c)) {
            step_ = Step::Mantissa;
            mantissaDigit(c);
            return true;
        }
        if (c == '.' && !point_) {
            step_ = Step::Mantissa;
            point_ = true;
            return true;
        }
        if (step_ == Step::Mantissa && anyDigit_ && (upper(c) == 'E' || upper(c) == 'D')) {
            step_ = Step::ExponentMark;
            return true;
        }
        break;
    case Step::Ampersand:
        if (upper(c) == 'H' || upper(c) == 'O') {
            base_ = upper(c) == 'H' ? 16 : 8;
            step_ = Step::Radix;
            return true;
        }
        break;
    case Step::Radix: {
        int d = -1;
        if (isDigit(c)) d = c - '0';
        else if (upper(c) >= 'A' && upper(c) <= 'F') d = upper(c) - 'A' + 10;
        if (d < 0 || d >= base_) break;
        radixValue_ = std::min(radixValue_ * base_ + d, kMaxDouble);
        return true;
    }
    case Step::ExponentMark:
        if (c == '+' || c == '-') {
            exponentNegative_ = c == '-';
            step_ = Step::ExponentSign;
            return true;
        }
        [[fallthrough]];
    case Step::ExponentSign:
    case Step::Exponent:
        if (isDigit(c)) {
            step_ = Step::Exponent;
            exponent_ = std::min(exponent_ * 10 + (c - '0'), kExponentCap);
            return true;
        }
        break;
    case Step::Done: break;
    }
    step_ = Step::Done;
    return false;
}

void LeadingNumber::reset() {
    // The digits need no clearing: only the first count_ of them are ever read.
    step_ = Step::Start;
    negative_ = point_ = anyDigit_ = sticky_ = exponentNegative_ = false;
    base_ = count_ = 0;
    scale_ = exponent_ = 0;
    leading_ = 0;
    radixValue_ = 0;
}

void LeadingNumber::mantissaDigit(char c) {
    anyDigit_ = true;
    if (c == '0' && count_ == 0) {
        if (point_) --scale_;  // a leading zero only moves the point
        return;
    }
    if (count_ < kDigits) {
        if (count_ < 19) leading_ = leading_ * 10 + static_cast<unsigned>(c - '0');
        digits_[count_++] = c;
        if (point_) --scale_;
        return;
    }
    if (c != '0') sticky_ = true;
    if (!point_) ++scale_;
}

double LeadingNumber::value() const {
    if (base_ != 0) return radixValue_;
    if (count_ == 0) return 0;
    // The point's place and the written exponent (0 when the sign had no digits);
    // even a file of terabytes of digits keeps their sum far inside a long long.
    long long exponent = scale_ + (exponentNegative_ ? -exponent_ : exponent_);
    const double sign = negative_ ? -1.0 : 1.0;
    // What permanences and counters hold: a whole number of a few digits.
    if (count_ <= 15 && exponent == 0) return sign * static_cast<double>(leading_);
    // Ten to the power of the leading digit's place decides at once when far outside.
    const long long lead = exponent + count_ - 1;
    if (lead > 310) return sign * kMaxDouble;
    if (lead < -330) return 0;

    if (count_ <= 15 && exponent >= -22 && exponent <= 22) {
        const auto m = static_cast<double>(leading_);
        const double power = kExactPowers[exponent < 0 ? -exponent : exponent];
        return sign * (exponent < 0 ? m / power : m * power);
    }

    // The kept digits, one more for whatever non-zero digits followed them, and the
    // exponent: from_chars rounds that correctly, without the process locale.
    char literal[kDigits + 1 + 24];
    char* end = std::copy(digits_, digits_ + count_, literal);
    if (sticky_) {
        *end++ = '1';
        --exponent;
    }
    *end++ = 'e';
    end = std::to_chars(end, literal + sizeof literal, exponent).ptr;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(literal, end, value);
    if (ec == std::errc::result_out_of_range) return lead > 0 ? sign * kMaxDouble : 0.0;
    if (ec != std::errc() || ptr != end) return 0;
    return sign * value;
}

bool LeadingNumber::feed(std::string_view bytes) {
    // What a permanence holds in each field: a few digits without a leading zero,
    // taken at once as the steps below would take them one by one.
    if (step_ == Step::Start && !bytes.empty() && bytes.size() <= 15 && bytes.front() != '0' &&
        std::all_of(bytes.begin(), bytes.end(), isDigit)) {
        step_ = Step::Mantissa;
        anyDigit_ = true;
        for (char c : bytes) {
            leading_ = leading_ * 10 + static_cast<unsigned>(c - '0');
            digits_[count_++] = c;
        }
        return true;
    }
    while (!bytes.empty()) {
        if (step_ == Step::Mantissa && count_ == kDigits) {
            // Every digit kept: further ones only tell whether any is not zero, and
            // before the point each moves it one place.
            const std::size_t run = digitRun(bytes, sticky_);
            if (!point_) scale_ += static_cast<long long>(run);
            bytes.remove_prefix(run);
            if (bytes.empty()) break;
        }
        if (!feed(bytes.front())) return false;
        bytes.remove_prefix(1);
    }
    return step_ != Step::Done;
}

double numericValue(std::string_view text) {
    LeadingNumber number;
    number.feed(text);
    return number.value();
}

namespace {

// For a clean decimal literal that from_chars found out of range: true when its
// magnitude lies below one (an underflow), false when above (an overflow). Decided
// from the position of the first significant digit and the exponent, without
// reading the value.
bool belowOne(std::string_view literal) {
    long long digitsBeforePoint = 0;  // of the first significant digit, negative after the point
    bool significant = false;
    bool afterPoint = false;
    size_t i = 0;
    if (i < literal.size() && literal[i] == '-') ++i;
    for (; i < literal.size() && literal[i] != 'e'; ++i) {
        const char c = literal[i];
        if (c == '.') {
            afterPoint = true;
        } else if (c != '0' || significant) {
            significant = true;
            if (!afterPoint) ++digitsBeforePoint;
        } else if (afterPoint) {
            --digitsBeforePoint;
        }
    }
    // The exponent saturates: beyond a billion it decides on its own.
    long long exponent = 0;
    bool negative = false;
    if (i < literal.size()) {
        ++i;
        if (i < literal.size() && (literal[i] == '+' || literal[i] == '-')) negative = literal[i++] == '-';
        for (; i < literal.size(); ++i) exponent = std::min(exponent * 10 + (literal[i] - '0'), 1'000'000'000LL);
    }
    return (negative ? -exponent : exponent) + digitsBeforePoint <= 0;
}

}  // namespace

std::optional<double> strictNumber(std::string_view text, NumberFormat format) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    if (text.size() >= 3 && text[0] == '&') {
        const char kind = upper(text[1]);
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
            if (intDigits == 0 || (grouped && groupDigits != 3) || (!grouped && groupDigits > 3)) return std::nullopt;
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
    if (ptr != literal.data() + literal.size()) return std::nullopt;
    // Underflow to zero is a number; overflow is not.
    if (ec == std::errc::result_out_of_range) {
        if (!belowOne(literal)) return std::nullopt;
        return 0.0;
    }
    if (ec != std::errc()) return std::nullopt;
    return value;
}

void writeNumber(std::string& out, double value) {
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
    // Fifteen significant digits with an upper-case exponent ("1.5E+20"), as the
    // window's number texts have always shown.
    char buf[40];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    out.assign(buf, end);
    for (char& ch : out) ch = upper(ch);
}

std::string numberToText(double value) {
    std::string out;
    writeNumber(out, value);
    return out;
}

std::string fixedText(double value, int decimals) {
    char buf[400];  // a double's integral part has at most 309 digits
    const auto [end, error] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(buf, end) : std::string();
}

}  // namespace kalvor
