// The Analysis page without a window: the stability chart from a known loop window, the
// summary rows and cells, their CSV, and inputs that give too little to estimate.
#include "AnalysisSamples.h"
#include "AnalysisSummary.h"
#include "LoopStore.h"
#include "StabilityChart.h"
#include "TChart.h"
#include "TErrorBarSeries.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double Day = 45000; // 2023-03-15
constexpr double Second = 1.0 / 86400;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// n samples 64 s apart whose offsets alternate between +a and -a milliseconds.
LoopWindowSamples Alternating(int n, double a)
{
    LoopWindowSamples loop;
    for (int i = 0; i < n; ++i) {
        loop.Times.push_back(Day + i * 64 * Second);
        loop.Offsets.push_back(i % 2 == 0 ? a : -a);
        loop.Frequencies.push_back(-12.5);
        loop.Jitters.push_back(0.002);
    }
    loop.FirstPlottedTime = loop.Times.front();
    loop.LatestTime = loop.Times.back();
    return loop;
}

const TErrorBarSeries& Bars(const TChart& chart, std::size_t i)
{
    return dynamic_cast<const TErrorBarSeries&>(chart.Series(i));
}

class AnalysisTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(AnalysisTest, StabilityChartOfAKnownLoopWindow)
{
    // Phases ±0.5 ms: every second difference at tau0 = 64 s is 4a, so
    // ADEV = MDEV = 2 sqrt(2) a / tau0 and TDEV = tau0 / sqrt(3) * MDEV; at 128 s and
    // beyond the second differences vanish (to the rounding of the sums).
    const int n = 64;
    const LoopWindowSamples loop = Alternating(n, 0.5);
    const StabilityEstimates estimates = EstimateStability(loop, {}, false, QStringLiteral("UTC"));
    TChart chart;
    BuildStabilityChart(estimates, chart);

    EXPECT_EQ(chart.Title(), QStringLiteral("Stability versus averaging time  -  2023-Mar-15 00:00 to 01:07 UTC"));
    ASSERT_EQ(chart.SeriesCount(), 3u);
    const double a = 0.5e-3;
    const double adev = 2 * std::sqrt(2.0) * a / 64;
    const double terms = n - 2;
    const struct
    {
        const char* title;
        double deviation;
        VerticalAxis axis;
    } expected[] = {
        { "Loop ADEV", adev, VerticalAxis::Left },
        { "Loop MDEV", adev, VerticalAxis::Left },
        { "Loop TDEV", 64 / std::sqrt(3.0) * adev, VerticalAxis::Right },
    };
    for (std::size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(expected[s].title);
        const TErrorBarSeries& series = Bars(chart, s);
        EXPECT_EQ(series.Title(), QLatin1String(expected[s].title));
        EXPECT_EQ(series.VertAxis(), expected[s].axis);
        ASSERT_GE(series.PointCount(), 1u);
        EXPECT_DOUBLE_EQ(series.XValueAt(0), 64.0);
        for (std::size_t i = 1; i < series.PointCount(); ++i) {
            EXPECT_DOUBLE_EQ(series.XValueAt(i), 64.0 * double(1 << i));
            EXPECT_LT(series.YValueAt(i), expected[s].deviation * 1e-12);
        }
        EXPECT_NEAR(series.YValueAt(0), expected[s].deviation, expected[s].deviation * 1e-9);
        EXPECT_EQ(series.TermsAt(0), std::int64_t(terms));
        EXPECT_NEAR(series.LowAt(0), expected[s].deviation * (1 - 1 / std::sqrt(terms)), expected[s].deviation * 1e-9);
        EXPECT_NEAR(series.HighAt(0), expected[s].deviation * (1 + 1 / std::sqrt(terms)), expected[s].deviation * 1e-9);
    }
    // The time deviation's axis speaks in its colour.
    EXPECT_EQ(chart.RightAxis().LabelsFontColor(), chart.Series(2).SeriesColor());

