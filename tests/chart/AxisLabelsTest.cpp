#include "AxisTicks.h"
#include "ChartLayout.h"
#include "ValueFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
const QLocale C = QLocale::c();
const QLocale German(QLocale::German, QLocale::Germany);
constexpr double Day = 46359.0; // 2026-12-03
} // namespace

TEST(ValueFormat, FollowsThePatternAndTheLocale)
{
    struct Case
    {
        double value;
        const char* pattern;
        QLocale locale;
        const char* expected;
    };
    const Case cases[] = {
        { 1234567.891, "#,##0.###", C, "1,234,567.891" },
        { 1234.5, "#.###", C, "1234.5" },
        { 0.0, "#.###", C, "0" },
        { -0.0004, "#.###", C, "0" }, // rounds to zero: no minus sign
        { -2.5, "#.###", C, "-2.5" },
        { 0.12345, "#.###", C, "0.123" },
        { 100.0, "#.###", C, "100" },
        { 4096, "#,##0.###", C, "4,096" },
        { 999.9996, "#,##0.###", C, "1,000" },
        { 1.5, "0.00", C, "1.50" },
        { 1234.5, "#,##0.###", German, "1.234,5" },
        { -1.02e20, "#,##0.###", C, "-1.02e+20" },
        { 999999999999999.0, "#,##0.###", C, "999,999,999,999,999" },
        { std::nan(""), "#.###", C, "" },
        { INFINITY, "#.###", C, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatAxisValue(c.value, QString::fromLatin1(c.pattern), c.locale), QString::fromUtf8(c.expected))
            << c.value << " " << c.pattern;
}

TEST(ValueFormat, DateTimePatterns)
{
    struct Case
    {
        double day;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        { Day + 14.25 / 24, "hh:nn", "14:15" },
        { Day + 0.5, "yyyy-mmm-dd hh:nn", "2026-Dec-03 12:00" },
        { Day, "yyyy-mm-dd", "2026-12-03" },
        { 0.0, "yyyy-mm-dd hh:nn:ss", "1899-12-30 00:00:00" },
        { -1.25, "yyyy-mm-dd hh:nn", "1899-12-28 18:00" },
        { Day + 86399.6 / 86400, "yyyy-mm-dd hh:nn:ss", "2026-12-04 00:00:00" }, // rounds into the next day
        { Day, "at hh o'clock", "at 00 o'clock" },
        { std::nan(""), "hh:nn", "" },
        { 1e300, "hh:nn", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChartDateTimeLabel(c.day, QString::fromLatin1(c.pattern), C), QString::fromLatin1(c.expected))
            << c.day;
}

TEST(AxisTicks, LinearTicksAreOneTwoFiveMultiplesInsideTheRange)
{
    struct Case
    {
        double minimum, maximum;
        int maxTicks;
        double minimumStep;
        std::vector<double> expected;
    };
    const Case cases[] = {
        { 0, 100, 10, 0, { 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100 } },
        { 0, 100, 5, 0, { 0, 20, 40, 60, 80, 100 } },
        { -3, 5.1, 5, 0, { -2, 0, 2, 4 } },
        { 0.01, 0.99, 5, 0, { 0.2, 0.4, 0.6, 0.8 } },
        { -0.3, 0.3, 6, 0, { -0.3, -0.2, -0.1, 0, 0.1, 0.2, 0.3 } },
        { 0, 0.0004, 10, 0.001, { 0 } }, // never finer than the labels can show
        { 1.00001, 1.00002, 10, 0.001, {} },
        { 5, 5, 10, 0, {} },
        { 7, 2, 10, 0, {} },
        { 0, INFINITY, 10, 0, {} },
        { std::nan(""), 1, 10, 0, {} },
    };
    for (const Case& c : cases) {
        const std::vector<double> ticks = LinearTicks(c.minimum, c.maximum, c.maxTicks, c.minimumStep);
        ASSERT_EQ(ticks.size(), c.expected.size()) << c.minimum << ".." << c.maximum;
        for (std::size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i], c.expected[i], 1e-12) << c.minimum << ".." << c.maximum;
    }
    // Huge ranges stay bounded.
    EXPECT_LE(LinearTicks(-1.02e20, 1e20, 10).size(), 11u);
    EXPECT_LE(LinearTicks(-1e308, 1e308, 1000000).size(), 201u);
}

TEST(AxisTicks, DateTimeTicksUseWholeUnitsThatSuitTheSpan)
{
    struct Case
    {
        double minimum, maximum;
        int maxTicks;
        double stepSeconds;
        double firstTick;
        std::size_t count;
    };
    const Case cases[] = {
        { Day + 14.25 / 24, Day + 15.25 / 24, 12, 300, Day + 14.25 / 24, 13 }, // an hour: every 5 minutes
        { Day, Day + 1, 10, 10800, Day, 9 }, // a day: every 3 hours
        { Day + 0.3, Day + 12.3, 10, 2 * 86400, Day + 1, 6 }, // 12 days: every 2 days
        { Day - 7, Day, 10, 86400, Day - 7, 8 }, // a week: daily
        { Day, Day + 120, 10, 14 * 86400, Day + 11, 8 }, // months: Mondays, 2 weeks apart
        { Day, Day + 30.0 / 86400, 10, 5, Day, 7 }, // half a minute: seconds
    };
    for (const Case& c : cases) {
        const DateTimeTicks ticks = MakeDateTimeTicks(c.minimum, c.maximum, c.maxTicks);
        EXPECT_EQ(ticks.stepSeconds, c.stepSeconds) << c.maximum - c.minimum;
        ASSERT_EQ(ticks.ticks.size(), c.count) << c.maximum - c.minimum;
        EXPECT_NEAR(ticks.ticks.front(), c.firstTick, 1e-9) << c.maximum - c.minimum;
        for (std::size_t i = 1; i < ticks.ticks.size(); ++i)
            EXPECT_NEAR((ticks.ticks[i] - ticks.ticks[i - 1]) * 86400, c.stepSeconds, 1e-3);
    }
    EXPECT_TRUE(MakeDateTimeTicks(Day, Day, 10).ticks.empty());
    EXPECT_LE(MakeDateTimeTicks(-1e6, 1e6, 10).ticks.size(), 11u);
}

TEST(AxisTicks, LogarithmicTicksArePowers)
{
    struct Case
    {
        double minimum, maximum;
        int maxTicks;
        std::vector<double> expected;
    };
    const Case cases[] = {
        { 4, 4096, 12, { 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096 } },
        { 8, 4096, 12, { 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096 } },
        { 4, 4096, 6, { 10, 100, 1000 } },
        { 3, 900, 12, { 5, 10, 20, 50, 100, 200, 500 } },
        { 1e-3, 1e9, 5, { 1e-3, 1e0, 1e3, 1e6, 1e9 } },
        { 0, 100, 10, {} },
        { -5, 100, 10, {} },
    };
    for (const Case& c : cases) {
        const std::vector<double> ticks = LogTicks(c.minimum, c.maximum, c.maxTicks);
        ASSERT_EQ(ticks.size(), c.expected.size()) << c.minimum << ".." << c.maximum;
        for (std::size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i] / c.expected[i], 1.0, 1e-9) << c.minimum << ".." << c.maximum;
    }
}

