#pragma once
// Splits a permanence file into its fields, the way both passes of the import
// read it. One reader for both passes, so that they classify every field alike.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
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
//   While the header is read (keepBlankLines), a blank line is an empty field.
// - The file ends the fields: there is no field after the last one, even when the
//   last line ends with a comma.
// Lets another thread follow a reading and stop it.
struct ReadWatch {
    std::atomic<std::uint64_t> bytesRead{0};    // by every reader given this watch
    std::atomic<std::uint64_t> bytesToRead{0};  // what the readings will take in all, once known
    std::atomic<bool> cancelled{false};         // set to stop the reading at its next block
};

class FieldReader {
public:
    // The watch, when given, counts the bytes read and can stop the reading.
    explicit FieldReader(std::istream& in, ReadWatch* watch = nullptr);
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;

    // The next field, valid until the following call; nullptr at the end of the file,
    // on a read error or once cancelled. Every byte of the field, also those beyond
    // the cap, goes to number when one is given.
    const Field* next(LeadingNumber* number = nullptr);
    // The next field as next() gives it, with no more than its first 16 bytes in the
    // text: what classifies it, read faster.
    const Field* skip();
    // The first bytes of the next field, at most count (and kFieldCap) of them, fewer
    // when the field is shorter; the rest is not read yet, and the following next()
    // gives the whole field. Nothing at the end of the file or on a read error.
    std::optional<std::string> startOfNext(std::size_t count);
    // While set, a blank line is an empty field instead of being passed over (the
    // header, whose fields are counted by place).
    void keepBlankLines(bool keep) { keepBlankLines_ = keep; }
    // True when reading stopped because the file could not be read or the watch
    // cancelled it.
    bool failed() const { return in_.bad() || cancelled_; }
    bool cancelled() const { return cancelled_; }

private:
    // The next byte, or the end. The file is taken from the stream in blocks and
    // scanned there; only a new block can fail or be cancelled.
    int get() {
        if (pos_ == end_ && !refill()) return kEnd;
        return static_cast<unsigned char>(*pos_++);
    }
    int peek() {
        if (pos_ == end_ && !refill()) return kEnd;
        return static_cast<unsigned char>(*pos_);
    }
    // The next block; false at the end of the file, on a read error or once cancelled.
    bool refill();
    void stop(std::ios::iostate why);
    // Consumes the LF of a CR LF pair after a CR.
    void finishLineEnd(int c);
    // The first byte c at or after pos_ in the block, or end_; remembered in found
    // until pos_ passes it, so that a block is scanned once per byte value.
    const char* nextOf(char c, const char*& found);
    // Where the unquoted field at pos_ ends in the block: its comma or line end, or end_.
    const char* plainEnd();

    // The usual field at once: when it starts at pos_ with a byte that needs no
    // rule, holds no blank and ends within a few bytes in this block, takes it and
    // its delimiter and returns true. Anything else is left to begin() and readOn().
    bool quickField();
    // Opens the next field; false at the end.
    bool begin();
    // Reads on in the open field until it ends or its text holds limit bytes.
    void readOn(std::size_t limit);
    // Takes the bytes [from, to) of the open field into its text, as far as the text
    // has room below limit; returns where it stopped.
    const char* take(const char* from, const char* to, std::size_t limit);
    // Bytes the text has no room for.
    void takeBeyondCap(const char* from, const char* to);
    // Gives number_ the bytes of the text it has not had yet. The number of a field
    // that fits the cap is read from its text once the field has ended, so that the
    // reading loop stays small.
    void feedNumber();
    // The field ended at c (its delimiter or the end).
    void close(int c);

    static constexpr int kEnd = std::char_traits<char>::eof();
    static constexpr std::size_t kBlock = 64 * 1024;

    enum class Open { No, Plain, Quoted, Complete };

    std::istream& in_;
    std::streambuf* buffer_;
    ReadWatch* watch_;
    std::unique_ptr<char[]> block_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    const char* comma_ = nullptr;
    const char* cr_ = nullptr;
    const char* lf_ = nullptr;
    const char* quote_ = nullptr;
    bool cancelled_ = false;
    bool keepBlankLines_ = false;
    std::size_t keep_ = kFieldCap;  // the most of a field's bytes its text holds
    bool atLineStart_ = true;
    Open open_ = Open::No;
    Field field_;
    LeadingNumber* number_ = nullptr;
    std::size_t fed_ = 0;  // bytes of the text that number_ has had
};

}  // namespace kalvor
