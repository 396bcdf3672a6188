#pragma once
// A permanence file as the import sees it: three header fields to show, a fourth
// that is skipped, then data fields up to an end mark or the end of the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/SeriesState.h"
#include "import/FieldReader.h"
#include "import/FileSystem.h"
#include "import/ListBudget.h"

namespace kalvor {

enum class FieldKind { Separator, EndMark, Number };

// By the first character: '-' separates blocks (so "-5" is no number), '=' ends the
// data, anything else, the empty field included, is one throw.
FieldKind classifyField(std::string_view field);

// True when the first nine characters are exactly "Spielbank".
bool isPermanenceHeader(std::string_view firstField);

// Why a file was not imported.
enum class Refusal {
    None,           // it was
    Empty,          // a file of 0 bytes
    NotPermanence,  // the first field does not begin with "Spielbank"
    NotFound,
    NoPermission,
    NotPlainFile,  // a directory, FIFO, socket or device
    ReadError,
    TooShort,   // fewer than four header fields
    TooLarge,   // more numbers than the list can hold in this machine's memory
    Changed,    // the second pass found another file than the first
    Cancelled,  // stopped by the user
};

// Why, in a few German words: "nicht gefunden", "keine Berechtigung", ...; empty for None.
std::string_view refusalText(Refusal refusal);

struct PermanenceRead {
    enum class Outcome {
        Read,
        Empty,          // a file of 0 bytes: refused without a word
        NotPermanence,  // the first field does not begin with "Spielbank": refused without a word
        Unreadable,     // missing, unreadable, too short, or changed between the passes
        TooLarge,       // more numbers than the list can hold in this machine's memory
    };
    Outcome outcome = Outcome::Unreadable;
    Refusal refusal = Refusal::ReadError;  // None exactly when outcome is Read
    std::array<Field, 3> header;           // fields 1 to 3 as the file's bytes, each cut at kFieldCap
    std::size_t count = 0;                 // number fields found
    // Indices 0 to count + kPermMargin; element i is the i-th number as its throw
    // plays it (playedNumber), 1 <= i <= count; the others are 0.
    std::vector<int32_t> numbers;
    // The list's share of a budget, when it was read with one.
    ListBudget::Reservation memory;
};

// How many numbers a list may hold: a list may take half of the memory the process
// may use (the machine's, or a control group's limit).
std::size_t listRoom();

// Reads the file at path in two passes, counting and then filling a list allocated
// at its final size between them. Nothing outside the result is touched, so a
// failure in either pass leaves the caller free to change nothing. A file with more
// than room numbers is refused as soon as the count passes it. The watch, when
// given, follows both passes and can cancel them.
PermanenceRead readPermanence(FileSystem& files, const std::string& path, std::size_t room = listRoom(),
                              ReadWatch* watch = nullptr);
// The same for imports side by side: the room is the whole budget, and the list, once
// counted, waits for its share of it (kept in the result's memory).
PermanenceRead readPermanence(FileSystem& files, const std::string& path, ListBudget& budget,
                              ReadWatch* watch = nullptr);

}  // namespace kalvor
