#pragma once
// The text cells of the report: always UTF-8, nothing that steers a terminal, and
// nothing a spreadsheet takes for a formula.

#include <string>
#include <string_view>

#include "import/FieldReader.h"

namespace kalvor {

// The bytes as UTF-8 text on one line: each byte that starts no valid UTF-8
// character (each longest start of one, as decoders replace it) becomes U+FFFD; a
// tab or a line break (CR LF, CR or LF) becomes a blank; any other control character
// (U+0000-U+001F, U+007F-U+009F) becomes U+FFFD.
std::string cleanText(std::string_view bytes);

// A text cell of the CSV: cleaned as above, with a single quote put before a text
// that begins with "=", "+", "-", "@", a tab or a CR.
std::string csvText(std::string_view bytes);

// A header field as the import read it, decoded as the window decodes it (UTF-8,
// or Windows-1252 when it is not UTF-8) but not cut for the window: the whole field
// up to the reader's limit, with "…" after it when the field went on.
std::string headerText(const Field& field);

}  // namespace kalvor
