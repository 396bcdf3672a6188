#include "import/Permanence.h"

#include "core/NumberText.h"
#include "import/FieldReader.h"

namespace kalvor {
namespace {

using Outcome = PermanenceRead::Outcome;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr int kHeaderFields = 4;

// Fields 1 to 4, or nothing when the file ends (or fails) before the fourth.
// An editor's UTF-8 byte-order mark is no part of the first field.
std::optional<std::array<std::string, kHeaderFields>> readHeader(FieldReader& reader) {
    std::array<std::string, kHeaderFields> header;
    for (auto& field : header) {
        auto next = reader.next();
        if (!next) return std::nullopt;
        field = std::move(*next);
    }
    if (header[0].starts_with(kUtf8Mark)) header[0].erase(0, kUtf8Mark.size());
    return header;
}

}  // namespace

FieldKind classifyField(std::string_view field) {
    if (field.starts_with('-')) return FieldKind::Separator;
    if (field.starts_with('=')) return FieldKind::EndMark;
    return FieldKind::Number;
}

bool isPermanenceHeader(std::string_view firstField) { return firstField.starts_with("Spielbank"); }

PermanenceRead readPermanence(FileSystem& files, const std::string& path) {
    PermanenceRead result;
    std::array<std::string, kHeaderFields> header;

    // Counting pass.
    {
        auto in = files.open(path);
        if (!in) return result;
        if (in->peek() == std::char_traits<char>::eof()) {
            if (!in->bad()) result.outcome = Outcome::Empty;
            return result;
        }
        FieldReader reader(*in);
        // The first field alone decides whether this is a permanence at all, even
        // when the file ends right after it.
        auto first = reader.next();
        if (!first) return result;
        std::string firstField = *first;
        if (firstField.starts_with(kUtf8Mark)) firstField.erase(0, kUtf8Mark.size());
        if (!isPermanenceHeader(firstField)) {
            result.outcome = Outcome::NotPermanence;
            return result;
        }
        header[0] = std::move(firstField);
        for (int i = 1; i < kHeaderFields; ++i) {
            auto next = reader.next();
            if (!next) return result;
            header[static_cast<std::size_t>(i)] = std::move(*next);
        }
        while (auto field = reader.next()) {
            const FieldKind kind = classifyField(*field);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Number) ++result.count;
        }
        if (reader.failed()) return result;
    }

    // Filling pass: the same reader over the same file, into a list of its final size.
    std::vector<std::optional<double>> numbers(result.count + kPermMargin + 1);
    {
        auto in = files.open(path);
        if (!in) return result;
        FieldReader reader(*in);
        const auto again = readHeader(reader);
        if (!again || *again != header) return result;
        std::size_t i = 0;
        while (auto field = reader.next()) {
            const FieldKind kind = classifyField(*field);
            if (kind == FieldKind::EndMark) break;
            if (kind == FieldKind::Separator) continue;
            // More numbers than counted: the file changed under us.
            if (++i > result.count) return result;
            numbers[i] = numericValue(*field);
        }
        if (reader.failed() || i != result.count) return result;
    }

    for (std::size_t k = 0; k < result.header.size(); ++k) result.header[k] = std::move(header[k]);
    result.numbers = std::move(numbers);
    result.outcome = Outcome::Read;
    return result;
}

}  // namespace kalvor
