#pragma once
// A permanence file as the import sees it: three header fields to show, a fourth
// that is skipped, then data fields up to an end mark or the end of the file.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/FileSystem.h"

namespace kalvor {

// The extra empty elements the list keeps beyond its last number.
inline constexpr std::size_t kPermMargin = 20;

enum class FieldKind { Separator, EndMark, Number };

// By the first character: '-' separates blocks (so "-5" is no number), '=' ends the
// data, anything else, the empty field included, is one throw.
FieldKind classifyField(std::string_view field);

// True when the first nine characters are exactly "Spielbank".
bool isPermanenceHeader(std::string_view firstField);

struct PermanenceRead {
    enum class Outcome {
        Read,
        Empty,          // a file of 0 bytes: refused without a word
        NotPermanence,  // the first field does not begin with "Spielbank": refused without a word
        Unreadable,     // missing, unreadable, too short, or changed between the passes
    };
    Outcome outcome = Outcome::Unreadable;
    std::array<std::string, 3> header;  // fields 1 to 3 as the file's bytes
    std::size_t count = 0;              // number fields found
    // Indices 0 to count + kPermMargin; element i holds the i-th number, 1 <= i <= count.
    std::vector<std::optional<double>> numbers;
};

// Reads the file at path in two passes, counting and then filling a list allocated
// at its final size between them. Nothing outside the result is touched, so a
// failure in either pass leaves the caller free to change nothing.
PermanenceRead readPermanence(FileSystem& files, const std::string& path);

}  // namespace kalvor
