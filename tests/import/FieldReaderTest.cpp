// How a permanence file splits into fields.

#include <gtest/gtest.h>

#include <sstream>

#include "import/FieldReader.h"
#include "tests/support/FakeFileSystem.h"

using namespace kalvor;

namespace {

std::vector<std::string> fields(const std::string& text) {
    std::istringstream in(text);
    FieldReader reader(in);
    std::vector<std::string> out;
    while (auto f = reader.next()) out.push_back(f->text);
    EXPECT_FALSE(reader.failed());
    return out;
}

using Fields = std::vector<std::string>;

}  // namespace

namespace kalvor {
// A field as a failing test shows it.
void PrintTo(const Field& field, std::ostream* out) {
    *out << ::testing::PrintToString(field.text) << (field.cut ? "…" : "");
}
}  // namespace kalvor

namespace {

std::optional<std::string> text(const Field* field) {
    if (!field) return std::nullopt;
    return field->text;
}

}  // namespace

TEST(FieldReader, LinesEndWithCrLfLfOrALoneCr) {
    EXPECT_EQ(fields("a\r\nb\nc\rd"), (Fields{"a", "b", "c", "d"}));
    EXPECT_EQ(fields("a\r\n\r\nb\r\r"), (Fields{"a", "b"}));
}

TEST(FieldReader, CommasBlanksAndEmptyFields) {
    EXPECT_EQ(fields("  17  ,1 7,\t3x\n"), (Fields{"17", "1 7", "3x"}));
    // An empty field between commas and after a comma at a line end; none after a
    // comma at the end of the file.
    EXPECT_EQ(fields("1,,2,\n3,"), (Fields{"1", "", "2", "", "3"}));
    // Blank lines, also of blanks only, and at the end, are no fields.
    EXPECT_EQ(fields("\n   \n1\n \t \n\n"), (Fields{"1"}));
    EXPECT_EQ(fields(""), Fields{});
}

TEST(FieldReader, QuotedFieldsRunToTheNextQuote) {
    EXPECT_EQ(fields("\"Spielbank, Hamburg\",\"a\nb\"\n"), (Fields{"Spielbank, Hamburg", "a\nb"}));
    // What follows the closing quote up to the delimiter is dropped; a quote inside a
    // field is an ordinary character; an open quote runs to the end.
    EXPECT_EQ(fields("  \"12\" x,5\"6\n\"open,\r\nend"), (Fields{"12", "5\"6", "open,\r\nend"}));
    EXPECT_EQ(fields("\"\"\n"), (Fields{""}));
}

TEST(FieldReader, ReadErrorEndsTheFieldsAndIsReported) {
    std::istringstream in("1\n2\n");
    in.setstate(std::ios::badbit);
    FieldReader reader(in);
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.failed());
}

TEST(FieldReader, ReadErrorMidwayKeepsTheFieldsBeforeIt) {
    // The disk fails after a comma, and after a CR whose LF is looked for.
    for (const char* bytes : {"Spielbank\r\n17,", "Spielbank\r\n17\r"}) {
        SCOPED_TRACE(bytes);
        kalvor::testing::FailingStream in(bytes);
        FieldReader reader(in);
        EXPECT_EQ(text(reader.next()), "Spielbank");
        EXPECT_EQ(text(reader.next()), "17");
        EXPECT_FALSE(reader.next());
        EXPECT_TRUE(reader.failed());
        EXPECT_FALSE(reader.next());
    }
}

TEST(FieldReader, LongFieldsAreHeldOnlyUpToTheCapAndTheirNumberReadsWhole) {
    std::istringstream in("\"" + std::string(5000, 'a') + "\"x," + std::string(100000, '0') + "17" +
                          std::string(3000, ' ') + ",Spielbank Hamburg\n" + std::string(kFieldCap, 'b') + "   \n");
    FieldReader reader(in);
    const Field* quoted = reader.next();
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->text, std::string(kFieldCap, 'a'));
    EXPECT_TRUE(quoted->cut);
    LeadingNumber number;
    const Field* digits = reader.next(&number);
    ASSERT_TRUE(digits);
    EXPECT_EQ(digits->text.size(), kFieldCap);
    EXPECT_EQ(number.value(), 17);
    // The start of a field first, then the whole of it.
    EXPECT_EQ(reader.startOfNext(9), "Spielbank");
    EXPECT_EQ(text(reader.next()), "Spielbank Hamburg");
    // Blanks beyond the cap at the end of a field are no part of it.
    const Field* blanks = reader.next();
    ASSERT_TRUE(blanks);
    EXPECT_EQ(*blanks, (Field{std::string(kFieldCap, 'b'), false}));
    EXPECT_FALSE(reader.next());
}

