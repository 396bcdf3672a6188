#pragma once
// Conversions between numbers and the texts of labels, boxes and files.

#include <optional>
#include <string>
#include <string_view>

namespace kalvor {

// The lenient reading used for counters, permanence fields and the acceptance
// test of the input boxes: blanks, tabs and line feeds are dropped wherever they
// stand, then the longest leading number is read (sign, digits with one full stop,
// exponent with E or D; "&H"/"&O" for hexadecimal and octal). Never fails: a text
// without a leading number is 0, and a value beyond a double saturates at its limit.
double numericValue(std::string_view text);

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

}  // namespace kalvor
