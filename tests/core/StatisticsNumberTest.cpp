#include "StatisticsNumber.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(ParseStatisticsNumber, AcceptsOnlyWholeFiniteDecimals)
{
    const struct
    {
        std::string_view text;
        bool ok;
        double value;
    } cases[] = {
        // signs
        { "0.000123", true, 0.000123 },
        { "-15.2", true, -15.2 },
        { "+3.5", true, 3.5 },
        { "+0.001", true, 0.001 },
        { "-0", true, 0 },
        { "+.5", true, 0.5 },
        { "-.5", true, -0.5 },
        { "+", false, 0 },
        { "-", false, 0 },
        { "+-1", false, 0 },
        { "-+1", false, 0 },
        { "--1", false, 0 },
        { "++1", false, 0 },
        // digits and the point
        { "7", true, 7 },
        { ".5", true, 0.5 },
        { "1.", true, 1 },
        { ".", false, 0 },
        { "1.2.3", false, 0 },
        // exponents
        { "1e-3", true, 1e-3 },
        { "2.5E+2", true, 250 },
        { "1.e5", true, 1e5 },
        { "-1.25e-3", true, -1.25e-3 },
        { "1e", false, 0 },
        { "e5", false, 0 },
        { "1e+", false, 0 },
        // not finite
        { "1e400", false, 0 },
        { "1e999", false, 0 },
        { "-1e999", false, 0 },
        { "inf", false, 0 },
        { "-inf", false, 0 },
        { "+inf", false, 0 },
        { "infinity", false, 0 },
        { "nan", false, 0 },
        { "-nan", false, 0 },
        { "NaN", false, 0 },
        // whole field, "." whatever the locale, no grouping
        { "1,5", false, 0 },
        { "0,000123", false, 0 },
        { "1 000", false, 0 },
        { "12abc", false, 0 },
        { "0x10", false, 0 },
        { " 1", false, 0 },
        { "1 ", false, 0 },
        { "\t1", false, 0 },
        { "", false, 0 },
        { std::string_view(), false, 0 },
    };
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(ParseStatisticsNumber(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(value, -99) << "a rejected field leaves the value alone: " << c.text;
        }
    }
}

TEST(ParseStatisticsInteger, AcceptsOnly32BitDecimals)
{
    const struct
    {
        std::string_view text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        { "59000", true, 59000 },
        { "-1", true, -1 },
        { "+6", true, 6 },
        { "007", true, 7 },
        { "2147483647", true, 2147483647 },
        { "-2147483648", true, INT32_MIN },
        { "2147483648", false, 0 },
        { "-2147483649", false, 0 },
        { "99999999999999999999", false, 0 },
        { "6.0", false, 0 },
        { "6.", false, 0 },
        { "1e3", false, 0 },
        { "+-1", false, 0 },
        { "+", false, 0 },
        { "0x10", false, 0 },
        { "60000x", false, 0 },
        { " 6", false, 0 },
        { "", false, 0 },
        { std::string_view(), false, 0 },
    };
    for (const auto& c : cases) {
        std::int32_t value = -99;
        EXPECT_EQ(ParseStatisticsInteger(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(value, -99) << "a rejected field leaves the value alone: " << c.text;
        }
    }
}

// The prefix forms let a reader walk a line in place: they stop at the first character
// that cannot continue the number and leave blanks for the caller.
TEST(ParseNumberPrefix, StopsAfterTheNumber)
{
    const struct
    {
        std::string_view text;
        std::ptrdiff_t used; // -1: no number begins here
        double value;
    } cases[] = {
        { "3600.5 0.000123", 6, 3600.5 },
        { "+1e-3,x", 5, 1e-3 },
        { "-15.2\t", 5, -15.2 },
        { "1.5.", 3, 1.5 },
        { "1e5x", 3, 1e5 },
        { "1ex", 1, 1 },
        { " 1", -1, 0 },
        { "inf 1", -1, 0 },
        { "+ 1", -1, 0 },
        { "1e400 1", -1, 0 },
        { "", -1, 0 },
    };
    for (const auto& c : cases) {
        double value = -99;
        const char* end = c.text.data() + c.text.size();
        const char* stop = ParseNumberPrefix(c.text.data(), end, value);
        if (c.used < 0) {
            EXPECT_EQ(stop, nullptr) << c.text;
        } else {
            ASSERT_NE(stop, nullptr) << c.text;
            EXPECT_EQ(stop - c.text.data(), c.used) << c.text;
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }

    std::int32_t day = 0;
    const std::string_view line = "+59000 3600.5";
    EXPECT_EQ(ParseIntegerPrefix(line.data(), line.data() + line.size(), day), line.data() + 6);
    EXPECT_EQ(day, 59000);
    const std::string_view decimal = "59000.5";
    EXPECT_EQ(ParseIntegerPrefix(decimal.data(), decimal.data() + decimal.size(), day), decimal.data() + 5)
        << "the integer ends at the point; the caller sees the rest of the field";
}

// A German or French locale in the C library must not turn "0.5" into a non-number or
// "0,5" into a number.
TEST(ParseStatisticsNumber, IgnoresTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : { "de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8" }) {
        if (!std::setlocale(LC_NUMERIC, name))
            continue;
        double value = 0;
        EXPECT_TRUE(ParseStatisticsNumber("0.5", value)) << name;
        EXPECT_EQ(value, 0.5) << name;
        EXPECT_FALSE(ParseStatisticsNumber("0,5", value)) << name;
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
}

// Plain decimals take a shorter road than from_chars; every value, its sign and the end
// must be the same to the last bit, above all at the bounds of that road: 19 and 20
// digits, 2^53 and its neighbours, eight digits after the point and more or fewer.
TEST(ParseNumberPrefix, ReadsEveryDecimalAsFromCharsDoes)
{
    std::vector<std::string> texts = { "0", "-0", "-0.000", "0.", "-.0", ".", "-.", "9007199254740992",
        "9007199254740993", "900719925474099.3", "9007199254740991.0", "1234567890123456789", "12345678901234567890",
        "9999999999999999999", "0.0000000000000000001", "0.00000000000000000001", "1.000000000000000000", "0.1", "0.3",
        "2.675", "1e5", "-1.5E-3", "1.5e", "5.", "0.000123456", "-0.000987654", "86399.999", "1.2.3", "0.12345678x",
        "0.1234567", "0.123456789012" };
    std::mt19937_64 random(16);
    const std::string digits = "0123456789";
    for (int i = 0; i < 200000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int whole = static_cast<int>(random() % 12);
        const int fraction = static_cast<int>(random() % 22);
        for (int d = 0; d < whole; ++d)
            text += digits[random() % (d == 0 && random() % 2 ? 1 : 10)];
        if (fraction > 0 || random() % 2)
            text += '.';
        for (int d = 0; d < fraction; ++d)
            text += digits[random() % 10];
        texts.push_back(text);
    }
    for (std::string& text : texts) {
        text += " 1";
        const char* begin = text.data();
        const char* end = begin + text.size();
        double expected = 0;
        const auto reference = std::from_chars(begin, end, expected);
        double value = 0;
        const char* stop = ParseNumberPrefix(begin, end, value);
        if (reference.ec != std::errc()) {
            EXPECT_EQ(stop, nullptr) << text;
            continue;
        }
        ASSERT_EQ(stop, reference.ptr) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

} // namespace