namespace {

// Gives its bytes in blocks of the given size.
class Dribble final : public std::streambuf {
public:
    Dribble(std::string bytes, std::size_t block) : bytes_(std::move(bytes)), block_(block) {}

protected:
    int_type underflow() override {
        if (at_ >= bytes_.size()) return traits_type::eof();
        const std::size_t n = std::min(block_, bytes_.size() - at_);
        setg(bytes_.data() + at_, bytes_.data() + at_, bytes_.data() + at_ + n);
        at_ += n;
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string bytes_;
    std::size_t block_, at_ = 0;
};

}  // namespace

// The reader scans the blocks the stream gives: a field, a CR LF or a quote split
// between two of them reads as in one piece, and so does the number of a long field.
// A short field whole in its block is taken at once, in small blocks byte by byte:
// both ways give the same fields, also at the length where the first stops.
TEST(FieldReader, BlocksOfAnySizeGiveTheSameFieldsAndNumbers) {
    const std::string text = "Spielbank, \"Ham\r\nburg\"  x\r\n  17  ,\r\n\r\n" + std::string(3000, '7') + "e-2995," +
                             std::string(2000, ' ') + "5\r-3\n\"" + std::string(1500, 'q') + "\"\n=,,\n" +
                             "123456789012345,1234567890123456,12345678901234567\r\n4\t5,6 \r7\r\r\n,-----\r\n8\r\n" +
                             std::string(20, 'z') + "\n";
    const auto read = [](std::istream& in, bool skipping, bool blankLines = false) {
        FieldReader reader(in);
        reader.keepBlankLines(blankLines);
        std::vector<std::pair<Field, double>> out;
        LeadingNumber number;
        while (const Field* f = skipping ? reader.skip() : reader.next(&number)) {
            out.emplace_back(*f, number.value());
            number.reset();
        }
        EXPECT_FALSE(reader.failed());
        return out;
    };
    for (bool skipping : {false, true}) {
        SCOPED_TRACE(skipping ? "skip" : "next");
        std::istringstream whole(text);
        const auto expected = read(whole, skipping);
        ASSERT_EQ(expected.size(), 21u);
        EXPECT_EQ(expected[1].first.text, "Ham\r\nburg");
        if (!skipping) {
            EXPECT_NEAR(expected[4].second, 77777.0 + 7.0 / 9, 1e-9);
            EXPECT_EQ(expected[12].second, 1234567890123456.0);
        }
        EXPECT_EQ(expected[12].first, (Field{"1234567890123456", false}));
        EXPECT_EQ(expected[13].first, (Field{skipping ? "1234567890123456" : "12345678901234567", skipping}));
        EXPECT_EQ(expected[14].first.text, "4\t5");
        EXPECT_EQ(expected[15].first.text, "6");
        EXPECT_EQ(expected[17].first.text, "");
        EXPECT_EQ(expected[18].first.text, "-----");
        for (std::size_t block : {1u, 2u, 3u, 7u, 1000u}) {
            SCOPED_TRACE(block);
            Dribble dribble(text, block);
            std::istream in(&dribble);
            EXPECT_EQ(read(in, skipping), expected);
        }
    }
    // As the header is read: every line end, that of a blank line too, ends a field.
    std::istringstream whole(text);
    const auto expected = read(whole, false, true);
    EXPECT_EQ(expected.size(), 23u);
    Dribble dribble(text, 1);
    std::istream in(&dribble);
    EXPECT_EQ(read(in, false, true), expected);
}
