#include "StatisticsFields.h"
#include "LoopLineParser.h"

#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(std::string_view line)
{
    std::array<std::string_view, 9> fields;
    const std::size_t count = SplitLoopFields(line, fields);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < std::min(count, fields.size()); ++i)
        out.emplace_back(fields[i]);
    if (count > fields.size())
        out.emplace_back("<more>");
    return out;
}

using Fields = std::vector<std::string>;

TEST(SplitLoopFields, SeparatorsQuotesAndCommas)
{
    const struct
    {
        std::string line;
        Fields expected;
    } cases[] = {
        { "", {} },
        { "   \t ", {} },
        { "a b", { "a", "b" } },
        { "  a \t\x01 b  ", { "a", "b" } },
        { "a,b", { "a", "b" } },
        { "a , b", { "a", "b" } },
        { "a,,b", { "a", "", "b" } },
        { "a,", { "a", "" } },
        { ",a", { "", "a" } },
        { "\"a b\" c", { "a b", "c" } },
        { "\"a b\"c", { "a b", "c" } },
        { "\"unclosed b", { "unclosed b" } },
        { "caf\xC3\xA9 x", { "caf\xC3\xA9", "x" } },
        { "1 2 3 4 5 6 7 8 9 10 11", { "1", "2", "3", "4", "5", "6", "7", "8", "9", "<more>" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.line), c.expected) << c.line;
}

// The number parser itself is tested with the core library (StatisticsNumberTest).

TEST(ParseLoopLine, TheDocumentedExampleLine)
{
    LoopRecord r;
    ASSERT_TRUE(ParseLoopLine("59000 3600.5 0.000123 -15.2 0.000045 0.001 6", 0, r));
    // 31 May 2020 01:00:00.5 UTC: 59000 - 15018 = 43982, and 3600.5 s into the day.
    EXPECT_DOUBLE_EQ(r.time, 43982 + 3600.5 / 86400);
    EXPECT_DOUBLE_EQ(r.offset, 0.123);
    EXPECT_DOUBLE_EQ(r.frequency, -15.2);
    EXPECT_DOUBLE_EQ(r.jitter, 0.045);
    EXPECT_EQ(r.pollExponent, 6);

    // One hour east of Greenwich: the zone offset is -1/24 and the record reads 02:00:00.5.
    ASSERT_TRUE(ParseLoopLine("59000 3600.5 0.000123 -15.2 0.000045 0.001 6", -1.0 / 24, r));
    EXPECT_NEAR(r.time, 43982 + 7200.5 / 86400, 1e-9);
}

TEST(ParseLoopLine, WhichLinesAreRecords)
{
    const struct
    {
        const char* line;
        bool ok;
    } cases[] = {
        { "59000\t3600.5\t0.000123\t-15.2\t0.000045\t0.001\t6", true },
        { "59000 3600.5 0.000123 0.000 0.000045 0.000000 6", true }, // after a restart
        { "59000 3600.5 0.000123 -15.2 0.000045 wander? 10", true }, // field 6 is not read
        { "59000,3600.5,0.000123,-15.2,0.000045,0.001,6", true },
        { "59000 3600.5 0.000123 -15.2 0.000045 0.001 6 extra", false },
        { "59000 3600.5 0.000123 -15.2 0.000045 0.001", false },
        { "59000 3600.5 0,000123 -15.2 0.000045 0.001 6", false },
        { "59000.5 3600.5 0.000123 -15.2 0.000045 0.001 6", false },
        { "59000 3600.5 0.000123 -15.2 0.000045 0.001 6.5", false },
        { "59000 3600.5 0.000123 -15.2 nan 0.001 6", false },
        { "59000 3600.5 0.000123 -15.2 0.0000", false }, // a line cut short while written
        { "", false },
    };
    for (const auto& c : cases) {
        LoopRecord r;
        EXPECT_EQ(ParseLoopLine(c.line, 0, r), c.ok) << c.line;
    }
}

} // namespace

namespace {

// Blank-separated lines are read in place; lines with a comma go through the general
// splitter. Both must agree: turning the first blank run into " , " keeps the fields.
TEST(ParseLoopLine, InPlaceReadingAgreesWithTheSplitter)
{
    const char* tokens[] = { "59000", "3600.5", "-0.000123", "+15.2", "1e-3", "6", "10", "nan", "inf", "+", "-", ".",
        "0x1", "6.0", "abc", "1,5", "", "+-1", "1e999", "7x" };
    const char* blanks[] = { " ", "\t", "  ", " \x01 " };
    std::mt19937 random(7);
    int records = 0;
    for (int round = 0; round < 4000; ++round) {
        const int fieldCount = 5 + static_cast<int>(random() % 4);
        std::string line = (random() % 4 == 0) ? " " : "";
        for (int f = 0; f < fieldCount; ++f) {
            if (f > 0)
                line += blanks[random() % std::size(blanks)];
            // Mostly valid numbers, so that many lines are records.
            line += random() % 3 ? tokens[random() % 7] : tokens[random() % std::size(tokens)];
        }
        const std::size_t firstBlank = line.find_first_of(" \t\x01", line.find_first_not_of(" \t\x01"));
        if (firstBlank == std::string::npos || line.find(',') != std::string::npos)
            continue;
        const std::size_t blankEnd = line.find_first_not_of(" \t\x01", firstBlank);
        std::string split = line;
        split.replace(firstBlank, blankEnd - firstBlank, " , ");

        LoopRecord inPlace;
        LoopRecord general;
        const bool a = ParseLoopLine(line, 0, inPlace);
        ASSERT_EQ(a, ParseLoopLine(split, 0, general)) << line;
        if (a) {
            ++records;
            EXPECT_EQ(inPlace.time, general.time) << line;
            EXPECT_EQ(inPlace.offset, general.offset) << line;
            EXPECT_EQ(inPlace.pollExponent, general.pollExponent) << line;
        }
    }
    EXPECT_GT(records, 50);
}

} // namespace
