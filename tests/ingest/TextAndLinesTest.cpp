#include "LineList.h"
#include "TextDecoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const std::string& bytes)
{
    LineList list;
    list.appendText(DecodeStatisticsText(std::string(bytes)));
    std::vector<std::string> out;
    for (std::string_view line : list)
        out.emplace_back(line);
    return out;
}

using Lines = std::vector<std::string>;

struct LineCase
{
    const char* what;
    std::string bytes;
    Lines expected;
};

class LineSplitting : public ::testing::TestWithParam<LineCase>
{ };

TEST_P(LineSplitting, GivesTheLinesOfTheText)
{
    EXPECT_EQ(LinesOf(GetParam().bytes), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Texts, LineSplitting,
    ::testing::Values(LineCase { "empty text", "", {} }, LineCase { "LF", "a\nb\n", { "a", "b" } },
        LineCase { "CR LF", "a\r\nb\r\n", { "a", "b" } }, LineCase { "lone CR", "a\rb\r", { "a", "b" } },
        LineCase { "mixed ends and blank lines", "a\r\n\rb\n\nc", { "a", "", "b", "", "c" } },
        LineCase { "last line without a line end", "a\nb", { "a", "b" } },
        LineCase { "CR at the very end", "a\r", { "a" } }, LineCase { "only a line end", "\n", { "" } },
        LineCase { "NUL ends the text", std::string("a\nb\0c\nd\n", 8), { "a", "b" } },
        LineCase { "NUL first", std::string("\0a\n", 3), {} },
        LineCase { "UTF-8 BOM dropped", "\xEF\xBB\xBFx y\n", { "x y" } },
        LineCase { "valid UTF-8 kept", "caf\xC3\xA9\n", { "caf\xC3\xA9" } },
        LineCase { "invalid UTF-8 read as Latin-1", "caf\xE9\n\xFF", { "caf\xC3\xA9", "\xC3\xBF" } },
        LineCase { "truncated UTF-8 sequence at the end", "a\xE2\x82", { "a\xC3\xA2\xC2\x82" } },
        LineCase { "UTF-16 LE with BOM",
            std::string("\xFF\xFE"
                        "a\0\n\0b\0\r\0\n\0",
                12),
            { "a", "b" } },
        LineCase { "UTF-16 BE with BOM", std::string("\xFE\xFF\0a\0\n\0\xE9", 8), { "a", "\xC3\xA9" } },
        LineCase { "UTF-16 NUL ends the text",
            std::string("\xFF\xFE"
                        "a\0\0\0b\0",
                8),
            { "a" } },
        LineCase { "UTF-16 odd last byte ignored",
            std::string("\xFF\xFE"
                        "a\0b",
                5),
            { "a" } }));

TEST(LineList, AppendSharesLinesInOrderAndSurvivesTheSource)
{
    LineList all;
    {
        LineList first;
        first.appendText("1\n2\n");
        LineList second;
        second.appendText("3");
        all.append(first);
        all.append(second);
    }
    all.append(all);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0], "1");
    EXPECT_EQ(all[2], "3");
    EXPECT_EQ(all[5], "3");
    EXPECT_EQ(all.text(1), QStringLiteral("2"));
    all.clear();
    EXPECT_TRUE(all.empty());
}

TEST(LineList, AMegabyteLineIsOneLine)
{
    std::string text(1 << 20, 'x');
    text += "\nshort";
    LineList list;
    list.appendText(std::move(text));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].size(), std::size_t { 1 } << 20);
    EXPECT_EQ(list[1], "short");
}

} // namespace
