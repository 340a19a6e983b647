#include "PercentileSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

struct PercentileCase
{
    std::string Name;
    std::vector<double> Values;
    // Min, 1%, 5%, 50%, 95%, 99%, Max
    std::vector<double> Expected;
};

TEST(PercentileSummary, PercentilesInterpolateBetweenOrderStatistics)
{
    const std::vector<PercentileCase> cases = {
        { "one value", { 7 }, { 7, 7, 7, 7, 7, 7, 7 } },
        // h = p: 1% is 0.01 of the way from 10 to 20.
        { "two values", { 20, 10 }, { 10, 10.1, 10.5, 15, 19.5, 19.9, 20 } },
        // Even count 1 2 3 4: h = 3p; the median is halfway between 2 and 3.
        { "even count", { 4, 1, 3, 2 }, { 1, 1.03, 1.15, 2.5, 3.85, 3.97, 4 } },
        // Odd count 0 10 20 30 40: h = 4p; the median is the middle value.
        { "odd count", { 40, 0, 30, 10, 20 }, { 0, 0.4, 2, 20, 38, 39.6, 40 } },
        // Ties: 1 2 2 2 9, h = 4p; the median falls inside the run of twos.
        { "ties", { 2, 9, 2, 1, 2 }, { 1, 1.04, 1.2, 2, 7.6, 8.72, 9 } },
        { "all equal", { 3, 3, 3, 3, 3, 3 }, { 3, 3, 3, 3, 3, 3, 3 } },
        // 101 values 0 .. 100: every percentile is an order statistic.
        { "hundred and one values", {}, { 0, 1, 5, 50, 95, 99, 100 } },
        { "negative values", { -1, -3, -2 }, { -3, -2.98, -2.9, -2, -1.1, -1.02, -1 } },
        { "values that are not finite are left out", { Nan, 2, Inf, 1, -Inf }, { 1, 1.01, 1.05, 1.5, 1.95, 1.99, 2 } },
    };
    for (PercentileCase c : cases) {
        if (c.Values.empty()) {
            for (int i = 100; i >= 0; --i)
                c.Values.push_back(i);
        }
        const auto s = SummarisePercentiles(c.Values);
        ASSERT_TRUE(s.has_value()) << c.Name;
        const std::vector<double> got = { s->Min, s->P1, s->P5, s->P50, s->P95, s->P99, s->Max };
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], c.Expected[i], 1e-12) << c.Name << " column " << i;
        EXPECT_NEAR(*s->Range90, c.Expected[4] - c.Expected[2], 1e-12) << c.Name;
        EXPECT_NEAR(*s->Range98, c.Expected[5] - c.Expected[1], 1e-12) << c.Name;
    }
}

TEST(PercentileSummary, AgreesWithAFullSortOnLongListsWithTies)
{
    // The summary selects order statistics instead of sorting; the result must be the one
    // the rule gives on the sorted list, whatever the length.
    std::uint64_t state = 99;
    for (std::size_t count : { 1u, 2u, 3u, 4u, 7u, 20u, 99u, 100u, 101u, 1000u, 4097u }) {
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            values.push_back(static_cast<double>((state >> 33) % 50) - 20); // many ties
        }
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const auto s = SummarisePercentiles(values);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->Min, sorted.front()) << count;
        EXPECT_EQ(s->Max, sorted.back()) << count;
        EXPECT_EQ(s->P1, InterpolatedPercentile(sorted, 0.01)) << count;
        EXPECT_EQ(s->P5, InterpolatedPercentile(sorted, 0.05)) << count;
        EXPECT_EQ(s->P50, InterpolatedPercentile(sorted, 0.50)) << count;
        EXPECT_EQ(s->P95, InterpolatedPercentile(sorted, 0.95)) << count;
        EXPECT_EQ(s->P99, InterpolatedPercentile(sorted, 0.99)) << count;
    }
}

