#include "LoopStoreBuilder.h"

#include "TLineSeries.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class LoopChartRebuild : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }

    LoopChartsFixture charts;
};

std::vector<double> Ys(const TChartSeries& s)
{
    return { s.YValues.begin(), s.YValues.end() };
}

TEST_F(LoopChartRebuild, AttachesEverySeriesToItsChartAndReplacesThemNextTime)
{
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 8 * 60), 40, 15);
    for (int run = 0; run < 2; ++run) {
        const LoopRebuildResults results = charts.Build(data.store);
        ASSERT_TRUE(results.Plotted);
        ASSERT_EQ(charts.offsets.SeriesCount(), 2u);
        EXPECT_EQ(charts.offsets.Series(0).Title(), "loopstats");
        EXPECT_EQ(charts.offsets.Series(0).PointCount(), 40u);
        EXPECT_EQ(charts.offsets.Series(1).Title(), "RMS");
        EXPECT_EQ(charts.offsets.Series(1).SeriesColor(), ChartColors::Black);
        ASSERT_EQ(charts.offsetVsTOD.SeriesCount(), 1u);
        EXPECT_EQ(charts.offsetVsTOD.Series(0).Title(), "2020-Apr-19");
        ASSERT_EQ(charts.absFrequency.SeriesCount(), 1u);
        EXPECT_EQ(Ys(charts.absFrequency.Series(0)), std::vector<double>(40, 10.0));
        ASSERT_EQ(charts.frequency.SeriesCount(), 1u);
        EXPECT_EQ(Ys(charts.frequency.Series(0)), std::vector<double>(40, 0.0));
        ASSERT_EQ(charts.freqVsTOD.SeriesCount(), 1u);
        ASSERT_EQ(charts.jitter.SeriesCount(), 2u);
        EXPECT_EQ(charts.jitter.Series(0).Title(), "loopstats");
        EXPECT_EQ(charts.jitter.Series(0).VertAxis(), VerticalAxis::Left);
        EXPECT_EQ(charts.jitter.Series(1).Title(), "loopstats avg.");
        EXPECT_EQ(charts.jitter.Series(1).VertAxis(), VerticalAxis::Right);
        ASSERT_EQ(charts.poll.SeriesCount(), 1u);
        EXPECT_EQ(Ys(charts.poll.Series(0)), std::vector<double>(40, 64.0));
        EXPECT_EQ(charts.poll.LeftAxis().Minimum(), 4);

        // One data set: only the RMS line and the days are listed in legends.
        for (TChart* chart : { &charts.absFrequency, &charts.frequency, &charts.poll })
            EXPECT_FALSE(chart->Series(0).ShowInLegend());
        EXPECT_FALSE(charts.offsets.Series(0).ShowInLegend());
        EXPECT_TRUE(charts.offsets.Series(1).ShowInLegend());
        EXPECT_TRUE(charts.offsetVsTOD.Series(0).ShowInLegend());
        EXPECT_FALSE(charts.jitter.Series(1).ShowInLegend());

        // On a button-face chart the jitter is red and its average green, and each axis
        // takes the colour of its series.
        EXPECT_EQ(charts.jitter.Series(0).SeriesColor(), ChartColors::Red);
        EXPECT_EQ(charts.jitter.Series(1).SeriesColor(), ChartColor(0, 128, 0));
        EXPECT_EQ(charts.jitter.LeftAxis().Title().FontColor(), ChartColors::Red);
        EXPECT_EQ(charts.jitter.LeftAxis().LabelsFontColor(), ChartColors::Red);
        EXPECT_EQ(charts.jitter.RightAxis().Title().FontColor(), ChartColor(0, 128, 0));
        EXPECT_EQ(charts.jitter.RightAxis().LabelsFontColor(), ChartColor(0, 128, 0));
        EXPECT_EQ(charts.jitter.RightAxis().Minimum(), 0);
    }
}

