#pragma once
// Texts from files arrive as bytes: UTF-8 when they are valid UTF-8, otherwise
// the Windows code page 1252 in which such files have traditionally been written.

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvor {

bool isValidUtf8(std::string_view bytes);
std::string windows1252ToUtf8(std::string_view bytes);
// The bytes as UTF-8 text, decoded by the rule above.
std::string decodeText(std::string_view bytes);
// The same for a line to show: at most maxChars characters, the last of them "…"
// when the text is longer. bytesCut says the bytes are only the start of a longer
// text, which may end inside a character.
std::string decodeLine(std::string_view bytes, std::size_t maxChars, bool bytesCut = false);

}  // namespace kalvor
