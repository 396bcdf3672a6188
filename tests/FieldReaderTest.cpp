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
