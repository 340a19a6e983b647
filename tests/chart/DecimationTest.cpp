#include "PolylineDecimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {
struct ColumnSummary
{
    QPointF first, last;
    double low = 0, high = 0;
    bool operator==(const ColumnSummary&) const = default;
};

std::map<double, ColumnSummary> Summarise(const std::vector<QPointF>& line)
{
    std::map<double, ColumnSummary> columns;
    for (const QPointF& p : line) {
        const double column = std::floor(p.x());
        auto [it, added] = columns.try_emplace(column, ColumnSummary { p, p, p.y(), p.y() });
        if (!added) {
            it->second.last = p;
            it->second.low = std::min(it->second.low, p.y());
            it->second.high = std::max(it->second.high, p.y());
        }
    }
    return columns;
}

// A noisy line of n points over the given number of columns, the same on every run.
std::vector<QPointF> NoisyLine(int n, double columns)
{
    std::vector<QPointF> line;
    unsigned state = 12345;
    for (int i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        const double noise = double((state >> 8) % 1000) / 10.0;
        line.emplace_back(i * columns / n, 200 + 50 * std::sin(i * 0.001) + noise);
    }
    return line;
}
} // namespace

TEST(PolylineDecimator, KeepsFirstLastAndExtremesOfEveryColumnAsASubsequence)
{
    struct Case
    {
        int points;
        double columns;
    };
    for (const Case c : { Case { 57601, 1000 }, Case { 500, 1000 }, Case { 10, 2 }, Case { 1, 1 } }) {
        const std::vector<QPointF> full = NoisyLine(c.points, c.columns);
        PolylineDecimator decimator;
        for (const QPointF& p : full)
            decimator.Add(p);
        const std::vector<QPointF> thin = decimator.Take();

        EXPECT_EQ(Summarise(thin), Summarise(full)) << c.points;
        EXPECT_LE(thin.size(), std::min<std::size_t>(full.size(), 4 * std::size_t(c.columns + 1))) << c.points;
        // Every kept point comes from the line, in the line's order.
        auto at = full.begin();
        for (const QPointF& p : thin) {
            at = std::find(at, full.end(), p);
            ASSERT_NE(at, full.end()) << c.points;
        }
    }
}

TEST(PolylineDecimator, KeepsTheOrderOfAFallingThenRisingColumnAndStartsAfreshAfterTake)
{
    PolylineDecimator decimator;
    for (const QPointF p : { QPointF(0.1, 5), QPointF(0.2, 9), QPointF(0.3, 1), QPointF(0.4, 4), QPointF(1.5, 4) })
        decimator.Add(p);
    EXPECT_EQ(decimator.Take(), (std::vector<QPointF> { { 0.1, 5 }, { 0.2, 9 }, { 0.3, 1 }, { 0.4, 4 }, { 1.5, 4 } }));
    EXPECT_TRUE(decimator.Take().empty());
}