    // The data file: 9 significant digits.
    const QStringList lines = StabilityCsv(estimates).split(QLatin1Char('\n'));
    EXPECT_EQ(lines[0], QStringLiteral("series,tau,deviation,low,high,n"));
    EXPECT_EQ(lines[1].section(QLatin1Char(','), 0, 1), QStringLiteral("Loop ADEV,64"));
    EXPECT_EQ(lines[1].section(QLatin1Char(','), 2, 2), QString::number(adev, 'g', 9));
    EXPECT_EQ(lines[1].section(QLatin1Char(','), 5, 5), QStringLiteral("62"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Loop ADEV,128,"))) << lines[2].toStdString();
}

TEST_F(AnalysisTest, WhitePhaseNoiseFallsByTauOnEveryCurveAndPointsStayInOrder)
{
    // A deterministic noise of 1 µs: ADEV of white phase noise falls about as 1/tau.
    LoopWindowSamples loop;
    std::uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1664525u + 1013904223u;
        loop.Times.push_back(Day + i * 16 * Second);
        loop.Offsets.push_back((double(state >> 8) / double(1u << 24) - 0.5) * 1e-3);
    }
    loop.FirstPlottedTime = loop.Times.front();
    loop.LatestTime = loop.Times.back();
    TChart chart;
    BuildStabilityChart(EstimateStability(loop, {}, false, QStringLiteral("UTC")), chart);
    ASSERT_EQ(chart.SeriesCount(), 3u);
    const TErrorBarSeries& adev = Bars(chart, 0);
    ASSERT_GE(adev.PointCount(), 6u);
    for (std::size_t i = 1; i < adev.PointCount(); ++i) {
        EXPECT_DOUBLE_EQ(adev.XValueAt(i), 2 * adev.XValueAt(i - 1));
        const double ratio = adev.YValueAt(i) / adev.YValueAt(i - 1);
        EXPECT_GT(ratio, 0.35) << "at tau " << adev.XValueAt(i);
        EXPECT_LT(ratio, 0.7) << "at tau " << adev.XValueAt(i);
        EXPECT_LT(adev.LowAt(i), adev.YValueAt(i));
        EXPECT_GT(adev.HighAt(i), adev.YValueAt(i));
    }
}

TEST_F(AnalysisTest, TooLittleDataSaysSoAndNeverDrawsANonFinitePoint)
{
    const auto window = [](std::vector<double> times, std::vector<double> offsets) {
        LoopWindowSamples loop;
        loop.Times = std::move(times);
        loop.Offsets = std::move(offsets);
        loop.Frequencies = loop.Offsets;
        loop.Jitters = loop.Offsets;
        loop.FirstPlottedTime = loop.Times.empty() ? 0 : loop.Times.front();
        loop.LatestTime = loop.Times.empty() ? 0 : loop.Times.back();
        return loop;
    };
    std::vector<double> sameTime(20, Day);
    std::vector<double> twoInstants(10, Day);
    twoInstants.insert(twoInstants.end(), 10, Day + 30);
    std::vector<double> nanTimes(20, NaN);
    std::vector<double> counted(20);
    for (int i = 0; i < 20; ++i)
        counted[std::size_t(i)] = i * 0.01;
    std::vector<double> ramp(20);
    for (int i = 0; i < 20; ++i)
        ramp[std::size_t(i)] = Day + i * 64 * Second;
    std::vector<double> wiggle(20);
    for (int i = 0; i < 20; ++i)
        wiggle[std::size_t(i)] = (i % 3) * 0.01;
    std::vector<double> bursts;
    for (int i = 0; i < 10; ++i)
        bursts.push_back(Day + i * Second);
    for (int i = 0; i < 10; ++i)
        bursts.push_back(Day + 300 + i * Second);
    const struct
    {
        const char* name;
        LoopWindowSamples loop;
        bool estimate; // some averaging time can be estimated
    } cases[] = {
        { "no samples", window({}, {}), false },
        { "one sample", window({ Day }, { 0.1 }), false },
        { "two samples at one time", window({ Day, Day }, { 0.1, 0.2 }), false },
        { "all samples at one time", window(sameTime, counted), false },
        { "median spacing 0", window(twoInstants, counted), false },
        { "times not numbers", window(nanTimes, counted), false },
        { "offsets not numbers", window(ramp, std::vector<double>(20, NaN)), false },
        { "infinite offsets", window(ramp, std::vector<double>(20, INFINITY)), false },
        { "three samples", window({ Day, Day + 64 * Second, Day + 128 * Second }, { 0.1, 0.3, 0.2 }), false },
        { "two bursts 300 days apart", window(bursts, wiggle), true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TChart chart;
        BuildStabilityChart(EstimateStability(c.loop, {}, true, QStringLiteral("UTC")), chart);
        EXPECT_EQ(chart.Title() != NotEnoughDataTitle(), c.estimate) << chart.Title().toStdString();
        EXPECT_EQ(chart.SeriesCount() > 0, c.estimate);
        for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
            const TErrorBarSeries& series = Bars(chart, s);
            for (std::size_t i = 0; i < series.PointCount(); ++i) {
                EXPECT_TRUE(std::isfinite(series.XValueAt(i)) && series.XValueAt(i) > 0);
                EXPECT_TRUE(std::isfinite(series.YValueAt(i)) && series.YValueAt(i) > 0);
                EXPECT_TRUE(std::isfinite(series.LowAt(i)) && std::isfinite(series.HighAt(i)));
            }
        }
        // The summary of the same samples has no cell that is not a number.
        for (const QStringList& row : SummaryTableCells(BuildSummaryRows(c.loop, {}), SummaryCells::Full))
            for (const QString& cell : row)
                EXPECT_FALSE(cell.contains(QLatin1String("nan")) || cell.contains(QLatin1String("inf")))
                    << cell.toStdString();
    }
}

TEST_F(AnalysisTest, PeersTooAddsEachPeersDeviationInItsColourWithinTheLoopWindow)
{
    const LoopWindowSamples loop = Alternating(64, 0.5);
    std::vector<double> insideTimes;
    std::vector<double> insideOffsets;
    std::vector<double> outsideTimes;
    std::vector<double> outsideOffsets;
    for (int i = 0; i < 64; ++i) {
        insideTimes.push_back(Day + i * 64 * Second);
        insideOffsets.push_back(i % 2 == 0 ? 2000.0 : -2000.0); // 2 ms, four times the loop's
        outsideTimes.push_back(Day + 1 + i * 64 * Second); // the next day
        outsideOffsets.push_back(0.1 * i);
    }
    PeerSamples inside;
    inside.Address = QStringLiteral("192.168.0.5");
    inside.Colour = ChartColor(250, 0, 250);
    inside.OffsetTimes = insideTimes;
    inside.Offsets = { insideOffsets, true }; // the chart shows microseconds
    PeerSamples outside = inside;
    outside.Address = QStringLiteral("203.0.113.9");
    outside.OffsetTimes = outsideTimes;
    outside.Offsets = { outsideOffsets, false };
    const std::vector<PeerSamples> peers { inside, outside };

    TChart without;
    BuildStabilityChart(EstimateStability(loop, peers, false, QStringLiteral("UTC")), without);
    EXPECT_EQ(without.SeriesCount(), 3u);

    TChart with;
    const StabilityEstimates estimates = EstimateStability(loop, peers, true, QStringLiteral("UTC"));
    BuildStabilityChart(estimates, with);
    ASSERT_EQ(with.SeriesCount(), 4u) << "the peer outside the loop window has nothing to estimate";
    const TErrorBarSeries& peer = Bars(with, 3);
    EXPECT_EQ(peer.Title(), QStringLiteral("192.168.0.5 ADEV"));
    EXPECT_EQ(peer.SeriesColor(), ChartColor(250, 0, 250));
    ASSERT_GE(peer.PointCount(), 1u);
    EXPECT_NEAR(peer.YValueAt(0), 4 * Bars(with, 0).YValueAt(0), 1e-15);
    EXPECT_TRUE(StabilityCsv(estimates).contains(QStringLiteral("\n192.168.0.5 ADEV,64,")));
}

TEST_F(AnalysisTest, SummaryRowsAndCellsShownAndInFull)
{
    LoopWindowSamples loop;
    loop.Times = { Day, Day + Second, Day + 2 * Second, Day + 3 * Second };
    loop.Offsets = { 0.001, 0.002, 0.003, 0.004 }; // ms
    loop.Frequencies = { -12.5, -12.5, -12.5, -12.5 };
    loop.Jitters = { 0.001, 0.001, 0.001, 1.0 / 3 };
    const std::vector<double> offsets { 1500, NaN, -500 }; // shown in µs
    const std::vector<double> jitters { 0.25 };
    PeerSamples peer;
    peer.Address = QStringLiteral("192.168.0.5");
    peer.Offsets = { offsets, true };
    peer.Jitters = { jitters, false };
    const std::vector<SummaryRow> rows = BuildSummaryRows(loop, std::vector<PeerSamples> { peer });

    const std::vector<QStringList> shown = SummaryTableCells(rows, SummaryCells::Shown, QLocale(QLocale::German));
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[0].join(QLatin1Char('|')),
        QStringLiteral("Series|Min|1%|5%|50%|95%|99%|Max|90% range|98% range|StdDev|Mean|Samples"));
    EXPECT_EQ(shown[1].join(QLatin1Char('|')),
        QStringLiteral("Loop offset (µs)|1,000|1,030|1,150|2,500|3,850|3,970|4,000|2,700|2,940|1,291|2,500|4"));
    EXPECT_EQ(shown[2][0], QStringLiteral("Loop frequency (ppm)"));
    EXPECT_EQ(shown[2][1], QStringLiteral("-12,500"));
    EXPECT_EQ(shown[2][10], QStringLiteral("0,000"));
    EXPECT_EQ(shown[3][0], QStringLiteral("Loop jitter (µs)"));
    EXPECT_EQ(shown[3][7], QStringLiteral("333,333"));
    // A peer's rows: the value that is not a number is left out, an empty list has
    // empty cells and no samples, a single value has no standard deviation.
    EXPECT_EQ(shown[4].join(QLatin1Char('|')),
        QStringLiteral(
            "192.168.0.5 offset (ms)|-0,500|-0,480|-0,400|0,500|1,400|1,480|1,500|1,800|1,960|1,414|0,500|2"));
    EXPECT_EQ(shown[5].join(QLatin1Char('|')), QStringLiteral("192.168.0.5 delay (ms)||||||||||||0"));
    EXPECT_EQ(shown[6][0], QStringLiteral("192.168.0.5 jitter (ms)"));
    EXPECT_EQ(shown[6][10], QString());
    EXPECT_EQ(shown[6][12], QStringLiteral("1"));

