#pragma once
// CSV as RFC 4180 writes it: CR LF after every line; a field holding a comma, a
// double quote, CR or LF is quoted, and its quotes are doubled. Text cells are
// always UTF-8, with nothing that steers a terminal and nothing a spreadsheet
// takes for a formula.

#include <span>
#include <string>
#include <string_view>

#include "core/TextEncoding.h"

namespace kalvor {

// Text bound for a CSV cell or a terminal: one line, control characters as U+FFFD.
inline constexpr CleanRules kCsvCleaning{" ", kReplacementCharacter};

// A text cell: cleaned as above, with a single quote put before a text that
// begins with "=", "+", "-", "@", a tab or a CR.
std::string csvText(std::string_view bytes);

void appendCsvField(std::string& out, std::string_view field);
// The fields joined by commas, with the line end.
void appendCsvLine(std::string& out, std::span<const std::string> fields);

}  // namespace kalvor