TEST(AxisTicks, DateTimeLabelsShowTheDateWhereTheDayChanges)
{
    struct Case
    {
        const char* name;
        double minimum, maximum;
        int maxTicks;
        std::vector<std::pair<QString, QString>> expected;
    };
    const Case cases[] = {
        { "across midnight", Day + 18.0 / 24, Day + 1.25, 2,
            { { "18:00", "2026-Dec-03" }, { "00:00", "2026-Dec-04" }, { "06:00", "" } } },
        { "a week", Day, Day + 2, 3, { { "2026-Dec-03", "" }, { "2026-Dec-04", "" }, { "2026-Dec-05", "" } } },
        { "time of day", 0, 1, 4,
            { { "00:00", "" }, { "06:00", "" }, { "12:00", "" }, { "18:00", "" }, { "24:00", "" } } },
        { "seconds", Day + 0.5, Day + 0.5 + 20.0 / 86400, 2,
            { { "12:00:00", "2026-Dec-03" }, { "12:00:10", "" }, { "12:00:20", "" } } },
    };
    for (const Case& c : cases) {
        std::vector<std::pair<QString, QString>> got;
        for (const AxisTick& tick :
            MakeDateTimeTicks(AxisScale { c.minimum, c.maximum, false }, QStringLiteral("hh:nn"), c.maxTicks))
            got.emplace_back(tick.label, tick.secondLine);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(ValueFormat, ExponentPatternsShowAPowerOfTen)
{
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German);
    const struct
    {
        double value;
        const char* pattern;
        const QLocale& locale;
        const char* expected;
    } cases[] = {
        { 1e-9, "0.##e-0", c, "1e-9" },
        { 2e-9, "0.##e-0", c, "2e-9" },
        { 1.23456e-8, "0.##e-0", c, "1.23e-8" },
        { 9.999e-9, "0.##e-0", c, "1e-8" }, // the mantissa rounds up into the next decade
        { 12345, "0.##e-0", c, "1.23e4" },
        { 1, "0.##e-0", c, "1e0" },
        { 0, "0.##e-0", c, "0e0" },
        { -3.5e-7, "0.##e-0", c, "-3.5e-7" },
        { 1e-9, "0.0E+00", c, "1.0E-09" },
        { 250, "0.0E+00", c, "2.5E+02" },
        { 1.5e-6, "0.##e-0", german, "1,5e-6" },
        { std::nan(""), "0.##e-0", c, "" },
        { INFINITY, "0.##e-0", c, "" },
        // Without an exponent part nothing changes: a tiny value under "#.###" is 0.
        { 1e-9, "#.###", c, "0" },
    };
    for (const auto& t : cases)
        EXPECT_EQ(FormatAxisValue(t.value, QLatin1String(t.pattern), t.locale), QLatin1String(t.expected))
            << t.value << " " << t.pattern;
}

TEST(AxisTicks, DecadeTicksArePowersOfTenOnlyWithFaintLinesBetween)
{
    struct Case
    {
        double minimum, maximum;
        int maxTicks;
        std::vector<double> expected;
    };
    const Case cases[] = {
        { 1e-9, 1e-6, 10, { 1e-9, 1e-8, 1e-7, 1e-6 } },
        { 1, 1e5, 10, { 1, 10, 100, 1e3, 1e4, 1e5 } },
        // Not the powers of two a logarithmic axis starting at 4 has otherwise.
        { 4, 4096, 12, { 10, 100, 1000 } },
        { 1e-12, 1e3, 5, { 1e-12, 1e-8, 1e-4, 1 } },
        { 2, 9, 10, {} },
        { 0, 100, 10, {} },
        { 100, 10, 10, {} },
        { 1, INFINITY, 10, {} },
    };
    for (const Case& c : cases) {
        const std::vector<double> ticks = DecadeTicks(c.minimum, c.maximum, c.maxTicks);
        ASSERT_EQ(ticks.size(), c.expected.size()) << c.minimum << ".." << c.maximum;
        for (std::size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i] / c.expected[i], 1.0, 1e-9) << c.minimum << ".." << c.maximum;
    }
    const std::vector<double> minor = DecadeMinorTicks(1, 100, 10);
    ASSERT_EQ(minor.size(), 16u);
    EXPECT_DOUBLE_EQ(minor.front(), 2);
    EXPECT_DOUBLE_EQ(minor[7], 9);
    EXPECT_DOUBLE_EQ(minor.back(), 90);
    EXPECT_TRUE(DecadeMinorTicks(1e-20, 1e20, 10).empty()) << "too many decades for faint lines";
}
