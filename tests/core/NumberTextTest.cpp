// Number conversions, text decoding, the wheel table and the clock-mixed generator.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/NumberText.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "core/TextEncoding.h"

using namespace kalvor;

TEST(NumericValue, ReadsTheLeadingNumberAndNeverFails) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"17", 17}, {"17 ", 17}, {"1 7", 17},    {" \t1\n7", 17}, {"3a", 3},     {"a", 0},     {"", 0},
        {"-5", -5}, {"- 5", -5}, {"+5", 5},      {"+-5", 0},      {"--5", 0},    {"1.5", 1.5}, {".5", 0.5},
        {"5.", 5},  {".", 0},    {"1.2.3", 1.2}, {"1,5", 1},      {"1e3", 1000}, {"1D2", 100}, {"2.5E-1", 0.25},
        {"1E", 1},  {"1E+", 1},  {"1Ex", 1},     {"&H1F", 31},    {"&hff", 255}, {"&O17", 15}, {"&H", 0},
        {"&X1", 0}, {"&HG", 0},  {"12abc", 12},  {"\r12", 0},     {"0012", 12},  {"=", 0},     {"-", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(numericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumericValue, SaturatesAndReadsTextsOfAnyLengthExactly) {
    EXPECT_EQ(numericValue("1E400"), DBL_MAX);
    EXPECT_EQ(numericValue("-1e999"), -DBL_MAX);
    EXPECT_EQ(numericValue("1e-400"), 0.0);
    EXPECT_EQ(numericValue("1.5E400"), DBL_MAX);  // a decimal point the C library's locale would not read
    EXPECT_EQ(numericValue("2.5e-400"), 0.0);
    EXPECT_EQ(numericValue("5e-320"), 5e-320);
    EXPECT_EQ(numericValue(std::string(400, '9')), DBL_MAX);
    EXPECT_EQ(numericValue("&H" + std::string(300, 'F')), DBL_MAX);
    EXPECT_EQ(numericValue("1e" + std::string(30, '9')), DBL_MAX);
    // 2^53 + 1 lies halfway between two doubles and goes to the even one, unless a
    // digit far beyond those kept is not zero.
    const std::string halfway = "9007199254740993" + std::string(2000, '0');
    EXPECT_EQ(numericValue(halfway + "e-2000"), 9007199254740992.0);
    EXPECT_EQ(numericValue(halfway + "1e-2001"), 9007199254740994.0);
    EXPECT_EQ(numericValue(halfway + "100000000000e-2012"), 9007199254740994.0);
    EXPECT_EQ(numericValue("0." + std::string(5000, '0') + "17e5003"), 170.0);

    // Beyond the kept digits the text is taken eight bytes at a time: it reads as the
    // same text fed byte by byte, whatever ends the run of digits or stands in it (an
    // exponent after it shows whether the run went on).
    const std::string many(1000, '3');
    for (const std::string& text :
         {many + "0000000000000000000000001e-1000", many + std::string(37, '0') + "5.25e-1030", many + "7 7\t7\n7x9",
          many + "12345678.9e-999", many + "9/99999999e-1000", many + "99:99999999e-1000",
          many + "9\xB9" + "99999999e-1000", "-" + many + "E-1001"}) {
        LeadingNumber bytes;
        for (char c : text) bytes.feed(c);
        EXPECT_EQ(numericValue(text), bytes.value()) << text.substr(1000);
    }
}

TEST(StrictNumber, AcceptsOnlyAWholeNumber) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"100", 100},
        {"  100  ", 100},
        {"\t7", 7},
        {"10.5", 10.5},
        {"-3", -3},
        {"+3", 3},
        {"1e3", 1000},
        {"1D2", 100},
        {".5", 0.5},
        {"5.", 5},
        {"1,000", 1000},
        {"12,345,678", 12345678},
        {"&H10", 16},
        {"&O10", 8},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"1e", std::nullopt},
        {"1,00", std::nullopt},
        {",100", std::nullopt},
        {"1,0000", std::nullopt},
        {"1.5.2", std::nullopt},
        {"1E400", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"&H", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(strictNumber(c.text), c.value) << '"' << c.text << '"';
    // Beyond a double: too large is refused, too small is zero, whatever the exponent's sign.
    for (const std::string& big :
         std::vector<std::string>{"1.5E400", "-1.5e400", std::string(400, '9') + ".5e-10", "1e99999999999999999999"})
        EXPECT_EQ(strictNumber(big), std::nullopt) << big.substr(0, 20);
    for (const std::string& tiny : std::vector<std::string>{
             "1e-400", "2.5e-400", "-2.5e-400", "0." + std::string(300, '0') + "1e-100", "1e-99999999999999999999"})
        EXPECT_EQ(strictNumber(tiny), 0.0) << tiny.substr(0, 20);
}

