#include "import/FieldReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kalvor {
namespace {

bool isBlank(int c) { return c == ' ' || c == '\t'; }
bool isLineEnd(int c) { return c == '\r' || c == '\n'; }

}  // namespace

FieldReader::FieldReader(std::istream& in, ReadWatch* watch)
    : in_(in), buffer_(in.good() ? in.rdbuf() : nullptr), watch_(watch), block_(new char[kBlock]) {
    if (!buffer_) in_.setstate(std::ios::failbit);
}

void FieldReader::stop(std::ios::iostate why) {
    buffer_ = nullptr;
    // Whatever ended the input, the stream records it, as istream::get() would.
    in_.setstate(why | std::ios::failbit);
}

bool FieldReader::refill() {
    if (!buffer_) return false;
    if (watch_ && watch_->cancelled.load(std::memory_order_relaxed)) {
        cancelled_ = true;
        buffer_ = nullptr;
        return false;
    }
    std::streamsize got = 0;
    // The stream's failures end the input the way get() ends it: the end at the end
    // of the file, badbit on a read error (a stream buffer reports one by throwing).
    try {
        std::streamsize ready = buffer_->in_avail();
        if (ready <= 0) {
            if (buffer_->sgetc() == kEnd) {
                stop(std::ios::eofbit);
                return false;
            }
            ready = std::max<std::streamsize>(buffer_->in_avail(), 1);
        }
        got = buffer_->sgetn(block_.get(), std::min<std::streamsize>(ready, kBlock));
    } catch (...) {
        stop(std::ios::badbit);
        return false;
    }
    if (got <= 0) {
        stop(std::ios::eofbit);
        return false;
    }
    pos_ = block_.get();
    end_ = pos_ + got;
    comma_ = cr_ = lf_ = quote_ = nullptr;
    if (watch_) watch_->bytesRead.fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
    return true;
}

const char* FieldReader::nextOf(char c, const char*& found) {
    if (!found || found < pos_) {
        const void* hit = std::memchr(pos_, c, static_cast<std::size_t>(end_ - pos_));
        found = hit ? static_cast<const char*>(hit) : end_;
    }
    return found;
}

const char* FieldReader::plainEnd() { return std::min({nextOf(',', comma_), nextOf('\r', cr_), nextOf('\n', lf_)}); }

inline void FieldReader::finishLineEnd(int c) {
    if (c == '\r' && peek() == '\n') get();
}

inline bool FieldReader::quickField() {
    // Room for the longest such field, its delimiter and the LF after a CR.
    constexpr std::ptrdiff_t kQuickBytes = 16;
    if (end_ - pos_ < kQuickBytes + 2) return false;
    const char first = *pos_;
    if (isBlank(first) || isLineEnd(first) || first == ',' || first == '"') return false;
    // Byte by byte into the text: a call to copy two digits would cost more.
    std::string& text = field_.text;
    text.clear();
    text.push_back(first);
    const char* p = pos_ + 1;
    const char* const last = pos_ + std::min<std::size_t>(kQuickBytes, keep_);
    for (; p != last; ++p) {
        const char c = *p;
        if (c == ',' || isLineEnd(c)) break;
        if (isBlank(c)) return false;  // dropped or kept: readOn() knows
        text.push_back(c);
    }
    if (p == last) return false;
    field_.cut = false;
    fed_ = 0;
    atLineStart_ = *p != ',';
    pos_ = p + (*p == '\r' && p[1] == '\n' ? 2 : 1);
    return true;
}

inline bool FieldReader::begin() {
    int c = get();
    for (;;) {
        while (isBlank(c)) c = get();
        if (c == kEnd) return false;
        if (!isLineEnd(c)) break;
        finishLineEnd(c);
        if (!atLineStart_ || keepBlankLines_) {
            // A comma right before the line end, or a blank line of the header: an
            // empty field.
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

void FieldReader::takeBeyondCap(const char* from, const char* to) {
    // The number has all the bytes before these, and gets these too.
    feedNumber();
    if (number_ && !number_->feed(std::string_view(from, static_cast<std::size_t>(to - from)))) number_ = nullptr;
    // Blanks at the end of an unquoted field are no part of it.
    if (!field_.cut) field_.cut = open_ == Open::Quoted ? from != to : std::find_if_not(from, to, isBlank) != to;
}

const char* FieldReader::take(const char* from, const char* to, std::size_t limit) {
    std::string& text = field_.text;
    if (text.size() < keep_) {
        const std::size_t room = std::min(limit, keep_) - text.size();
        const auto n = std::min(room, static_cast<std::size_t>(to - from));
        text.append(from, n);
        from += n;
        if (from == to || text.size() >= limit) return from;
    }
    // Only next() reads beyond the cap; its limit has no end.
    takeBeyondCap(from, to);
    return to;
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

void FieldReader::readOn(std::size_t limit) {
    std::string& text = field_.text;
    if (open_ == Open::Plain) {
        const std::size_t room = std::min(limit, keep_);
        while (text.size() < limit) {
            if (pos_ == end_ && !refill()) return close(kEnd);
            if (text.size() < room) {
                // Byte by byte while the text has room: most fields are a few digits,
                // ended sooner than a scan for each delimiter would find it.
                const char* p = pos_;
                const char* last = pos_ + std::min<std::ptrdiff_t>(room - text.size(), end_ - pos_);
                while (p != last && *p != ',' && *p != '\r' && *p != '\n') ++p;
                text.append(pos_, static_cast<std::size_t>(p - pos_));
                pos_ = p;
                if (p != last) {
                    ++pos_;
                    return close(static_cast<unsigned char>(*p));
                }
                continue;
            }
            // Beyond the cap, the rest of the field is scanned for its end: a short
            // look first, for the fields that skip() keeps only the first byte of.
            const char* stop = pos_;
            const char* quick = pos_ + std::min<std::ptrdiff_t>(16, end_ - pos_);
            while (stop != quick && *stop != ',' && *stop != '\r' && *stop != '\n') ++stop;
            if (stop == quick && quick != end_) stop = plainEnd();
            takeBeyondCap(pos_, stop);
            pos_ = stop;
            if (stop != end_) {
                ++pos_;
                return close(static_cast<unsigned char>(*stop));
            }
        }
        return;
    }
    if (open_ != Open::Quoted) return;
    while (text.size() < limit) {
        if (pos_ == end_ && !refill()) return close(kEnd);
        const char* stop = nextOf('"', quote_);
        pos_ = take(pos_, stop, limit);
        if (pos_ != stop) return;  // the text holds limit bytes
        if (stop == end_) continue;
        ++pos_;
        // The closing quote: what follows it up to the delimiter is dropped.
        for (;;) {
            if (pos_ == end_ && !refill()) return close(kEnd);
            const char* delimiter = plainEnd();
            pos_ = delimiter;
            if (delimiter != end_) return close(get());
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

const Field* FieldReader::skip() {
    // Room for a usual field whole, so that it ends in the plain byte loop.
    keep_ = 16;
    const Field* field = next();
    keep_ = kFieldCap;
    return field;
}

const Field* FieldReader::next(LeadingNumber* number) {
    if (open_ == Open::No) {
        if (quickField()) {
            number_ = number;
            feedNumber();
            number_ = nullptr;
            return &field_;
        }
        if (!begin()) return nullptr;
    }
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