TEST_F(LoopChartRebuild, ChartsHearOfCompleteSeriesNotOfEachPoint)
{
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 0), 2000, 0.3);
    std::vector<int> notifications(7, 0);
    const auto all = charts.All();
    for (std::size_t c = 0; c < all.size(); ++c)
        all[c]->AddChangeObserver([&notifications, c] { ++notifications[c]; });
    charts.Build(data.store);
    for (std::size_t c = 0; c < all.size(); ++c) {
        EXPECT_GT(notifications[c], 0) << c;
        EXPECT_LT(notifications[c], 40) << c;
    }
}

TEST_F(LoopChartRebuild, SeveralDataSetsAreListedAndNeverClipped)
{
    LoopStoreBuilder data(QStringLiteral("first"));
    data.AddRegular(MinutesAfter(April19, 60), 20, 10, 0.01);
    data.AddDataSet(QStringLiteral("second"));
    data.AddRegular(MinutesAfter(April19, 60), 20, 10, 900.0);
    const LoopRebuildResults results = charts.Build(data.store);
    ASSERT_EQ(charts.offsets.SeriesCount(), 4u);
    EXPECT_TRUE(charts.offsets.Series(0).ShowInLegend());
    EXPECT_EQ(charts.offsets.Series(2).Title(), "second");
    EXPECT_EQ(results.OffsetClipLimit, 5000000);
    EXPECT_EQ(charts.offsets.Series(2).YValueAt(0), 900.0); // ms, unclipped
    EXPECT_EQ(charts.jitter.SeriesCount(), 4u);
    EXPECT_EQ(results.PlottedPointCount, 20);
    // Day colours count on across data sets within one run.
    ASSERT_EQ(charts.offsetVsTOD.SeriesCount(), 2u);
    EXPECT_EQ(charts.offsetVsTOD.Series(1).SeriesColor(), ChartColor::FromRgb(0xFF00FF));
}

TEST_F(LoopChartRebuild, ClipLimitAndOffsetUnit)
{
    struct Case
    {
        double MeanAbsMs;
        bool Clip;
        double ProbeMs;
        double Limit;
        double Drawn;
        const char* AxisTitle;
    };
    const Case cases[] = {
        { 0.08, true, -0.8, 500, -500, "Offset - \u00b5s" },
        { 0.15, true, -0.8, 1500, -0.8, "Offset - ms" },
        { 0.15, true, 2.0, 1500, 1.5, "Offset - ms" },
        { 0.5, true, -4.0, 3000, -3.0, "Offset - ms" },
        { 1.0, true, 12.0, 10000, 10.0, "Offset - ms" },
        { 2.0, true, 30.0, 20000, 20.0, "Offset - ms" },
        { 4.0, true, 70.0, 50000, 50.0, "Offset - ms" },
        { 0.08, false, -0.8, 5000000, -0.8, "Offset - ms" },
        { 400, false, 6000, 5000000, 5000, "Offset - ms" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ProbeMs);
        // 20 samples: the probe and 19 equal ones that bring the mean to the wanted value.
        const double rest = (20 * c.MeanAbsMs - std::fabs(c.ProbeMs)) / 19;
        ASSERT_GE(rest, 0);
        LoopStoreBuilder data;
        for (int i = 0; i < 20; ++i)
            data.Add(MinutesAfter(April19, 600 + i * 10), i == 5 ? c.ProbeMs : rest);
        LoopRebuildInputs inputs;
        inputs.ClipOffsets = c.Clip;
        const LoopRebuildResults results = charts.Build(data.store, inputs);
        EXPECT_EQ(results.OffsetClipLimit, c.Limit);
        EXPECT_DOUBLE_EQ(charts.offsets.Series(0).YValueAt(5), c.Drawn);
        EXPECT_DOUBLE_EQ(charts.offsetVsTOD.Series(0).YValueAt(5), c.Drawn);
        EXPECT_DOUBLE_EQ(results.OffsetCopy->YValueAt(5), c.Drawn);
        EXPECT_EQ(charts.offsets.LeftAxis().Title().Caption(), QString::fromUtf8(c.AxisTitle));
        EXPECT_EQ(charts.offsetVsTOD.LeftAxis().Title().Caption(), QString::fromUtf8(c.AxisTitle));
    }
}

