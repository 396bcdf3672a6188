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

// Fields 1 to 4, or nothing when the file ends (or fails) before the fourth. A blank
// line after the first field is an empty header field: the header keeps its place
// and the data start where the file's layout has them.
std::optional<Header> readHeader(FieldReader& reader) {
    Header header;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const Field* next = reader.next();
        if (!next) return std::nullopt;
        header[i] = *next;
        reader.keepBlankLines(i + 1 < header.size());
    }
    dropUtf8Mark(header[0].text);
    return header;
}

PermanenceRead readList(FileSystem& files, const std::string& path, std::size_t room, ListBudget* budget,
                        ReadWatch* watch);

Outcome outcomeOf(Refusal refusal) {
    switch (refusal) {
    case Refusal::None: return Outcome::Read;
    case Refusal::Empty: return Outcome::Empty;
    case Refusal::NotPermanence: return Outcome::NotPermanence;
    case Refusal::TooLarge: return Outcome::TooLarge;
    default: return Outcome::Unreadable;
    }
}

PermanenceRead refused(PermanenceRead& result, Refusal refusal) {
    result.refusal = refusal;
    result.outcome = outcomeOf(refusal);
    return std::move(result);
}

Refusal refusalOf(FileError error) {
    switch (error) {
    case FileError::NotFound: return Refusal::NotFound;
    case FileError::NoPermission: return Refusal::NoPermission;
    case FileError::NotPlainFile: return Refusal::NotPlainFile;
    case FileError::None:
    case FileError::ReadFailed: break;
    }
    return Refusal::ReadError;
}

// A reading that stopped before its end: why.
Refusal stopped(const FieldReader& reader) { return reader.cancelled() ? Refusal::Cancelled : Refusal::ReadError; }

}  // namespace

FieldKind classifyField(std::string_view field) {
    if (field.starts_with('-')) return FieldKind::Separator;
    if (field.starts_with('=')) return FieldKind::EndMark;
    return FieldKind::Number;
}

bool isPermanenceHeader(std::string_view firstField) { return firstField.starts_with(kIdentification); }

std::string_view refusalText(Refusal refusal) {
    switch (refusal) {
    case Refusal::None: return {};
    case Refusal::Empty: return "leer";
    case Refusal::NotPermanence: return "keine Permanenz";
    case Refusal::NotFound: return "nicht gefunden";
    case Refusal::NoPermission: return "keine Berechtigung";
    case Refusal::NotPlainFile: return "keine normale Datei";
    case Refusal::ReadError: return "Lesefehler";
    case Refusal::TooShort: return "unvollständig: weniger als vier Kopfzeilen";
    case Refusal::TooLarge: return "zu groß für den Arbeitsspeicher";
    case Refusal::Changed: return "während des Lesens verändert";
    case Refusal::Cancelled: return "abgebrochen";
    }
    return {};
}

std::size_t listRoom() { return usableMemory() / 2 / sizeof(int32_t); }

PermanenceRead readPermanence(FileSystem& files, const std::string& path, std::size_t room, ReadWatch* watch) {
    return readList(files, path, room, nullptr, watch);
}

PermanenceRead readPermanence(FileSystem& files, const std::string& path, ListBudget& budget, ReadWatch* watch) {
    return readList(files, path, budget.bytes() / sizeof(int32_t), &budget, watch);
}

namespace {

PermanenceRead readList(FileSystem& files, const std::string& path, std::size_t room, ListBudget* budget,
                        ReadWatch* watch) {
    PermanenceRead result;
    Header header;
    // The list and its margin, element 0 included.
    const std::size_t maxCount = room > kPermMargin ? room - kPermMargin - 1 : 0;

    // Counting pass.
    {
        OpenedFile file = files.open(path);
        if (!file) return refused(result, refusalOf(file.error));
        if (watch) watch->bytesToRead = 2 * file.size;
        std::istream& in = *file.stream;
        if (in.peek() == std::char_traits<char>::eof())
            return refused(result, in.bad() ? Refusal::ReadError : Refusal::Empty);
        FieldReader reader(in, watch);
        // The start of the first field alone decides whether this is a permanence at
        // all, before the rest of it is read: a file of one endless field is refused
        // after a few bytes.
        auto start = reader.startOfNext(kUtf8Mark.size() + kIdentification.size());
        if (!start) return refused(result, reader.failed() ? stopped(reader) : Refusal::TooShort);
        dropUtf8Mark(*start);
        if (!isPermanenceHeader(*start)) return refused(result, Refusal::NotPermanence);
        auto read = readHeader(reader);
        if (!read) return refused(result, reader.failed() ? stopped(reader) : Refusal::TooShort);
        header = std::move(*read);
        // A field's first byte classifies it.
        while (const Field* field = reader.skip()) {
            const FieldKind kind = classifyField(field->text);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Number && ++result.count > maxCount) return refused(result, Refusal::TooLarge);
        }
        if (reader.failed()) return refused(result, stopped(reader));
    }

    // The list at its final size. Within the room a refusal of the memory is still
    // possible (a limited address space); it is this import's failure, reported as
    // such, and not the end of the program.
    std::vector<int32_t> numbers;
    if (budget) {
        auto share = budget->reserve((result.count + kPermMargin + 1) * sizeof(int32_t));
        if (!share) return refused(result, Refusal::TooLarge);
        result.memory = std::move(*share);
    }
    try {
        numbers.reserve(result.count + kPermMargin + 1);
        preferHugePages(numbers.data(), numbers.capacity() * sizeof(int32_t));
        numbers.assign(result.count + kPermMargin + 1, 0);
    } catch (const std::bad_alloc&) {
        return refused(result, Refusal::TooLarge);
    }

    // Filling pass: the same reader over the same file.
    {
        OpenedFile file = files.open(path);
        if (!file) return refused(result, refusalOf(file.error));
        FieldReader reader(*file.stream, watch);
        const auto again = readHeader(reader);
        if (!again) return refused(result, reader.failed() ? stopped(reader) : Refusal::Changed);
        if (*again != header) return refused(result, Refusal::Changed);
        std::size_t i = 0;
        LeadingNumber number;
        while (const Field* field = reader.next(&number)) {
            const FieldKind kind = classifyField(field->text);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Number) {
                // More numbers than counted: the file changed under us.
                if (++i > result.count) return refused(result, Refusal::Changed);
                numbers[i] = playedNumber(number.value());
            }
            number.reset();
        }
        if (reader.failed()) return refused(result, stopped(reader));
        if (i != result.count) return refused(result, Refusal::Changed);
    }

    for (std::size_t k = 0; k < result.header.size(); ++k) result.header[k] = std::move(header[k]);
    result.numbers = std::move(numbers);
    result.outcome = Outcome::Read;
    result.refusal = Refusal::None;
    return result;
}

}  // namespace
}  // namespace kalvor
