#include "import/FieldReader.h"

#include <algorithm>
#include <limits>

namespace kalvor {
namespace {

bool isBlank(int c) { return c == ' ' || c == '\t'; }
bool isLineEnd(int c) { return c == '\r' || c == '\n'; }

}  // namespace

FieldReader::FieldReader(std::istream& in) : in_(in), buffer_(in.good() ? in.rdbuf() : nullptr) {
    if (!buffer_) in_.setstate(std::ios::failbit);
}

void FieldReader::stop(std::ios::iostate why) {
    buffer_ = nullptr;
    // Whatever ended the input, the stream records it, as istream::get() would.
    in_.setstate(why | std::ios::failbit);
}

inline int FieldReader::peek() {
    if (!buffer_) return kEnd;
    try {
        const int c = buffer_->sgetc();
        if (c == kEnd) stop(std::ios::eofbit);
        return c;
    } catch (...) {
        stop(std::ios::badbit);
        return kEnd;
    }
}

inline void FieldReader::finishLineEnd(int c) {
    if (c == '\r' && peek() == '\n') get();
}

inline bool FieldReader::begin() {
    int c = get();
    for (;;) {
        while (isBlank(c)) c = get();
        if (c == kEnd) return false;
        if (!isLineEnd(c)) break;
        finishLineEnd(c);
        if (!atLineStart_) {
            // A comma right before the line end: an empty field.
            atLineStart_ = true;
            field_.text.clear();
            field_.cut = false;
            fed_ = 0;
            open_ = Open::Complete;
            return true;
        }
        c = get();  // a blank line
    }
    field_.text.clear();
    field_.cut = false;
    fed_ = 0;
    if (c == '"') {
        open_ = Open::Quoted;
    } else {
        open_ = Open::Plain;
        if (c == ',') close(c);
        else field_.text.push_back(static_cast<char>(c));
    }
    return true;
}

inline void FieldReader::feedNumber() {
    if (number_ && fed_ < field_.text.size() && !number_->feed(std::string_view(field_.text).substr(fed_)))
        number_ = nullptr;
    fed_ = field_.text.size();
}

void FieldReader::takeBeyondCap(int c) {
    // The number has all the bytes before this one, and gets the rest one by one.
    feedNumber();
    const auto byte = static_cast<char>(c);
    if (number_ && !number_->feed(byte)) number_ = nullptr;
    // Blanks at the end of an unquoted field are no part of it.
    if (open_ == Open::Quoted || !isBlank(c)) field_.cut = true;
}

inline void FieldReader::close(int c) {
    feedNumber();
    if (open_ == Open::Plain && !field_.cut) {
        while (!field_.text.empty() && isBlank(static_cast<unsigned char>(field_.text.back()))) field_.text.pop_back();
    }
    finishLineEnd(c);
    atLineStart_ = (c != ',');
    open_ = Open::Complete;
}

inline void FieldReader::readOn(std::size_t limit) {
    std::string& text = field_.text;
    if (open_ == Open::Plain) {
        while (text.size() < limit) {
            const int c = get();
            if (c == kEnd || c == ',' || isLineEnd(c)) return close(c);
            if (text.size() < kFieldCap) text.push_back(static_cast<char>(c));
            else takeBeyondCap(c);
        }
    } else if (open_ == Open::Quoted) {
        while (text.size() < limit) {
            int c = get();
            if (c == '"') {
                for (c = get(); c != kEnd && c != ',' && !isLineEnd(c);) c = get();
                return close(c);
            }
            if (c == kEnd) return close(c);
            if (text.size() < kFieldCap) text.push_back(static_cast<char>(c));
            else takeBeyondCap(c);
        }
    }
}

std::optional<std::string> FieldReader::startOfNext(std::size_t count) {
    if (open_ == Open::No) {
        number_ = nullptr;
        if (!begin()) return std::nullopt;
    }
    count = std::min(count, kFieldCap);
    readOn(count);
    return field_.text.substr(0, count);
}

const Field* FieldReader::next(LeadingNumber* number) {
    if (open_ == Open::No && !begin()) return nullptr;
    number_ = number;
    readOn(std::numeric_limits<std::size_t>::max());
    // A field that ended before next() was called (an empty one, or one that
    // startOfNext read whole) still gives its number.
    feedNumber();
    open_ = Open::No;
    number_ = nullptr;
    return &field_;
}

}  // namespace kalvor
