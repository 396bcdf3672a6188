#pragma once
// Texts from files arrive as bytes: UTF-8 when they are valid UTF-8, otherwise
// the Windows code page 1252 in which such files have traditionally been written.

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvor {

// The bytes of the valid UTF-8 character that starts at `at`: 1 to 4, or 0 when
// none does. Valid means the shortest form, no surrogate, nothing beyond U+10FFFF.
// The one place that decides what valid UTF-8 is.
std::size_t validCharacterLength(std::string_view text, std::size_t at);
bool isValidUtf8(std::string_view bytes);
// True for the second to fourth byte of a UTF-8 character.
constexpr bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }
// The bytes a UTF-8 character's lead byte announces: 1 to 4.
constexpr std::size_t sequenceLength(char lead) {
    const auto b = static_cast<unsigned char>(lead);
    return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}
// Bytes of the UTF-8 character that starts at `at`; where none starts, the bytes
// that a decoder replaces as one (the lead byte with the continuation bytes that
// fit it, at least one byte).
std::size_t characterLength(std::string_view text, std::size_t at);

// How text read from files is made safe for another program to show: a tab or a
// line break (CR LF, CR or LF, U+2028, U+2029) becomes `lineBreak`, any other
// control character (U+0000-U+001F, U+007F-U+009F) and every character that shows
// nothing but may change what is shown (the bidirectional controls such as U+202E,
// zero-width characters, the soft hyphen, variation selectors, tags: Unicode's
// default-ignorable code points, and U+FFF9-U+FFFB) becomes `control`, and each
// byte run that starts no valid character (as characterLength spans it) becomes
// U+FFFD. The result is valid UTF-8 on one line that reads in the order it is stored.
struct CleanRules {
    std::string_view lineBreak;
    std::string_view control;
};
std::string cleanText(std::string_view bytes, CleanRules rules);
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD
std::string windows1252ToUtf8(std::string_view bytes);
// The bytes as UTF-8 text, decoded by the rule above.
std::string decodeText(std::string_view bytes);
// The same for a line to show: at most maxChars characters, the last of them "…"
// when the text is longer. bytesCut says the bytes are only the start of a longer
// text, which may end inside a character.
std::string decodeLine(std::string_view bytes, std::size_t maxChars, bool bytesCut = false);

}  // namespace kalvor