TEST_F(LoopChartRebuild, DaySeriesFromHalfPastTenAtNightToHalfPastTenTwoDaysLater)
{
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 22 * 60 + 30), 36 * 4 + 1, 15);
    LoopRebuildInputs inputs;
    inputs.PlotHours = 48;
    charts.Build(data.store, inputs);
    const char* titles[] = { "2020-Apr-19", "2020-Apr-20", "2020-Apr-21" };
    const std::uint32_t colours[] = { 0x000080, 0xFF00FF, 0x339966 };
    const std::size_t points[] = { 6, 96, 43 };
    for (TChart* chart : { &charts.offsetVsTOD, &charts.freqVsTOD }) {
        ASSERT_EQ(chart->SeriesCount(), 3u);
        for (std::size_t d = 0; d < 3; ++d) {
            const TChartSeries& day = chart->Series(d);
            EXPECT_EQ(day.Title(), titles[d]);
            EXPECT_EQ(day.SeriesColor(), ChartColor::FromRgb(colours[d]));
            EXPECT_EQ(day.PointCount(), points[d]);
            EXPECT_TRUE(day.XValues.DateTime);
            EXPECT_GE(day.XValues[0], 0.0);
            EXPECT_LT(day.XValues[day.PointCount() - 1], 1.0);
        }
    }
}

TEST_F(LoopChartRebuild, RmsLevelPerClockHour)
{
    // 10:05, 10:25, 10:45, 11:05: the first three offsets make one level from 10:05 to
    // 11:05; the last sample is in no level. The samples the day before lie outside the
    // twelve-hour window and only make the store long enough to plot.
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19 - 1, 8 * 60), 12, 5);
    const double offsets[] = { 0.01, 0.02, 0.04, 0.09 };
    for (int i = 0; i < 4; ++i)
        data.Add(MinutesAfter(April19, 605 + 20 * i), offsets[i]);
    const LoopRebuildResults results = charts.Build(data.store);
    ASSERT_EQ(results.PlottedPointCount, 4);
    const TChartSeries& rms = charts.offsets.Series(1);
    ASSERT_EQ(rms.PointCount(), 2u);
    const double mean = (0.01 + 0.02 + 0.04) / 3;
    const double sd = std::sqrt(
        ((0.01 - mean) * (0.01 - mean) + (0.02 - mean) * (0.02 - mean) + (0.04 - mean) * (0.04 - mean)) / 3);
    EXPECT_DOUBLE_EQ(rms.XValueAt(0), MinutesAfter(April19, 605));
    EXPECT_NEAR(rms.XValueAt(1), MinutesAfter(April19, 665), 1e-9);
    EXPECT_NEAR(rms.YValueAt(0), sd * 1000, 1e-9); // µs, like the offsets
    EXPECT_EQ(rms.YValueAt(0), rms.YValueAt(1));
}

TEST_F(LoopChartRebuild, GapMarkers)
{
    struct Case
    {
        double GapMinutes;
        bool IgnoreGaps;
        bool Markers;
    };
    const Case cases[] = {
        { 61, false, true },
        { 59, false, false },
        { 61, true, false },
        { 6 * 1440, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.GapMinutes);
        LoopStoreBuilder data;
        const double start = MinutesAfter(April19, 0);
        for (int i = 0; i < 10; ++i)
            data.Add(MinutesAfter(start, i * 10), 0.01, 10 + i, 0.02, 6);
        const double resume = MinutesAfter(start, 90 + c.GapMinutes);
        for (int i = 0; i < 10; ++i)
            data.Add(MinutesAfter(resume, i * 10), 0.01, 30, 0.02, 8);
        LoopRebuildInputs inputs;
        inputs.IgnoreDataGaps = c.IgnoreGaps;
        inputs.PlotHours = 168;
        charts.Build(data.store, inputs);

        const std::size_t expected = c.Markers ? 22 : 20;
        for (TChart* chart : { &charts.offsets, &charts.absFrequency, &charts.frequency, &charts.jitter, &charts.poll })
            EXPECT_EQ(chart->Series(0).PointCount(), expected);
        EXPECT_EQ(charts.jitter.Series(1).PointCount(), expected);
        if (!c.Markers)
            continue;
        const double a = MinutesAfter(start, 90) + 1.0 / 86400;
        const double b = resume - 1.0 / 86400;
        struct Marker
        {
            const TChartSeries& Series;
            double Y;
        };
        const Marker markers[] = {
            { charts.offsets.Series(0), 0 },
            { charts.absFrequency.Series(0), 19 },
            { charts.frequency.Series(0), 0 },
            { charts.jitter.Series(0), 0 },
            { charts.jitter.Series(1), 0 },
            { charts.poll.Series(0), 4 },
        };
        for (const Marker& m : markers) {
            EXPECT_DOUBLE_EQ(m.Series.XValueAt(10), a);
            EXPECT_DOUBLE_EQ(m.Series.XValueAt(11), b);
            EXPECT_EQ(m.Series.YValueAt(10), m.Y);
            EXPECT_EQ(m.Series.YValueAt(11), m.Y);
        }
        // The day series get the markers at the time of day.
        const TChartSeries& day = charts.offsetVsTOD.Series(charts.offsetVsTOD.SeriesCount() - 1);
        EXPECT_EQ(day.PointCount(), expected);
    }
}