    // In full: 9 significant digits with a full stop whatever the locale.
    const std::vector<QStringList> full = SummaryTableCells(rows, SummaryCells::Full, QLocale(QLocale::German));
    EXPECT_EQ(full[0], shown[0]);
    EXPECT_EQ(full[3][7], QStringLiteral("333.333333"));
    EXPECT_EQ(full[1][10], QStringLiteral("1.29099445"));
    EXPECT_EQ(full[2][1], QStringLiteral("-12.5"));
}

TEST_F(AnalysisTest, LoopWindowIsCopiedWithinWhatTheStoreHolds)
{
    LoopStore store;
    store.StartAfresh();
    store.Lengthen(5);
    store.PointCounts[0] = 5;
    for (int i = 0; i < 5; ++i) {
        store.LoopTimes[0][std::size_t(i)] = Day + i * Second;
        store.LoopOffsets[0][std::size_t(i)] = i;
    }
    const LoopWindowSamples window = CopyLoopWindow(store, 0, 1, 3, Day + Second, Day + 4 * Second);
    EXPECT_EQ(window.Offsets, (std::vector<double> { 1, 2, 3 }));
    EXPECT_EQ(window.Times.size(), 3u);
    EXPECT_EQ(window.Frequencies.size(), 3u);
    // A window past the end is cut at it; one that names no data set is empty.
    EXPECT_EQ(CopyLoopWindow(store, 0, 3, 99, 0, 0).Offsets, (std::vector<double> { 3, 4 }));
    EXPECT_TRUE(CopyLoopWindow(store, 1, 0, 3, 0, 0).Empty());
    EXPECT_TRUE(CopyLoopWindow(store, -1, 0, 3, 0, 0).Empty());
    EXPECT_TRUE(CopyLoopWindow(store, 0, 4, 2, 0, 0).Empty());
}

