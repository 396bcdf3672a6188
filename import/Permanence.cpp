#include "import/Permanence.h"

#include <limits>
#include <new>

#include "core/NumberText.h"
#include "core/SeriesState.h"

namespace kalvor {
namespace {

using Outcome = PermanenceRead::Outcome;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kIdentification = "Spielbank";
constexpr int kHeaderFields = 4;

using Header = std::array<Field, kHeaderFields>;

// An editor's UTF-8 byte-order mark is no part of the first field.
void dropUtf8Mark(std::string& text) {
    if (text.starts_with(kUtf8Mark)) text.erase(0, kUtf8Mark.size());
}

// Fields 1 to 4, or nothing when the file ends (or fails) before the fourth.
std::optional<Header> readHeader(FieldReader& reader) {
    Header header;
    for (auto& field : header) {
        const Field* next = reader.next();
        if (!next) return std::nullopt;
        field = *next;
    }
    dropUtf8Mark(header[0].text);
    return header;
}

PermanenceRead readList(FileSystem& files, const std::string& path, std::size_t room, ListBudget* budget);

}  // namespace

FieldKind classifyField(std::string_view field) {
    if (field.starts_with('-')) return FieldKind::Separator;
    if (field.starts_with('=')) return FieldKind::EndMark;
    return FieldKind::Number;
}

bool isPermanenceHeader(std::string_view firstField) { return firstField.starts_with(kIdentification); }

std::size_t listRoom() { return usableMemory() / 2 / sizeof(int32_t); }

PermanenceRead readPermanence(FileSystem& files, const std::string& path, std::size_t room) {
    return readList(files, path, room, nullptr);
}

PermanenceRead readPermanence(FileSystem& files, const std::string& path, ListBudget& budget) {
    return readList(files, path, budget.bytes() / sizeof(int32_t), &budget);
}

namespace {

PermanenceRead readList(FileSystem& files, const std::string& path, std::size_t room, ListBudget* budget) {
    PermanenceRead result;
    Header header;
    // The list and its margin, element 0 included.
    const std::size_t maxCount = room > kPermMargin ? room - kPermMargin - 1 : 0;

    // Counting pass.
    {
        auto in = files.open(path);
        if (!in) return result;
        if (in->peek() == std::char_traits<char>::eof()) {
            if (!in->bad()) result.outcome = Outcome::Empty;
            return result;
        }
        FieldReader reader(*in);
        // The start of the first field alone decides whether this is a permanence at
        // all, before the rest of it is read: a file of one endless field is refused
        // after a few bytes.
        auto start = reader.startOfNext(kUtf8Mark.size() + kIdentification.size());
        if (!start) return result;
        dropUtf8Mark(*start);
        if (!isPermanenceHeader(*start)) {
            result.outcome = Outcome::NotPermanence;
            return result;
        }
        auto read = readHeader(reader);
        if (!read) return result;
        header = std::move(*read);
        while (const Field* field = reader.next()) {
            const FieldKind kind = classifyField(field->text);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Number && ++result.count > maxCount) {
                result.outcome = Outcome::TooLarge;
                return result;
            }
        }
        if (reader.failed()) return result;
    }

    // The list at its final size. Within the room a refusal of the memory is still
    // possible (a limited address space); it is this import's failure, reported as
    // such, and not the end of the program.
    std::vector<int32_t> numbers;
    if (budget) {
        auto share = budget->reserve((result.count + kPermMargin + 1) * sizeof(int32_t));
        if (!share) {
            result.outcome = Outcome::TooLarge;
            return result;
        }
        result.memory = std::move(*share);
    }
    try {
        numbers.assign(result.count + kPermMargin + 1, 0);
    } catch (const std::bad_alloc&) {
        result.outcome = Outcome::TooLarge;
        return result;
    }

    // Filling pass: the same reader over the same file.
    {
        auto in = files.open(path);
        if (!in) return result;
        FieldReader reader(*in);
        const auto again = readHeader(reader);
        if (!again || *again != header) return result;
        std::size_t i = 0;
        LeadingNumber number;
        while (const Field* field = reader.next(&number)) {
            const FieldKind kind = classifyField(field->text);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Number) {
                // More numbers than counted: the file changed under us.
                if (++i > result.count) return result;
                numbers[i] = playedNumber(number.value());
            }
            number.reset();
        }
        if (reader.failed() || i != result.count) return result;
    }

    for (std::size_t k = 0; k < result.header.size(); ++k) result.header[k] = std::move(header[k]);
    result.numbers = std::move(numbers);
    result.outcome = Outcome::Read;
    return result;
}

}  // namespace
}  // namespace kalvor