TEST_F(LoopChartRebuild, TooFewSamples)
{
    for (int count : { 15, 16 }) {
        SCOPED_TRACE(count);
        LoopStoreBuilder data;
        data.AddRegular(MinutesAfter(April19, 600), count, 10);
        const LoopRebuildResults results = charts.Build(data.store);
        if (count == 15) {
            EXPECT_EQ(results.Messages, QStringList { "Too few data points (15), at least 16 are required." });
            EXPECT_FALSE(results.Plotted);
            EXPECT_TRUE(results.FilesHint.isEmpty());
            EXPECT_EQ(results.OffsetCopy->PointCount(), 0u);
            for (TChart* chart : charts.All())
                EXPECT_EQ(chart->SeriesCount(), 0u);
        } else {
            EXPECT_TRUE(results.Messages.isEmpty());
            EXPECT_TRUE(results.Plotted);
            EXPECT_EQ(results.PlottedPointCount, 16);
            EXPECT_EQ(charts.offsets.Series(0).PointCount(), 16u);
        }
    }
}

TEST_F(LoopChartRebuild, WindowLongerThanTheChartsTakeIsCutAtItsStart)
{
    // 60,000 samples 8 s apart lie within a week: the first plotted is the 57,601st from
    // the end, index 2399, and the warning names its time.
    LoopStoreBuilder data;
    const double start = MinutesAfter(April19, 0);
    for (int i = 0; i < 60000; ++i)
        data.Add(start + i * 8.0 / 86400);
    LoopRebuildInputs inputs;
    inputs.PlotHours = 168;
    inputs.HoursToAverage = 1;
    const LoopRebuildResults results = charts.Build(data.store, inputs);
    const double first = data.store.LoopTimes[0][2399]; // 05:19:52
    ASSERT_EQ(results.Messages.size(), 1);
    EXPECT_EQ(results.Messages[0], "Warning: too many points to plot!  Earliest will now be:\n2020-Apr-19 05:19");
    EXPECT_EQ(results.PlottedPointCount, 57601);
    EXPECT_EQ(results.FirstPlottedTime, first);
    EXPECT_EQ(charts.offsets.Series(0).PointCount(), 57601u);
    EXPECT_EQ(charts.offsets.Series(0).XValueAt(0), first);
    EXPECT_TRUE(results.FilesHint.startsWith("57601 loopstats values used from:"));
}

TEST_F(LoopChartRebuild, ShortDataSetIsPlottedWhole)
{
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 600), 20, 10);
    LoopRebuildInputs inputs;
    inputs.JitterScalePosition = 8;
    inputs.JitterScaleChosen = true;
    const LoopRebuildResults results = charts.Build(data.store, inputs);
    EXPECT_EQ(results.PlottedPointCount, 20);
    EXPECT_EQ(results.FirstPlottedTime, data.store.LoopTimes[0][0]);
    // The window starts at the data set's first sample, whose average is 0.
    EXPECT_EQ(charts.jitter.Series(1).YValueAt(0), 0.0);
    EXPECT_EQ(charts.jitter.Series(1).YValueAt(1), static_cast<float>(0.02) * 1000.0); // single-precision sum
}