TEST(PercentileSummary, ScaledSummariesOfLongListsAgreeWithAScaledFullSort)
{
    // Long enough that the places are narrowed by counting before any values are copied,
    // with the shapes that make that hard: one value throughout, a handful of values
    // (both zeros among them), a narrow spread with outliers many magnitudes away, and
    // values that overflow once scaled.
    std::uint64_t state = 7;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    };
    struct Case
    {
        std::string Name;
        std::function<double(std::size_t)> Value;
        ValueScale Scale;
    };
    const double big = std::numeric_limits<double>::max();
    const std::vector<Case> cases {
        { "one value throughout", [](std::size_t) { return 0.25; }, {} },
        { "a handful of values",
            [&](std::size_t) {
                return std::array { -0.0, 0.0, -3.0, 2.5, 1e-300 }[next() % 5];
            },
            { 1.0, 1000.0 } },
        { "a narrow spread and far outliers",
            [&](std::size_t i) {
                if (i % 1009 == 0)
                    return (next() % 2 == 0 ? -1.0 : 1.0) * std::ldexp(1.0, int(next() % 2000) - 1000);
                return 1e-3 + double(next() % 1000000) * 1e-12;
            },
            { 1000.0, 1.0 } },
        // Keys that agree in their first forty bits or so: counting starts after them.
        { "a narrow positive spread", [&](std::size_t) { return 0.05 + double(next() % 1000000) * 1e-12; },
            { 1000.0, 1.0 } },
        { "two close values", [&](std::size_t) { return next() % 3 == 0 ? 1.0 : std::nextafter(1.0, 2.0); }, {} },
        { "overflowing once scaled", [&](std::size_t i) { return i % 3 == 0 ? big / 2 : -double(next() % 1000); },
            { 1.0, 1000.0 } },
    };
    for (const Case& c : cases) {
        std::vector<double> values(300001);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = c.Value(i);
        values[5] = Nan;
        std::vector<double> sorted;
        for (const double v : values)
            if (std::isfinite(c.Scale(v)))
                sorted.push_back(c.Scale(v));
        std::sort(sorted.begin(), sorted.end());
        const auto s = SummariseScaledPercentiles(values, c.Scale);
        ASSERT_TRUE(s.has_value()) << c.Name;
        EXPECT_EQ(s->Samples, std::int64_t(sorted.size())) << c.Name;
        EXPECT_EQ(s->Min, sorted.front()) << c.Name;
        EXPECT_EQ(s->Max, sorted.back()) << c.Name;
        EXPECT_EQ(s->P1, InterpolatedPercentile(sorted, 0.01)) << c.Name;
        EXPECT_EQ(s->P5, InterpolatedPercentile(sorted, 0.05)) << c.Name;
        EXPECT_EQ(s->P50, InterpolatedPercentile(sorted, 0.50)) << c.Name;
        EXPECT_EQ(s->P95, InterpolatedPercentile(sorted, 0.95)) << c.Name;
        EXPECT_EQ(s->P99, InterpolatedPercentile(sorted, 0.99)) << c.Name;
    }
}

TEST(PercentileSummary, AZeroMinOrMaxKeepsTheSignOfTheFirstSmallestAndTheLastLargest)
{
    // As std::minmax_element finds them. The zeros sit at places that land in different
    // lanes and blocks of the first pass.
    struct Case
    {
        std::string Name;
        std::vector<std::pair<std::size_t, double>> Zeros; // place, zero
        double Others; // every other value
        bool MinIsZero;
        double Zero; // the zero expected as min or max
    };
    const std::vector<Case> cases {
        { "plus then minus, others above", { { 3, 0.0 }, { 700, -0.0 } }, 1.0, true, 0.0 },
        { "minus then plus, others above", { { 1, -0.0 }, { 2, 0.0 } }, 2.0, true, -0.0 },
        { "plus then minus, others below", { { 3, 0.0 }, { 701, -0.0 } }, -1.0, false, -0.0 },
        { "minus then plus, others below", { { 258, -0.0 }, { 999, 0.0 } }, -2.0, false, 0.0 },
    };
    for (const Case& c : cases) {
        std::vector<double> values(1000, c.Others);
        for (const auto& [place, zero] : c.Zeros)
            values[place] = zero;
        const auto s = SummarisePercentiles(values);
        ASSERT_TRUE(s.has_value()) << c.Name;
        const double got = c.MinIsZero ? s->Min : s->Max;
        EXPECT_EQ(got, 0.0) << c.Name;
        EXPECT_EQ(std::signbit(got), std::signbit(c.Zero)) << c.Name;
    }
}

