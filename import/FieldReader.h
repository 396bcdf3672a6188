#pragma once
// Splits a permanence file into its fields, the way both passes of the import
// read it. One reader for both passes, so that they classify every field alike.

#include <istream>
#include <optional>
#include <streambuf>
#include <string>

namespace kalvor {

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

    // The next field as bytes; nothing at the end of the file or on a read error.
    std::optional<std::string> next();
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

    static constexpr int kEnd = std::char_traits<char>::eof();

    std::istream& in_;
    std::streambuf* buffer_;
    bool atLineStart_ = true;
};

}  // namespace kalvor
