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

int FieldReader::peek() {
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

void FieldReader::finishLineEnd(int c) {
    if (c == '\r' && peek() == '\n') get();
}

bool FieldReader::begin() {
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
            open_ = Open::Complete;
            return true;
        }
        c = get();  // a blank line
    }
    field_.text.clear();
    field_.cut = false;
    if (c == '"') {
        open_ = Open::Quoted;
    } else {
        open_ = Open::Plain;
        if (c == ',') close(c);
        else take(c);
    }
    return true;
}

void FieldReader::take(int c) {
    const auto byte = static_cast<char>(c);
    if (number_ && !number_->feed(byte)) number_ = nullptr;
    if (field_.text.size() < kFieldCap) field_.text.push_back(byte);
    // Blanks at the end of an unquoted field are no part of it.
    else if (open_ == Open::Quoted || !isBlank(c)) field_.cut = true;
}

void FieldReader::close(int c) {
    if (open_ == Open::Plain && !field_.cut) {
        while (!field_.text.empty() && isBlank(static_cast<unsigned char>(field_.text.back()))) field_.text.pop_back();
    }
    finishLineEnd(c);
    atLineStart_ = (c != ',');
    open_ = Open::Complete;
}

void FieldReader::readOn(std::size_t limit) {
    if (open_ == Open::Plain) {
        while (field_.text.size() < limit) {
            const int c = get();
            if (c == kEnd || c == ',' || isLineEnd(c)) return close(c);
            take(c);
        }
    } else if (open_ == Open::Quoted) {
        while (field_.text.size() < limit) {
            int c = get();
            if (c == '"') {
                for (c = get(); c != kEnd && c != ',' && !isLineEnd(c);) c = get();
                return close(c);
            }
            if (c == kEnd) return close(c);
            take(c);
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

std::optional<Field> FieldReader::next(LeadingNumber* number) {
    number_ = number;
    if (open_ == Open::No) {
        if (!begin()) return std::nullopt;
    } else {
        // Begun by startOfNext: its bytes so far are all in the text.
        for (char byte : field_.text)
            if (number_ && !number_->feed(byte)) number_ = nullptr;
    }
    readOn(std::numeric_limits<std::size_t>::max());
    open_ = Open::No;
    number_ = nullptr;
    return std::move(field_);
}

}  // namespace kalvor