TEST_F(LoopChartRebuild, JitterScaleChoice)
{
    struct Case
    {
        double JitterMs;
        bool Chosen;
        bool Reload;
        int Position;
        int Expected;
        double LeftMax;
    };
    const Case cases[] = {
        { 0.08, false, false, 0, 7, 2000 },
        { 0.04, false, false, 0, 11, 100 },
        { 0.08, true, false, 14, 14, 10 },
        { 0.08, false, true, 9, 9, 500 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Expected);
        LoopStoreBuilder data;
        data.AddRegular(MinutesAfter(April19, 600), 30, 20, 0.01, c.JitterMs);
        LoopRebuildInputs inputs;
        inputs.JitterScaleChosen = c.Chosen;
        inputs.ReloadInProgress = c.Reload;
        inputs.JitterScalePosition = c.Position;
        const LoopRebuildResults results = charts.Build(data.store, inputs);
        EXPECT_EQ(results.JitterScalePosition, c.Expected);
        EXPECT_TRUE(results.JitterScaleChosen);
        EXPECT_EQ(charts.jitter.LeftAxis().Maximum(), c.LeftMax);
        EXPECT_EQ(charts.jitter.LeftAxis().Minimum(), 0);
        EXPECT_EQ(charts.jitter.RightAxis().Maximum(), c.LeftMax / 10);
        // The jitter and its average are clipped to their axes.
        EXPECT_EQ(charts.jitter.Series(0).YValueAt(3), std::min(c.JitterMs * 1000, c.LeftMax));
        EXPECT_LE(charts.jitter.Series(1).YValueAt(3), c.LeftMax / 10);
    }
}

TEST_F(LoopChartRebuild, WeightedChangesOnlyTheMovingAverage)
{
    LoopStoreBuilder data;
    for (int i = 0; i < 50; ++i)
        data.Add(MinutesAfter(April19, 600 + i * 10), 0.01 * (i % 7), 10 + 0.1 * (i % 3), 0.01 + 0.002 * (i % 5), 6);
    LoopRebuildInputs inputs;
    inputs.JitterScalePosition = 8;
    inputs.JitterScaleChosen = true;
    LoopChartsFixture weighted;
    charts.Build(data.store, inputs);
    inputs.ExponentialAverage = true;
    inputs.Store = &data.store;
    inputs.LatestTime = data.store.LoopTimes[0].back();
    BuildLoopCharts(inputs, weighted.Set());
    const auto plain = charts.All();
    const auto other = weighted.All();
    for (std::size_t c = 0; c < plain.size(); ++c) {
        for (std::size_t s = 0; s < plain[c]->SeriesCount(); ++s) {
            const bool isAverage = plain[c] == &charts.jitter && s == 1;
            EXPECT_EQ(Ys(plain[c]->Series(s)) != Ys(other[c]->Series(s)), isAverage) << c << " " << s;
        }
    }
}

TEST_F(LoopChartRebuild, PollInterval)
{
    struct Case
    {
        std::int32_t Exponent;
        double Seconds; // 0: no point
    };
    const Case cases[] = { { 6, 64 }, { 10, 1024 }, { 0, 1 }, { 30, 1073741824 }, { 31, 0 }, { -1, 0 } };
    LoopStoreBuilder data;
    for (int i = 0; i < 16; ++i) {
        const std::int32_t exponent = cases[i % 6].Exponent;
        data.Add(MinutesAfter(April19, 600 + i), 0.01, 10, 0.02, exponent);
    }
    charts.Build(data.store);
    std::vector<double> expected;
    for (int i = 0; i < 16; ++i)
        if (cases[i % 6].Seconds > 0)
            expected.push_back(cases[i % 6].Seconds);
    EXPECT_EQ(Ys(charts.poll.Series(0)), expected);
}