TEST(PercentileSummary, MeanStandardDeviationAndCount)
{
    struct Case
    {
        std::string Name;
        std::vector<double> Values;
        double Mean;
        std::optional<double> StdDev;
        std::int64_t Samples;
    };
    const std::vector<Case> cases = {
        { "one value has no standard deviation", { 4.5 }, 4.5, std::nullopt, 1 },
        { "two values", { 1, 3 }, 2, std::sqrt(2.0), 2 },
        // Sum of squares about the mean 32, divided by n - 1 = 7.
        { "sample, not population", { 2, 4, 4, 4, 5, 5, 7, 9 }, 5, std::sqrt(32.0 / 7), 8 },
        // A naive sum of squares loses every digit here.
        { "small spread on a large offset", { 1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16 }, 1e9 + 10, std::sqrt(30.0), 4 },
        { "values that are not finite are not counted", { Nan, 1, Inf, 3 }, 2, std::sqrt(2.0), 2 },
    };
    for (const Case& c : cases) {
        const auto s = SummarisePercentiles(c.Values);
        ASSERT_TRUE(s.has_value()) << c.Name;
        EXPECT_NEAR(s->Mean, c.Mean, 1e-12 * std::abs(c.Mean)) << c.Name;
        ASSERT_EQ(s->StdDev.has_value(), c.StdDev.has_value()) << c.Name;
        if (c.StdDev) {
            EXPECT_NEAR(*s->StdDev, *c.StdDev, 1e-9) << c.Name;
        }
        EXPECT_EQ(s->Samples, c.Samples) << c.Name;
    }
}

TEST(PercentileSummary, NoSummaryWithoutAFiniteValue)
{
    EXPECT_FALSE(SummarisePercentiles({}).has_value());
    const std::vector<double> nothingFinite = { Nan, Inf, -Inf };
    EXPECT_FALSE(SummarisePercentiles(nothingFinite).has_value());
    EXPECT_EQ(InterpolatedPercentile({}, 0.5), 0);
}

TEST(PercentileSummary, HugeValuesStayFiniteAndOverflowingDifferencesAreAbsent)
{
    const double big = std::numeric_limits<double>::max();
    {
        const std::vector<double> values = { -big, big };
        const auto s = SummarisePercentiles(values);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->Min, -big);
        EXPECT_EQ(s->Max, big);
        EXPECT_EQ(s->P50, 0);
        EXPECT_NEAR(s->P1, -0.98 * big, 1e-12 * big);
        EXPECT_EQ(s->Mean, 0);
        EXPECT_FALSE(s->Range90.has_value());
        EXPECT_FALSE(s->Range98.has_value());
        EXPECT_FALSE(s->StdDev.has_value()); // sqrt 2 times the largest double
    }
    {
        // All huge and of one sign: the sums would overflow, the results do not.
        const std::vector<double> values = { big, big, big / 2, big / 2 };
        const auto s = SummarisePercentiles(values);
        ASSERT_TRUE(s.has_value());
        EXPECT_DOUBLE_EQ(s->Mean, 0.75 * big);
        ASSERT_TRUE(s->StdDev.has_value());
        EXPECT_DOUBLE_EQ(*s->StdDev, big / 2 / std::sqrt(3.0));
        EXPECT_DOUBLE_EQ(*s->Range98, big / 2); // 99% is big, 1% is big / 2
    }
}

TEST(PercentileSummary, RowsInTableOrder)
{
    const auto s = SummarisePercentiles(std::vector<double> { 5 });
    ASSERT_TRUE(s.has_value());
    const auto rows = PercentileRows(*s);
    std::vector<std::string> captions;
    for (const PercentileRow& row : rows)
        captions.emplace_back(row.Caption);
    EXPECT_EQ(captions,
        (std::vector<std::string> {
            "Min", "1%", "5%", "50%", "95%", "99%", "Max", "90% range", "98% range", "StdDev", "Mean", "Samples" }));
    EXPECT_EQ(rows[0].Value, 5.0);
    EXPECT_EQ(rows[7].Value, 0.0);
    EXPECT_FALSE(rows[9].Value.has_value()); // one value: no standard deviation
    EXPECT_EQ(rows[11].Value, 1.0);
}

} // namespace
