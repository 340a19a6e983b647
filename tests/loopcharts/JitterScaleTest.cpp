#include "JitterScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double Day = 43940;

TEST(JitterScale, AutomaticChoiceFollowsTheMedian)
{
    struct Case
    {
        double MedianMs;
        int Position;
        double FullScaleUs;
    };
    const Case cases[] = {
        { 0.0, 11, 100 },
        { 0.04, 11, 100 },
        { 0.05, 11, 100 },
        { 0.08, 7, 2000 },
        { 0.1, 7, 2000 },
        { 0.15, 6, 5000 },
        { 0.2, 6, 5000 },
        { 0.5, 5, 10000 },
        { 0.7, 5, 10000 },
        { 1.0, 4, 20000 },
        { 2.0, 3, 50000 },
        { 4.0, 2, 100000 },
        { 6.0, 2, 100000 },
        { 10.0, 1, 200000 },
        { 15.0, 1, 200000 },
        { 15.5, 0, 500000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.MedianMs);
        const int position = JitterScaleForMedian(c.MedianMs);
        EXPECT_EQ(position, c.Position);
        EXPECT_EQ(JitterFullScaleAt(position), c.FullScaleUs);
    }
}

TEST(JitterScale, PositionsOutsideTheSpinnerTakeItsEnds)
{
    EXPECT_EQ(JitterFullScaleAt(-3), 500000);
    EXPECT_EQ(JitterFullScaleAt(17), 1);
    EXPECT_EQ(JitterFullScaleAt(99), 1);
}

TEST(JitterScale, DrawnJitterIsClippedToTheFullScale)
{
    EXPECT_DOUBLE_EQ(DrawnJitter(0.3, 100), 100); // 0.3 ms at 100 µs: the top of the axis
    EXPECT_DOUBLE_EQ(DrawnJitter(0.05, 100), 50);
    EXPECT_DOUBLE_EQ(DrawnJitter(-0.3, 100), -100);
}

struct Series
{
    std::vector<double> Times;
    std::vector<double> Jitters;
    double Median(int plotHours) const
    {
        return MedianJitter(Times.data(), Jitters.data(), static_cast<std::int32_t>(Times.size()), plotHours);
    }
};

TEST(JitterScale, FastSamplesCountOncePerThinningInterval)
{
    // 15 s apart: the samples taken are every 69th (1035 s > 1024 s). They hold a low
    // jitter and all others a high one, so the median is low only if exactly they count.
    Series s;
    for (int i = 0; i < 2000; ++i) {
        s.Times.push_back(Day + i * 15.0 / 86400);
        s.Jitters.push_back(i % 69 == 0 ? 0.01 : 5.0);
    }
    EXPECT_DOUBLE_EQ(s.Median(12), 0.01);
}

TEST(JitterScale, SlowSamplesAllCountAndAnEvenCountAveragesTheMiddle)
{
    Series s;
    const double jitters[] = { 0.4, 0.1, 0.3, 0.2 };
    for (int i = 0; i < 4; ++i) {
        s.Times.push_back(Day + i * 2048.0 / 86400);
        s.Jitters.push_back(jitters[i]);
    }
    EXPECT_DOUBLE_EQ(s.Median(12), 0.25);
}

TEST(JitterScale, MedianLooksOnlyAtThePlotWindow)
{
    // Twenty hours of large jitters, then twelve hours of small ones: a 12-hour window
    // sees only the small ones, a week's window mostly the large ones.
    Series s;
    for (int i = 0; i <= 32 * 4; ++i) {
        s.Times.push_back(Day + i / 96.0);
        s.Jitters.push_back(i < 20 * 4 ? 9.0 : 0.02);
    }
    EXPECT_DOUBLE_EQ(s.Median(12), 0.02);
    EXPECT_DOUBLE_EQ(s.Median(168), 9.0);
}

TEST(JitterScale, EmptyOrUnorderableDataGiveASoundMedian)
{
    Series empty;
    EXPECT_EQ(empty.Median(12), 0);
    Series nan { { Day, Day + 0.1, Day + 0.2 }, { std::nan(""), 0.5, std::nan("") } };
    EXPECT_DOUBLE_EQ(nan.Median(12), 0.5);
}

} // namespace