TEST_F(LoopChartRebuild, BottomAxisTitles)
{
    struct Case
    {
        QString Directory;
        double LastMinute;
        const char* Dated;
        const char* TimeOfDay;
    };
    const Case cases[] = {
        { "", 20 * 60 + 15, "2020-Apr-19 08:15 to 20:15 UTC", "Time (UTC)" },
        { "/var/log/ntpstats", 24 * 60 + 60, "/var/log/ntpstats  -  2020-Apr-19 13:00 to 2020-Apr-20 01:00 UTC",
            "/var/log/ntpstats  -  Time (UTC)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dated);
        LoopStoreBuilder data;
        const int count = 20;
        const double firstMinute = c.LastMinute - 12 * 60;
        for (int i = 0; i < count; ++i)
            data.Add(MinutesAfter(April19, firstMinute + i * (12.0 * 60 / (count - 1))));
        LoopRebuildInputs inputs;
        inputs.DirectoryLabel = c.Directory;
        charts.Build(data.store, inputs);
        for (TChart* chart : { &charts.offsets, &charts.jitter, &charts.frequency, &charts.absFrequency, &charts.poll })
            EXPECT_EQ(chart->BottomAxis().Title().Caption(), c.Dated);
        EXPECT_EQ(charts.offsetVsTOD.BottomAxis().Title().Caption(), c.TimeOfDay);
        EXPECT_EQ(charts.freqVsTOD.BottomAxis().Title().Caption(), c.TimeOfDay);
    }
}

TEST_F(LoopChartRebuild, FilesHint)
{
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 600), 20, 10);
    LoopRebuildInputs inputs;
    inputs.LoopFilesRead = { "loopstats.20200418.gz", "loopstats.20200419" };
    const LoopRebuildResults results = charts.Build(data.store, inputs);
    EXPECT_EQ(results.FilesHint, "20 loopstats values used from:\n\nloopstats.20200418.gz\nloopstats.20200419\n");
}

TEST_F(LoopChartRebuild, NoDataAndBadInputsGiveSoundResults)
{
    // No store, an empty store: empty charts, no message.
    LoopRebuildInputs none;
    const LoopRebuildResults empty = BuildLoopCharts(none, charts.Set());
    EXPECT_FALSE(empty.Plotted);
    EXPECT_TRUE(empty.Messages.isEmpty());
    ASSERT_NE(empty.OffsetCopy, nullptr);

    // A store whose counts claim more than its arrays hold is read as far as they go.
    LoopStoreBuilder data;
    data.AddRegular(MinutesAfter(April19, 600), 20, 10);
    LoopStore lying = data.store;
    lying.PointCounts[0] = 1000;
    lying.DataSetCount = 3;
    EXPECT_EQ(charts.Build(lying).PlottedPointCount, 20);

    // Time stamps on or before day 0 (1899-12-30) still get their day series.
    LoopStoreBuilder ancient;
    ancient.AddRegular(-3.5, 20, 10);
    EXPECT_EQ(charts.Build(ancient.store).PlottedPointCount, 20);
    EXPECT_EQ(charts.offsetVsTOD.SeriesCount(), 1u);

    // Control values outside their spinners' ranges are taken as the nearest end.
    struct Case
    {
        int PlotHours;
        int HoursToAverage;
        int JitterScale;
    };
    for (const Case& c : { Case { 0, 0, -5 }, Case { -100, -1, 99 }, Case { 100000, 1000, 17 } }) {
        LoopRebuildInputs inputs;
        inputs.PlotHours = c.PlotHours;
        inputs.HoursToAverage = c.HoursToAverage;
        inputs.JitterScalePosition = c.JitterScale;
        inputs.JitterScaleChosen = true;
        const LoopRebuildResults results = charts.Build(data.store, inputs);
        EXPECT_TRUE(results.Plotted);
        EXPECT_GE(results.JitterScalePosition, 0);
        EXPECT_LE(results.JitterScalePosition, 17);
        for (double y : Ys(charts.jitter.Series(1)))
            EXPECT_TRUE(std::isfinite(y));
    }
}

} // namespace