TEST(StrictNumber, FollowsTheUsersSeparators) {
    const NumberFormat german{',', '.'};
    EXPECT_EQ(strictNumber("10,5", german), 10.5);
    EXPECT_EQ(strictNumber("1.000", german), 1000.0);
    EXPECT_EQ(strictNumber("1.5", german), std::nullopt);
    EXPECT_EQ(strictNumber("10,5"), std::nullopt);
    EXPECT_EQ(strictNumber("1,5e400", german), std::nullopt);
    EXPECT_EQ(strictNumber("2,5e-400", german), 0.0);
}

TEST(NumberToText, PlainDigitsWithoutDecimalsForWholeNumbers) {
    EXPECT_EQ(numberToText(0), "0");
    EXPECT_EQ(numberToText(-0.0), "0");
    EXPECT_EQ(numberToText(312), "312");
    EXPECT_EQ(numberToText(-2), "-2");
    EXPECT_EQ(numberToText(32767), "32767");
    EXPECT_EQ(numberToText(10.5), "10.5");
    EXPECT_EQ(numberToText(1234567), "1234567");
    EXPECT_EQ(numberToText(1e20), "1E+20");
    EXPECT_EQ(numberToText(-1.25e-7), "-1.25E-07");
    EXPECT_EQ(numberToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numberToText(123456789012.25), "123456789012.25");
    EXPECT_EQ(numericValue(numberToText(DBL_MAX)), numericValue("1.79769313486232E+308"));
}

TEST(TextEncoding, FallsBackToWindows1252ForInvalidUtf8) {
    EXPECT_EQ(decodeText("Spielbank Hamburg"), "Spielbank Hamburg");
    EXPECT_EQ(decodeText("M\xc3\xbcnchen"), "München");
    EXPECT_EQ(decodeText("M\xfcnchen \x80"), "München €");
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));  // surrogate
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));      // cut short

    // A line to show: cut with "…" to the given characters, also when already cut as
    // bytes, and never inside a character.
    EXPECT_EQ(decodeLine("Tisch 1", 7), "Tisch 1");
    EXPECT_EQ(decodeLine("M\xfcnchen", 4), "Mün…");
    EXPECT_EQ(decodeLine("M\xc3\xbc\xc3", 80, true), "Mü…");
}

TEST(SeriesState, TheWheelsColoursAtLoad) {
    SeriesState s;
    s.load();
    const std::set<int> red = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36};
    for (int n = 0; n <= 37; ++n) {
        const int expected = (n == 0 || n == 37) ? 0 : red.count(n) ? 1 : 2;
        EXPECT_EQ(s.farbe[static_cast<size_t>(n)], expected) << n;
    }
}

TEST(ClockRandom, DrawsWithinOneClockTickDifferAndStayInRange) {
    ClockRandom random([] { return uint64_t{42}; });
    std::set<float> seen;
    for (int i = 0; i < 1000; ++i) {
        random.seedFromClock();
        const float u = random.next();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        EXPECT_EQ(u * 16777216.0f, std::floor(u * 16777216.0f));
        seen.insert(u);
    }
    EXPECT_GT(seen.size(), 990u);

    // Every roulette number turns up, none beyond 36.
    std::set<int> numbers;
    for (int i = 0; i < 5000; ++i) {
        random.seedFromClock();
        numbers.insert(static_cast<int>(random.next() * 37.0));
    }
    EXPECT_EQ(numbers.size(), 37u);
    EXPECT_EQ(*numbers.rbegin(), 36);
}