TEST_F(AnalysisTest, PeerSamplesAreMillisecondsWhateverUnitTheChartsShow)
{
    TChart offset;
    TChart delay;
    TChart jitter;
    for (TChart* chart : { &offset, &delay, &jitter }) {
        auto series = std::make_unique<TLineSeries>();
        series->AddPoint(Day, chart == &offset ? 250.0 : 2.0); // offset axis zoomed into µs
        AttachSeries(*chart, std::move(series));
    }
    const std::vector<PeerSamples> peers
        = PeerSamplesFromCharts({ QStringLiteral("192.168.0.5"), QStringLiteral("no series") },
            { PeerChartPoints { &offset, true }, PeerChartPoints { &delay, false },
                PeerChartPoints { &jitter, false } });
    ASSERT_EQ(peers.size(), 2u);
    ASSERT_EQ(peers[0].Offsets.size(), 1u);
    EXPECT_EQ(peers[0].Offsets[0], 0.25);
    ASSERT_EQ(peers[0].OffsetTimes.size(), 1u);
    EXPECT_EQ(peers[0].OffsetTimes[0], Day);
    ASSERT_EQ(peers[0].Delays.size(), 1u);
    EXPECT_EQ(peers[0].Delays[0], 2.0);
    EXPECT_EQ(peers[1].Address, QStringLiteral("no series"));
    EXPECT_TRUE(peers[1].Offsets.empty() && peers[1].OffsetTimes.empty());
    EXPECT_TRUE(peers[1].Delays.empty() && peers[1].Jitters.empty());
}

} // namespace
