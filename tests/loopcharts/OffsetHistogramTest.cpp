#include "OffsetHistogram.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class OffsetHistogramTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
};

int CountIn(const OffsetHistogram& h, int index)
{
    for (const HistogramBin& bin : h.Bins)
        if (bin.Index == index)
            return bin.Count;
    return 0;
}

TEST_F(OffsetHistogramTest, EvenSpreadAcrossZeroSpansBinsMinus35To35)
{
    std::vector<double> ys;
    for (int i = -50; i <= 50; ++i)
        ys.push_back(i); // µs
    const OffsetHistogram h = BinOffsets(ys, 500);
    ASSERT_TRUE(h.HasBins);
    EXPECT_DOUBLE_EQ(h.Scale, 0.7); // a bin is 50/35 ≈ 1.43 µs wide
    ASSERT_EQ(h.Bins.size(), 71u);
    EXPECT_EQ(h.Bins.front().Index, -35);
    EXPECT_DOUBLE_EQ(h.Bins.front().Offset, -50);
    EXPECT_EQ(h.Bins.back().Index, 35);
    int total = 0;
    for (const HistogramBin& bin : h.Bins)
        total += bin.Count;
    EXPECT_EQ(total, 101);
    EXPECT_EQ(h.ChartTitle, "Count versus microseconds offset");
    EXPECT_EQ(h.BottomTitle, "Mean: 0.0 \u00b5s,  standard deviation: 29.3 \u00b5s");
}

TEST_F(OffsetHistogramTest, PositiveOffsetsFillBinsZeroTo70InMilliseconds)
{
    std::vector<double> ys;
    for (int i = 0; i <= 100; ++i)
        ys.push_back(i / 10.0); // 0 .. 10 ms
    const OffsetHistogram h = BinOffsets(ys, 20000);
    EXPECT_DOUBLE_EQ(h.Scale, 7.0);
    EXPECT_EQ(h.Bins.front().Index, 0);
    EXPECT_EQ(h.Bins.back().Index, 70);
    EXPECT_EQ(h.ChartTitle, "Count versus milliseconds offset");
    EXPECT_EQ(h.BottomTitle, "Mean: 5.0 ms,  standard deviation: 2.9 ms");
}

TEST_F(OffsetHistogramTest, GapMarkersCountAsZeroOffsets)
{
    const std::vector<double> plain = { -10, 10, -10, 10 };
    std::vector<double> withGap = plain;
    withGap.insert(withGap.begin() + 2, { 0.0, 0.0 });
    const OffsetHistogram a = BinOffsets(plain, 500);
    const OffsetHistogram b = BinOffsets(withGap, 500);
    EXPECT_EQ(CountIn(a, 0), 0);
    EXPECT_EQ(CountIn(b, 0), 2);
    EXPECT_DOUBLE_EQ(b.Mean, 0);
    EXPECT_DOUBLE_EQ(a.StandardDeviation, std::sqrt(400.0 / 3));
    EXPECT_DOUBLE_EQ(b.StandardDeviation, std::sqrt(400.0 / 5));
}

TEST_F(OffsetHistogramTest, SingleOffsetIsItsOwnMeanAndDeviation)
{
    for (double y : { 12.5, -3.0 }) {
        const OffsetHistogram h = BinOffsets(std::vector<double> { y }, 500);
        ASSERT_EQ(h.Bins.size(), 1u);
        EXPECT_EQ(h.Bins[0].Index, y > 0 ? 35 : -35);
        EXPECT_EQ(h.Mean, y);
        EXPECT_EQ(h.StandardDeviation, y);
    }
}

TEST_F(OffsetHistogramTest, ClippedOffsetsPileUpInTheOutermostBins)
{
    std::vector<double> ys = { -500, -500, -500, 500, 500, -20, 30 };
    const OffsetHistogram h = BinOffsets(ys, 500);
    EXPECT_EQ(h.Bins.front().Index, -35);
    EXPECT_EQ(h.Bins.front().Count, 3);
    EXPECT_EQ(h.Bins.back().Index, 35);
    EXPECT_EQ(h.Bins.back().Count, 2);
}

TEST_F(OffsetHistogramTest, BinIndexRoundsHalvesToEven)
{
    // Scale 35/s with s = 14: y = 1 gives 2.5, which goes to bin 2; y = 3 gives 7.5 -> 8.
    const OffsetHistogram h = BinOffsets(std::vector<double> { -14, 14, 1, 3 }, 500);
    EXPECT_EQ(CountIn(h, 2), 1);
    EXPECT_EQ(CountIn(h, 3), 0);
    EXPECT_EQ(CountIn(h, 8), 1);
}

TEST_F(OffsetHistogramTest, TitlesFollowTheClipLimit)
{
    const std::vector<double> ys = { 1.25, 2.5 };
    EXPECT_EQ(BinOffsets(ys, 500).ChartTitle, "Count versus microseconds offset");
    EXPECT_EQ(BinOffsets(ys, 1000).ChartTitle, "Count versus microseconds offset");
    EXPECT_EQ(BinOffsets(ys, 1500).ChartTitle, "Count versus milliseconds offset");
    EXPECT_EQ(BinOffsets(ys, 1500).BottomTitle, "Mean: 1.9 ms,  standard deviation: 0.9 ms");
}

TEST_F(OffsetHistogramTest, NothingToBinGivesAnEmptyHistogramThatSaysSo)
{
    const OffsetHistogram none = BinOffsets(std::vector<double> {}, 0);
    EXPECT_FALSE(none.HasBins);
    EXPECT_TRUE(none.Bins.empty());
    EXPECT_EQ(none.ChartTitle, "Nothing to show: no offsets plotted");
    EXPECT_TRUE(none.BottomTitle.isEmpty());

    const OffsetHistogram zeros = BinOffsets(std::vector<double>(50, 0.0), 500);
    EXPECT_FALSE(zeros.HasBins);
    EXPECT_TRUE(zeros.Bins.empty());
    EXPECT_EQ(zeros.ChartTitle, "Nothing to show: all offsets are 0");
    EXPECT_EQ(zeros.BottomTitle, "Mean: 0.0 \u00b5s,  standard deviation: 0.0 \u00b5s");
}

TEST_F(OffsetHistogramTest, LocaleDecimalSeparatorWithoutGrouping)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const OffsetHistogram h = BinOffsets(std::vector<double> { 1234.26, 1234.26 }, 5000000);
    EXPECT_EQ(h.BottomTitle, "Mean: 1234,3 ms,  standard deviation: 0,0 ms");
}

} // namespace
