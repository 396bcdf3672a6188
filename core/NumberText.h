#pragma once
// Conversions between numbers and the texts of labels, boxes and files.

#include <charconv>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>

namespace kalvor {

// The lenient reading used for counters, permanence fields and the acceptance
// test of the input boxes: blanks, tabs and line feeds are dropped wherever they
// stand, then the longest leading number is read (sign, digits with one full stop,
// exponent with E or D; "&H"/"&O" for hexadecimal and octal). Never fails: a text
// without a leading number is 0, a value beyond a double saturates at its limit,
// and one too small for a double is 0.
double numericValue(std::string_view text);

// The same reading fed byte by byte, so that a text of any length (a permanence
// field of gigabytes) costs fixed memory and still reads exactly as the whole text:
// beyond the digits that can decide a double's rounding only whether any further
// digit is non-zero counts.
class LeadingNumber {
public:
    // Takes the next byte of the text; false once the number has ended, when no
    // later byte can change it.
    bool feed(char c);
    // The same for several bytes at once.
    bool feed(std::string_view bytes);
    double value() const;
    // Ready for the next text.
    void reset();

    // More significant digits than any double's correct rounding needs (767).
    static constexpr int kDigits = 800;

private:
    enum class Step : unsigned char {
        Start,
        Ampersand,
        Radix,
        Sign,
        Mantissa,
        ExponentMark,
        ExponentSign,
        Exponent,
        Done
    };
    void mantissaDigit(char c);

    Step step_ = Step::Start;
    bool negative_ = false;
    bool point_ = false;
    bool anyDigit_ = false;
    bool sticky_ = false;  // a non-zero digit beyond the kept ones
    bool exponentNegative_ = false;
    int base_ = 0;
    int count_ = 0;                   // significant digits kept
    long long scale_ = 0;             // the value is the kept digits times ten to this
    long long exponent_ = 0;          // as written, saturated
    unsigned long long leading_ = 0;  // the first 19 kept digits as a number
    double radixValue_ = 0;
    char digits_[kDigits];
};

struct NumberFormat {
    char decimalPoint = '.';
    char groupSeparator = ',';
};

// The strict reading of a whole text (surrounding blanks allowed) in the user's
// number format. Group separators must stand between groups of three digits.
// Fails on anything else, and on a value beyond the range of a double.
std::optional<double> strictNumber(std::string_view text, NumberFormat format = {});

// Plain decimal digits with a leading minus when negative, no blank, no grouping;
// a whole number has no decimals. Used for labels and boxes.
std::string numberToText(double value);
// The same, written into an existing string (the engine's labels reuse their buffers).
void writeNumber(std::string& out, double value);

// A whole number as plain decimal digits with a leading minus when negative: the
// one way every count reaches a text we write (CSV, pages, file names, messages).
template <std::integral Integer>
std::string integerText(Integer n) {
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

// A number with exactly `decimals` digits after a full stop, rounded as to_chars
// rounds (to the nearest, ties to even on the exact binary value). No locale.
std::string fixedText(double value, int decimals);

}  // namespace kalvor
