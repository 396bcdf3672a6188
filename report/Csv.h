#pragma once
// CSV as RFC 4180 writes it: CR LF after every line; a field holding a comma, a
// double quote, CR or LF is quoted, and its quotes are doubled.

#include <span>
#include <string>
#include <string_view>

namespace kalvor {

void appendCsvField(std::string& out, std::string_view field);
// The fields joined by commas, with the line end.
void appendCsvLine(std::string& out, std::span<const std::string> fields);

}  // namespace kalvor
