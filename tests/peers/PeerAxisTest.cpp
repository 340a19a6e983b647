// Value axes of the peer charts, plotting thresholds and peer colours.
#include "PeerAxisScale.h"
#include "PeerColour.h"
#include "PeerThreshold.h"

#include <gtest/gtest.h>

TEST(PeerAxisScale, ShrinksBySpinnerStepAndSwitchesToMicroseconds)
{
    struct Case
    {
        int position;
        double minimum;
        double maximum;
        const char* unit;
    };
    // Offsets of -3 ms and +5 ms.
    const Case cases[] = {
        { 0, -3, 5.1, "ms" }, { 1, -1.875, 3.1875, "ms" },
        { 4, -3 / 6.5536, 5.1 / 6.5536, "ms" }, // about -0.458 to 0.778
        { 5, -3000 / 10.48576, 5100 / 10.48576, "µs" }, // about -286 to 486
        { -2, -3, 5.1, "ms" }, // out of range: as 0
    };
    for (const Case& c : cases) {
        const PeerAxisScale s = ComputePeerAxisScale(true, 5, -3, false, c.position);
        EXPECT_NEAR(s.Minimum, c.minimum, 1e-9) << c.position;
        EXPECT_NEAR(s.Maximum, c.maximum, 1e-9) << c.position;
        EXPECT_EQ(s.Unit, QString::fromUtf8(c.unit)) << c.position;
        EXPECT_EQ(s.Microseconds, s.Unit == QString::fromUtf8("µs"));
    }
    EXPECT_EQ(PeerAxisTitle("Offset", "ms"), "Offset - ms");
}

TEST(PeerAxisScale, FloorsEmptyAndNegativeCharts)
{
    const PeerAxisScale delay = ComputePeerAxisScale(true, 20, 3, true, 0);
    EXPECT_DOUBLE_EQ(delay.Minimum, 0);
    EXPECT_DOUBLE_EQ(delay.Maximum, 20.4);

    const PeerAxisScale noPeers = ComputePeerAxisScale(false, 0, 0, false, 0);
    EXPECT_DOUBLE_EQ(noPeers.Minimum, 1e20); // handed over reversed; the axis orders
    EXPECT_DOUBLE_EQ(noPeers.Maximum, -1.02e20);
    EXPECT_DOUBLE_EQ(ComputePeerAxisScale(false, 0, 0, true, 0).Minimum, 0);

    // All offsets negative: the top stays above the highest point.
    const PeerAxisScale negative = ComputePeerAxisScale(true, -1, -3, false, 0);
    EXPECT_DOUBLE_EQ(negative.Minimum, -3);
    EXPECT_DOUBLE_EQ(negative.Maximum, -0.98);
}

TEST(PeerThreshold, WholeMillisecondsOrNoThreshold)
{
    struct Case
    {
        const char* text;
        double seconds;
    };
    const Case cases[] = {
        { "0", 0 },
        { "50", 0.05 },
        { " 50 ", 0.05 },
        { "", 0 },
        { "5.5", 0 },
        { "abc", 0 },
        { "-5", 0 },
        { "2147483647", 2147483.647 },
        { "2147483648", 0 },
        { "99999999999999999999999", 0 },
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ParsePeerThreshold(c.text), c.seconds) << c.text;

    const double fifty = ParsePeerThreshold("50");
    EXPECT_FALSE(WithinPeerThreshold(0.05, fifty));
    EXPECT_FALSE(WithinPeerThreshold(-0.05, fifty));
    EXPECT_TRUE(WithinPeerThreshold(0.0499, fifty));
    EXPECT_TRUE(WithinPeerThreshold(1e6, 0));
}

TEST(PeerColour, FixedColoursThenBlack)
{
    EXPECT_EQ(PeerColour(0), ChartColor(0, 0, 100));
    EXPECT_EQ(PeerColour(7), ChartColor(0, 100, 100));
    EXPECT_EQ(PeerColour(14), ChartColor(0, 50, 100));
    for (const int i : { 15, 16, 200 })
        EXPECT_EQ(PeerColour(i), ChartColors::Black) << i;
}
