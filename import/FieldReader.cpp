#include "import/FieldReader.h"

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

std::optional<std::string> FieldReader::next() {
    int c = get();
    for (;;) {
        while (isBlank(c)) c = get();
        if (c == kEnd) return std::nullopt;
        if (!isLineEnd(c)) break;
        finishLineEnd(c);
        if (!atLineStart_) {
            // A comma right before the line end: an empty field.
            atLineStart_ = true;
            return std::string();
        }
        c = get();  // a blank line
    }

    std::string field;
    if (c == '"') {
        for (c = get(); c != kEnd && c != '"'; c = get()) field.push_back(static_cast<char>(c));
        if (c == '"') c = get();
        while (c != kEnd && c != ',' && !isLineEnd(c)) c = get();
    } else {
        for (; c != kEnd && c != ',' && !isLineEnd(c); c = get()) field.push_back(static_cast<char>(c));
        while (!field.empty() && isBlank(static_cast<unsigned char>(field.back()))) field.pop_back();
    }
    finishLineEnd(c);
    atLineStart_ = (c != ',');
    return field;
}

}  // namespace kalvor
