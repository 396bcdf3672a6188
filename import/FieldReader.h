#pragma once
// Splits a permanence file into its fields, the way both passes of the import
// read it. One reader for both passes, so that they classify every field alike.

#include <cstddef>
#include <istream>
#include <optional>
#include <streambuf>
#include <string>

#include "core/NumberText.h"

namespace kalvor {

// The most of one field the reader holds, whatever the file: room for any header
// line worth showing and for the first character that classifies a data field.
// A field's number is read as its bytes stream past, so it needs no room at all.
inline constexpr std::size_t kFieldCap = 1024;

struct Field {
    std::string text;  // the field's first bytes, at most kFieldCap of them
    bool cut = false;  // the field went on beyond them

    bool operator==(const Field&) const = default;
};

// Field rules:
// - A field ends at a comma or at a line end; a line ends with CR LF, LF or a lone CR.
// - Blanks and tabs before a field are skipped; after an unquoted field they are
//   dropped, so "17 " and "17" are the same field.
// - A field that begins with a double quote runs to the next double quote, line ends
//   included; the quotes are not part of it, and whatever follows the closing quote
//   up to the next comma or line end is dropped. A quote inside an unquoted field is
//   an ordinary character. A quote that is never closed runs to the end of the file.
// - A line that holds nothing but blanks is passed over: it is no field, so a blank
//   line (also one at the end of the file) never becomes a throw. An empty field is
//   still possible between commas, after a comma at the end of a line, or as "".
// - The file ends the fields: there is no field after the last one, even when the
//   last line ends with a comma.
class FieldReader {
public:
    explicit FieldReader(std::istream& in);

    // The next field, valid until the following call; nullptr at the end of the file
    // or on a read error. Every byte of the field, also those beyond the cap, goes to
    // number when one is given.
    const Field* next(LeadingNumber* number = nullptr);
    // The first bytes of the next field, at most count (and kFieldCap) of them, fewer
    // when the field is shorter; the rest is not read yet, and the following next()
    // gives the whole field. Nothing at the end of the file or on a read error.
    std::optional<std::string> startOfNext(std::size_t count);
    // True when reading stopped because the file could not be read.
    bool failed() const { return in_.bad(); }

private:
    // The next byte, or the end. The stream's buffer is read directly, not through
    // istream::get(), which costs a sentry per byte; its failures end the input the
    // way get() ends it: the end at the end of the file, badbit on a read error.
    int get() {
        if (!buffer_) return kEnd;
        try {
            const int c = buffer_->sbumpc();
            if (c == kEnd) stop(std::ios::eofbit);
            return c;
        } catch (...) {
            stop(std::ios::badbit);
            return kEnd;
        }
    }
    int peek();
    void stop(std::ios::iostate why);
    // Consumes the LF of a CR LF pair after a CR.
    void finishLineEnd(int c);

    // Opens the next field; false at the end.
    bool begin();
    // Reads on in the open field until it ends or its text holds limit bytes.
    void readOn(std::size_t limit);
    // A byte the text has no room for.
    void takeBeyondCap(int c);
    // Gives number_ the bytes of the text it has not had yet. The number of a field
    // that fits the cap is read from its text once the field has ended, so that the
    // reading loop stays small.
    void feedNumber();
    // The field ended at c (its delimiter or the end).
    void close(int c);

    static constexpr int kEnd = std::char_traits<char>::eof();

    enum class Open { No, Plain, Quoted, Complete };

    std::istream& in_;
    std::streambuf* buffer_;
    bool atLineStart_ = true;
    Open open_ = Open::No;
    Field field_;
    LeadingNumber* number_ = nullptr;
    std::size_t fed_ = 0;  // bytes of the text that number_ has had
};

}  // namespace kalvor
