// The whole peer rebuild: store, charts, table rows and the newest time.
#include "PeerRebuild.h"
#include "PeerColour.h"
#include "PeerCounting.h"
#include "PeerSeriesBuilder.h"
#include "TChart.h"
#include "TLineSeries.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {
std::string Line(int mjd, double seconds, const std::string& address, double offset = 0.001, double delay = 0.002,
    double dispersion = 0.003, double jitter = 0.0004)
{
    char text[200];
    std::snprintf(text, sizeof text, "%d %.3f %s 9614 %.9f %.9f %.9f %.9f", mjd, seconds, address.c_str(), offset,
        delay, dispersion, jitter);
    return text;
}

std::string Exact(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

class PeerRebuildTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    PeerRebuildResult Rebuild(const std::vector<std::string>& lines)
    {
        records.clear();
        for (const std::string& line : lines)
            records.appendLine(line);
        return Rebuild();
    }
    PeerRebuildResult Rebuild() { return RebuildPeerStatistics(records, inputs, store, latestTime, Charts()); }
    PeerCharts Charts() { return { &offset, &delay, &dispersion, &jitter }; }
    static std::vector<double> Ys(const TChartSeries& series)
    {
        return { series.YValues.begin(), series.YValues.end() };
    }
    static std::vector<double> Xs(const TChartSeries& series)
    {
        return { series.XValues.begin(), series.XValues.end() };
    }

    PeerRecordStore records;
    PeerRebuildInputs inputs;
    PeerStore store;
    double latestTime = 0;
    TChart offset, delay, dispersion, jitter;
};
} // namespace

TEST_F(PeerRebuildTest, NoLinesChangesNothing)
{
    ASSERT_TRUE(Rebuild({ Line(60000, 0, "10.0.0.1") }).Rebuilt);
    const double latest = latestTime;
    inputs.LanOnly = true;
    EXPECT_FALSE(Rebuild({}).Rebuilt);
    EXPECT_EQ(store.PeerNames, QStringList({ "10.0.0.1" }));
    EXPECT_EQ(store.PeerLineCounts.size(), 1u);
    EXPECT_EQ(offset.SeriesCount(), 1u);
    EXPECT_EQ(latestTime, latest);
}

TEST_F(PeerRebuildTest, FillsStoreTableAndChartsInDisplayOrder)
{
    latestTime = 44982.9; // newer than every record: it stays
    const std::vector<std::string> lines = {
        Line(60000, 43200, "10.0.0.1", 0.001, 0.010),
        Line(60000, 100, "192.168.0.5", -0.002, 0.0499), // older, yet not the first
        Line(60000, 43300, "10.0.0.1", -0.002, 0.050), Line(60000, 43400, "10.0.0.1", 0.004, 0.020), "short line",
        Line(60000, 200, "192.168.0.5", 0.0, 0.001),
        "60000 43200.5 192.168.0.5 9614 0.0012", // counted, not accepted
    };
    inputs.ThresholdTexts = { "0", "50", "0", "0" };
    const PeerRebuildResult result = Rebuild(lines);

    ASSERT_TRUE(result.Rebuilt);
    EXPECT_EQ(store.PeerNames, QStringList({ "192.168.0.5", "10.0.0.1" })); // 3 lines each
    ASSERT_EQ(store.PeerLineCounts.size(), 2u);
    EXPECT_EQ(store.PeerLineCounts[0].Address, "10.0.0.1");
    EXPECT_EQ(store.PeerLineCounts[1].Count, 3);
    EXPECT_DOUBLE_EQ(result.FirstPeerTime, 44982.5); // first in line order
    EXPECT_DOUBLE_EQ(latestTime, 44982.9);

    for (TChart* chart : Charts()) {
        ASSERT_EQ(chart->SeriesCount(), 2u);
        EXPECT_EQ(chart->Series(0).Title(), "192.168.0.5");
        EXPECT_EQ(chart->Series(1).SeriesColor(), PeerColour(1));
        EXPECT_TRUE(chart->Series(0).XValues.DateTime);
        EXPECT_EQ(chart->BottomAxis().Title().Caption(), "2023-Feb-25 12:00 to 21:36 UTC");
    }
    EXPECT_EQ(Ys(offset.Series(1)), (std::vector<double> { 1, -2, 4 }));
    // The 50 ms threshold keeps the 50 ms delay off its chart, not out of the table.
    EXPECT_EQ(Ys(delay.Series(1)), (std::vector<double> { 10, 20 }));
    EXPECT_EQ(Ys(delay.Series(0)).size(), 2u);
    EXPECT_EQ(offset.LeftAxis().Title().Caption(), "Offset - ms");
    EXPECT_DOUBLE_EQ(offset.LeftAxis().Minimum(), -2);
    EXPECT_DOUBLE_EQ(offset.LeftAxis().Maximum(), 4.08);
    EXPECT_DOUBLE_EQ(delay.LeftAxis().Minimum(), 0);
    EXPECT_DOUBLE_EQ(delay.LeftAxis().Maximum(), 49.9 * 1.02);

    ASSERT_EQ(result.TableRows.size(), 2u);
    // At start the peer with the fewest accepted records comes first.
    EXPECT_EQ(result.TableRows[0][0], "192.168.0.5 ");
    EXPECT_EQ(result.TableRows[0][1], "2 ");
    const PeerTableRow& peer = result.TableRows[1];
    EXPECT_EQ(peer[1], "3 ");
    EXPECT_EQ(peer[2], "1.000 ");
    EXPECT_EQ(peer[3], "2.646 ");
    EXPECT_EQ(peer[4], "-2.000 ");
    EXPECT_EQ(peer[5], "4.000 ");
    EXPECT_EQ(peer[8], "50.000 "); // largest delay, not plotted
}

TEST_F(PeerRebuildTest, PeerDaysWindowKeepsOlderPeersListedWithoutRecords)
{
    latestTime = 44000;
    inputs.PeerDays = 1;
    const PeerRebuildResult result = Rebuild({
        Line(59998, 0, "10.0.0.9"), Line(59999, 43199, "10.0.0.1"), // just before the window
        Line(59999, 43200, "10.0.0.1"), // t = 44981.5, the window's start
        Line(60000, 43200, "10.0.0.1"), // t = 44982.5
        "60000 garbage", // last line without a readable time
    });
    EXPECT_EQ(store.PeerNames, QStringList({ "10.0.0.1", "10.0.0.9" }));
    EXPECT_EQ(result.TableRows[0][0], "10.0.0.9"); // no records: its address only
    EXPECT_TRUE(result.TableRows[0][1].isEmpty());
    EXPECT_EQ(result.TableRows[1][1], "2 ");
    EXPECT_EQ(offset.Series(1).PointCount(), 0u);
    EXPECT_DOUBLE_EQ(result.FirstPeerTime, 44981.5);
    EXPECT_DOUBLE_EQ(latestTime, 44982.5);
    EXPECT_EQ(offset.BottomAxis().Title().Caption(), "2023-Feb-24 12:00 to 2023-Feb-25 12:00 UTC");
}

TEST_F(PeerRebuildTest, ScaleStepsShrinkTheAxisAndSwitchToMicroseconds)
{
    inputs.ScaleSteps = { 5, 0, 0, 1 };
    inputs.DirectoryLabel = "stats";
    Rebuild({ Line(60000, 0, "10.0.0.1", -0.003), Line(60000, 60, "10.0.0.1", 0.005) });
    EXPECT_EQ(offset.LeftAxis().Title().Caption(), "Offset - µs");
    EXPECT_NEAR(offset.LeftAxis().Minimum(), -286.1, 0.1);
    EXPECT_NEAR(offset.LeftAxis().Maximum(), 486.4, 0.1);
    EXPECT_EQ(Ys(offset.Series(0)), (std::vector<double> { -3000, 5000 }));
    EXPECT_EQ(jitter.LeftAxis().Title().Caption(), "Jitter - µs"); // 0.408 / 1.6 < 0.5
    EXPECT_EQ(delay.LeftAxis().Title().Caption(), "Delay - ms");
    EXPECT_EQ(Ys(delay.Series(0)), (std::vector<double> { 2, 2 }));
    EXPECT_TRUE(offset.BottomAxis().Title().Caption().startsWith("stats  -  2023-Feb-25 00:00"));

    // The next rebuild starts from milliseconds again.
    inputs.ScaleSteps = {};
    Rebuild({ Line(60000, 0, "10.0.0.1", -0.003), Line(60000, 60, "10.0.0.1", 0.005) });
    EXPECT_EQ(Ys(offset.Series(0)), (std::vector<double> { -3, 5 }));
    EXPECT_EQ(offset.LeftAxis().Title().Caption(), "Offset - ms");
}

TEST_F(PeerRebuildTest, LinesOutOfTimeOrderGiveOrderedSeries)
{
    Rebuild({ Line(60000, 300, "a", 0.003), Line(60000, 100, "a", 0.001), Line(60000, 300, "a", 0.0031),
        Line(60000, 200, "a", 0.002), Line(60000, 100, "a", 0.0011) });
    const TChartSeries& series = offset.Series(0);
    EXPECT_EQ(Ys(series), (std::vector<double> { 1, 1.1, 2, 3, 3.1 })); // equal times in line order
    EXPECT_TRUE(std::is_sorted(series.XValues.begin(), series.XValues.end()));
}

TEST_F(PeerRebuildTest, ChartsShareAPeersTimesOnlyWhereTheyShowTheSameRecords)
{
    // Peer a's records are on every chart, out of time order; one of b's is over the
    // delay threshold.
    const std::vector<std::string> lines { Line(60000, 300, "a", 0.003, 0.03), Line(60000, 100, "b", 0.001, 0.09),
        Line(60000, 100, "a", 0.001, 0.01), Line(60000, 200, "b", 0.002, 0.02), Line(60000, 200, "a", 0.002, 0.02) };
    inputs.ThresholdTexts = { "", "50", "", "" };
    for (int rebuild = 0; rebuild < 2; ++rebuild) { // the second reuses the first's storage
        Rebuild(lines);
        ASSERT_EQ(store.PeerNames, QStringList({ "a", "b" }));
        for (const TChart* chart : { &delay, &dispersion, &jitter }) {
            EXPECT_EQ(chart->Series(0).XValues.data(), offset.Series(0).XValues.data());
            EXPECT_NE(chart->Series(1).XValues.data(), offset.Series(1).XValues.data());
        }
        EXPECT_EQ(Xs(offset.Series(0)), Xs(jitter.Series(0)));
        EXPECT_EQ(Ys(offset.Series(0)), (std::vector<double> { 1, 2, 3 }));
        EXPECT_EQ(Ys(delay.Series(0)), (std::vector<double> { 10, 20, 30 }));
        EXPECT_EQ(Xs(delay.Series(1)), std::vector<double> { Xs(offset.Series(1))[1] });
        EXPECT_EQ(Ys(delay.Series(1)), std::vector<double> { 20 });
        EXPECT_EQ(Xs(dispersion.Series(1)), Xs(offset.Series(1)));
    }
}

TEST(PeerSeriesBuilder, APointLeftOutOnScalingTakesTimesOfItsOwn)
{
    PeerSeriesBuilder keeper(ChartColors::Black, QStringLiteral("a"), 3);
    PeerSeriesBuilder other(ChartColors::Black, QStringLiteral("a"), 3, {}, false);
    for (const double x : { 2.0, 1.0, 3.0 }) {
        keeper.Add(x, x);
        other.Add(x, x == 1.0 ? 1e306 : -x); // beyond a double in microseconds
    }
    const auto times = keeper.ShareTimes();
    other.UseTimes(times);
    const auto kept = keeper.Finish(1000.0);
    const auto scaled = other.Finish(1000.0);
    EXPECT_EQ(kept->XValues.Values(), (ChartValues { 1, 2, 3 }));
    EXPECT_EQ(kept->YValues.Values(), (ChartValues { 1000, 2000, 3000 }));
    EXPECT_EQ(scaled->XValues.Values(), (ChartValues { 2, 3 }));
    EXPECT_EQ(scaled->YValues.Values(), (ChartValues { -2000, -3000 }));
    double lowest = 0;
    double highest = 0;
    ASSERT_TRUE(scaled->FiniteYRange(lowest, highest));
    EXPECT_EQ(lowest, -3000);
    EXPECT_EQ(highest, -2000);
    EXPECT_EQ(kept->XValues.size(), 3u); // the shared times are untouched
}

TEST_F(PeerRebuildTest, ManyPeersAndFiltersAndBadRecords)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 17; ++i)
        lines.push_back(Line(60000, i, "192.168.0." + std::to_string(100 + i)));
    lines.push_back(Line(60000, 20, "10.0.0.1"));
    lines.push_back("60000 30 192.168.0.100 9614 nan 0.001 0.001 0.001");
    lines.push_back("60000 30 192.168.0.100 9614 1e308 0.001 0.001 0.001");
    lines.push_back("60000 inf 192.168.0.100 9614 0.001 0.001 0.001 0.001");
    lines.push_back("60000 30 192.168.0.100 9614 0.001 0.001 0.001"); // no jitter
    lines.push_back("");
    inputs.LanOnly = true;
    inputs.ThresholdTexts = { "abc", "-1", "99999999999", "5.5" }; // all: no threshold
    const PeerRebuildResult result = Rebuild(lines);

    EXPECT_EQ(store.PeerNames.size(), 17);
    EXPECT_FALSE(store.PeerNames.contains("10.0.0.1"));
    EXPECT_EQ(offset.Series(15).SeriesColor(), ChartColors::Black);
    EXPECT_EQ(offset.Series(16).SeriesColor(), ChartColors::Black);
    EXPECT_NE(offset.Series(14).SeriesColor(), ChartColors::Black);
    // The huge offset is a number: it counts, but in milliseconds it is beyond any axis
    // and stays off the chart. The other bad records are skipped.
    const int peer100 = int(store.PeerNames.indexOf("192.168.0.100"));
    EXPECT_EQ(offset.Series(std::size_t(peer100)).PointCount(), 1u);
    EXPECT_EQ(delay.Series(std::size_t(peer100)).PointCount(), 2u);
    for (const PeerTableRow& row : result.TableRows) {
        if (row[0] == "192.168.0.100 ") {
            EXPECT_EQ(row[1], "2 ");
        }
    }
    EXPECT_TRUE(std::isfinite(offset.LeftAxis().Maximum()));

    inputs.SelectedPeers = { "192.168.0.116" };
    Rebuild(lines);
    EXPECT_EQ(store.PeerNames, QStringList({ "192.168.0.116" }));
    EXPECT_EQ(offset.Series(0).SeriesColor(), PeerColour(0));
}

TEST_F(PeerRebuildTest, NoPeersLeavesEmptyChartsWithTheirTitles)
{
    inputs.LanOnly = true;
    const PeerRebuildResult result = Rebuild({ Line(60000, 0, "10.0.0.1") });
    EXPECT_TRUE(result.Rebuilt);
    EXPECT_TRUE(store.PeerNames.isEmpty());
    EXPECT_TRUE(result.TableRows.empty());
    EXPECT_EQ(offset.SeriesCount(), 0u);
    EXPECT_EQ(delay.LeftAxis().Title().Caption(), "Delay - ms");
    EXPECT_DOUBLE_EQ(offset.LeftAxis().Minimum(), -1.02e20);
    EXPECT_DOUBLE_EQ(delay.LeftAxis().Maximum(), 0);
}

TEST_F(PeerRebuildTest, LoopstatsLinesTakenForPeerLinesShowAtMostTheBusiestPeers)
{
    // Loop records: field 3 is an offset, a new "peer" on nearly every line, and there is
    // no field 8, so no record is accepted.
    std::vector<std::string> lines;
    for (int i = 0; i < 2500; ++i)
        lines.push_back(
            "60000 " + std::to_string(i) + " 0.000" + std::to_string(100000 + i) + " -15.25 0.000012 0.001 6");
    const PeerRebuildResult result = Rebuild(lines);
    EXPECT_EQ(store.PeerNames.size(), qsizetype(MaxShownPeers));
    EXPECT_EQ(store.PeerLineCounts.size(), MaxShownPeers);
    EXPECT_EQ(offset.SeriesCount(), MaxShownPeers);
    EXPECT_EQ(result.TableRows.size(), MaxShownPeers);
    EXPECT_TRUE(result.TableRows[0][1].isEmpty());
}

TEST_F(PeerRebuildTest, RecordsWithoutJitterCountEverywhereButInTheJitter)
{
    // Peer records of chrony's logs before their source's first statistics line have no
    // jitter. ntpd's lines always have one, or are skipped.
    const auto noJitter = [&](double seconds, const char* address, double offset, double delay, double dispersion) {
        records.appendRecord(60000, seconds, address, offset, delay, dispersion, std::nullopt);
    };
    records.clear();
    noJitter(100, "192.168.1.10", 0.001, 0.0002, 0.00001);
    records.appendLine(Line(60000, 200, "192.168.1.10", 0.003, 0.0004, 0.00003, 0.0006));
    noJitter(300, "192.168.1.10", -0.002, 0.0003, 0.00002);
    noJitter(150, "PPS", 1e-07, 0, 1e-06); // a refclock that never had a statistics line
    noJitter(160, "PPS", 2e-07, 0, 1e-06);
    records.appendLine("60000 400 192.168.1.10 0 0.001 0.0002 0.00001 -"); // skipped, as ever
    records.appendLine("60000 410 192.168.1.10 0 0.001 0.0002 0.00001 \xFF"); // no mark in a line
    records.appendRecord(60000, 420, "192.168.1.10", 0.001, 0.0002, 0.00001, std::nan("")); // unreadable
    const PeerRebuildResult result = Rebuild();
    EXPECT_EQ(store.PeerNames, QStringList({ "192.168.1.10", "PPS" }));

    // Every record counts in the offset, delay and dispersion charts; only those with a
    // jitter are on the jitter chart.
    EXPECT_EQ(Ys(offset.Series(0)), (std::vector<double> { 1, 3, -2 }));
    EXPECT_EQ(Ys(dispersion.Series(0)).size(), 3u);
    EXPECT_EQ(Xs(jitter.Series(0)), std::vector<double> { Xs(offset.Series(0))[1] });
    EXPECT_EQ(Ys(jitter.Series(0)), std::vector<double> { 0.6 });
    EXPECT_EQ(Ys(offset.Series(1)).size(), 2u);
    EXPECT_TRUE(Ys(jitter.Series(1)).empty());

    // In the table: three entries and their means; the mean jitter over the one record
    // with a jitter; for the refclock, no mean jitter at all, and it sorts last there.
    inputs.Sort = PeerSortState { 10, true };
    const PeerRebuildResult byJitter = Rebuild();
    ASSERT_EQ(byJitter.TableRows.size(), 2u);
    const PeerTableRow& lan = byJitter.TableRows[0];
    EXPECT_EQ(lan[0], "192.168.1.10 ");
    EXPECT_EQ(lan[1], "3 ");
    EXPECT_EQ(lan[2], "0.667 ");
    EXPECT_EQ(lan[6], "0.300 ");
    EXPECT_EQ(lan[10], "0.600 ");
    const PeerTableRow& pps = byJitter.TableRows[1];
    EXPECT_EQ(pps[1], "2 ");
    EXPECT_EQ(pps[2], "0.000 ");
    EXPECT_EQ(pps[6], "0.000 ");
    EXPECT_TRUE(pps[10].isEmpty());
}

TEST_F(PeerRebuildTest, TruncatedAndAppendedRecordsRebuildAsAFreshRead)
{
    // Two "files"; the second read again after the store was cut back to the first, as a
    // reload of a grown file does. The table of addresses keeps a peer that no record
    // names any more, and a spelling seen only before the cut: neither may show.
    std::vector<std::string> first;
    for (int i = 0; i < 40; ++i)
        first.push_back(Line(60000, 60.0 * i, i % 3 ? "10.0.0.1" : "192.168.1.10", 0.001 * i, 0.002, 0.003, 0.0004));
    first.push_back("60000 2400 192.168.1.10 9614 0.001"); // counted, never drawn
    first.push_back("short");
    std::vector<std::string> second;
    for (int i = 0; i < 40; ++i)
        second.push_back(Line(60001, 60.0 * i, i % 2 ? "FE80::1" : "10.0.0.1", -0.001 * i));
    second.push_back("60001 3000"); // a time without a peer: the window's end

    const auto snapshot = [&](const PeerRebuildResult& result) {
        std::vector<std::string> out;
        for (const PeerLineCount& c : store.PeerLineCounts)
            out.push_back(c.Address.toStdString() + " " + std::to_string(c.Count));
        for (const PeerTableRow& row : result.TableRows)
            for (const QString& cell : row)
                out.push_back(cell.toStdString());
        for (TChart* chart : Charts())
            for (std::size_t s = 0; s < chart->SeriesCount(); ++s) {
                out.push_back(chart->Series(s).Title().toStdString());
                for (std::size_t i = 0; i < chart->Series(s).PointCount(); ++i)
                    out.push_back(Exact(chart->Series(s).XValueAt(i)) + " " + Exact(chart->Series(s).YValueAt(i)));
            }
        out.push_back(Exact(result.FirstPeerTime) + " " + Exact(latestTime));
        return out;
    };
    inputs.PeerDays = 1;
    std::vector<std::string> all = first;
    all.insert(all.end(), second.begin(), second.end());
    latestTime = 0;
    const std::vector<std::string> fresh = snapshot(Rebuild(all));
    EXPECT_EQ(store.PeerNames, QStringList({ "10.0.0.1", "FE80::1", "192.168.1.10" }));

    records.clear();
    for (const std::string& line : first)
        records.appendLine(line);
    const std::size_t cut = records.size();
    for (const std::string& line : second)
        records.appendLine(line == second[1] ? "60001 60 fe80::1 9614 0 0 0 0" : line);
    records.appendLine(Line(60002, 0, "10.9.9.9"));
    records.truncate(cut);
    for (const std::string& line : second)
        records.appendLine(line);
    latestTime = 0;
    EXPECT_EQ(snapshot(Rebuild()), fresh);
}

TEST_F(PeerRebuildTest, LinesThatAreNoRecordsStillRebuild)
{
    // A peer file of nothing but damaged lines clears the pages, as it always did.
    ASSERT_TRUE(Rebuild({ Line(60000, 0, "10.0.0.1") }).Rebuilt);
    const PeerRebuildResult result = Rebuild({ "x", "" });
    EXPECT_TRUE(result.Rebuilt);
    EXPECT_TRUE(store.PeerNames.isEmpty());
    EXPECT_EQ(offset.SeriesCount(), 0u);
}

namespace {
// The peer pages of one document: records, store and charts.
struct PeerPages
{
    PeerRecordStore records;
    PeerStore store;
    double latestTime = 60000;
    TChart offset, delay, dispersion, jitter;

    PeerCharts Charts() { return { &offset, &delay, &dispersion, &jitter }; }
    PeerRebuildResult Rebuild(const PeerRebuildInputs& inputs)
    {
        return RebuildPeerStatistics(records, inputs, store, latestTime, Charts());
    }
};

// Everything a rebuild shows, in one comparable text.
std::string Shown(PeerPages& pages, const PeerRebuildResult& result)
{
    std::string text = "latest " + Exact(pages.latestTime) + " first " + Exact(result.FirstPeerTime) + " title "
        + result.TimeAxisTitle.toStdString() + "\n";
    for (const PeerLineCount& c : pages.store.PeerLineCounts)
        text += c.Address.toStdString() + " " + std::to_string(c.Count) + "\n";
    text += pages.store.PeerNames.join(',').toStdString() + "\n";
    for (const PeerTableRow& row : result.TableRows) {
        for (const QString& cell : row)
            text += cell.toStdString() + "|";
        text += "\n";
    }
    for (TChart* chart : pages.Charts()) {
        text += "axis " + Exact(chart->LeftAxis().Minimum()) + " " + Exact(chart->LeftAxis().Maximum()) + " "
            + chart->LeftAxis().Title().Caption().toStdString() + " / "
            + chart->BottomAxis().Title().Caption().toStdString() + "\n";
        for (std::size_t i = 0; i < chart->SeriesCount(); ++i) {
            const TChartSeries& series = chart->Series(i);
            double low = 0;
            double high = 0;
            const bool any = series.FiniteYRange(low, high);
            text += series.Title().toStdString() + " range " + std::to_string(any) + " " + Exact(low) + " "
                + Exact(high) + ":";
            for (std::size_t k = 0; k < series.PointCount(); ++k)
                text += " " + Exact(series.XValueAt(k)) + "," + Exact(series.YValueAt(k));
            text += "\n";
        }
    }
    return text;
}
} // namespace

TEST(PeerRebuildAfterAppending, GoesOnFromTheLastRebuildOrStartsAfreshAndShowsWhatAFreshRebuildShows)
{
    // Peer a every 10 s, b every 30 s, small values on microsecond axes.
    const auto a = [](int s, double offset = 0.0001, double delay = 0.0002, double jitter = 0.00004) {
        return Line(60000, s, "a", offset, delay, 0.00003, jitter);
    };
    const auto b = [](int s, double offset = -0.0001, double jitter = 0.002) {
        return Line(60000, s, "b", offset, 0.0003, 0.00002, jitter);
    };
    std::vector<std::string> base;
    for (int s = 0; s < 600; s += 10) {
        base.push_back(a(s, 0.0001 + s * 1e-8));
        if (s % 30 == 0)
            base.push_back(b(s));
    }
    base.push_back(b(600, -0.0001, 0.005)); // b's jitters are all over a threshold of 1 ms
    struct Case
    {
        std::string name;
        std::vector<std::string> appended;
        std::array<QString, PeerChartCount> thresholds;
        bool goesOn; // the rebuild appends to the series it made last time
    };
    const std::array<QString, PeerChartCount> none { "0", "0", "0", "0" };
    const std::vector<Case> cases {
        { "nothing appended", {}, none, true },
        { "more of the same", { a(600, 0.0002), b(610, -0.00012), a(610) }, none, true },
        { "a record at the time of the last", { a(590, 0.0003) }, none, true },
        { "zeros of either sign", { a(620, -0.0), a(630, 0.0, -0.0), b(640, 0.0) }, none, true },
        { "a record that is no point", { "60000 620 a 9614 x 0.001 0.001 0.001", b(630) }, none, true },
        { "a wider range on the same unit", { a(620, 0.0004, 0.0001) }, none, true },
        { "thresholds taking points off, as before", { b(620), b(630, -0.0001, 0.002), a(640) }, { "0", "0", "0", "1" },
            true },
        { "a first point on a chart that had none of a peer's", { b(620, -0.0001, 0.00001) }, { "0", "0", "0", "1" },
            true },
        { "a record over a threshold", { a(620, 0.0002, 0.002) }, { "0", "1", "0", "0" }, false },
        { "a value off the microsecond axis", { a(620, 0.0001, 0.004) }, none, false },
        { "a value off the axis on the same unit", { b(620, 0.004) }, none, true },
        { "a record back in time", { a(5) }, none, false },
        { "a new peer", { Line(60000, 620, "c") }, none, false },
        { "the order of the peers changing", std::vector<std::string>(45, b(620)), none, false },
        { "one chart no longer showing a peer's record", { a(620, 0.0001, 0.0002, 0.5) }, { "0", "0", "0", "100" },
            false },
    };
    for (const Case& c : cases) {
        PeerRebuildInputs inputs;
        inputs.ThresholdTexts = c.thresholds;
        inputs.ScaleSteps = { 0, 1, 0, 0 };
        PeerPages reloaded;
        for (const std::string& line : base)
            reloaded.records.appendLine(line);
        reloaded.Rebuild(inputs);
        for (const std::string& line : c.appended)
            reloaded.records.appendLine(line);
        const PeerRebuildResult again = reloaded.Rebuild(inputs);
        EXPECT_EQ(again.Continued, c.goesOn) << c.name;

        PeerPages fresh;
        for (const std::string& line : base)
            fresh.records.appendLine(line);
        for (const std::string& line : c.appended)
            fresh.records.appendLine(line);
        const PeerRebuildResult once = fresh.Rebuild(inputs);
        EXPECT_EQ(Shown(reloaded, again), Shown(fresh, once)) << c.name;
    }
}

TEST(PeerRebuildAfterAppending, StartsAfreshAfterAnythingButAnAppendOrOnOtherInputs)
{
    PeerRebuildInputs inputs;
    PeerPages pages;
    for (int s = 0; s < 100; s += 10)
        pages.records.appendLine(Line(60000, s, "192.168.0.1"));
    pages.records.appendLine(Line(60000, 0, "10.0.0.1"));
    pages.Rebuild(inputs);
    const auto goesOn = [&](const PeerRebuildInputs& next) { return pages.Rebuild(next).Continued; };
    EXPECT_TRUE(goesOn(inputs));
    pages.records.truncate(5); // a file read again from its start
    pages.records.appendLine(Line(60000, 50, "192.168.0.1", 0.002));
    EXPECT_FALSE(goesOn(inputs));
    EXPECT_EQ(pages.offset.Series(0).YValues.Values().back(), 2);
    EXPECT_TRUE(goesOn(inputs));
    PeerRebuildInputs lan = inputs;
    lan.LanOnly = true;
    EXPECT_FALSE(goesOn(lan));
    EXPECT_EQ(pages.store.PeerNames, QStringList({ "192.168.0.1" }));
    PeerRebuildInputs days = lan;
    days.PeerDays = 1;
    EXPECT_FALSE(goesOn(days));
    EXPECT_FALSE(goesOn(days)); // a window moves with every record: never gone on from

    // A window that starts before day 0 (records of 1858) still was one: without it the
    // rebuild keeps what only the window let in.
    PeerPages early;
    PeerPages fresh;
    for (PeerPages* p : { &early, &fresh }) {
        p->records.appendLine(Line(0, 0, "192.168.0.1", 0.001));
        p->records.appendLine(Line(10, 0, "192.168.0.1", 0.002));
    }
    PeerRebuildInputs fiveDays = inputs;
    fiveDays.PeerDays = 5;
    early.Rebuild(fiveDays);
    EXPECT_EQ(early.offset.Series(0).PointCount(), 1u);
    for (PeerPages* p : { &early, &fresh })
        p->records.appendLine(Line(10, 60, "192.168.0.1", 0.003));
    const PeerRebuildResult all = early.Rebuild(inputs);
    EXPECT_FALSE(all.Continued);
    EXPECT_EQ(Shown(early, all), Shown(fresh, fresh.Rebuild(inputs)));

    // Series replaced by anyone but the rebuild are made afresh.
    pages.Rebuild(inputs);
    const std::vector<std::unique_ptr<TChartSeries>> replaced = pages.jitter.DetachAllSeries();
    for (const std::unique_ptr<TChartSeries>& old : replaced) {
        auto series = std::make_unique<TLineSeries>();
        series->CopyFrom(*old);
        AttachSeries(pages.jitter, std::move(series));
    }
    pages.records.appendLine(Line(60000, 150, "192.168.0.1"));
    EXPECT_FALSE(goesOn(inputs));

    // A copy of a series holds its times: they are not lengthened beneath it.
    TLineSeries copy;
    copy.CopyFrom(pages.delay.Series(0));
    pages.records.appendLine(Line(60000, 200, "192.168.0.1"));
    EXPECT_FALSE(goesOn(inputs));
    EXPECT_EQ(copy.XValues.size(), copy.YValues.size());
}

// A rebuild that reads the records for the last time gives their memory back while it
// goes (whole huge pages of each column, so only past 262,144 records): it must show
// exactly what a rebuild that keeps them shows, and leave no records behind.
TEST(PeerRebuildOfSpentRecords, ShowsWhatARebuildKeepingTheRecordsShows)
{
    const auto fill = [](PeerRecordStore& records) {
        const char* const peers[] = { "10.0.0.1", "10.0.0.2", "192.168.0.7" };
        for (int i = 0; i < 600000; ++i) {
            const double wave = double(i % 997) * 1e-6;
            records.appendRecord(60000 + i / 86400, double(i % 86400), peers[i % 3], wave - 0.0004, 0.002 + wave,
                0.0001 + wave / 8, 0.00002 + wave / 4);
        }
    };
    for (const QString& offsetThreshold : { QStringLiteral("0"), QStringLiteral("0.3") }) {
        PeerRebuildInputs inputs;
        inputs.ThresholdTexts = { offsetThreshold, "0", "0", "0" };
        PeerPages kept;
        PeerPages spent;
        fill(kept.records);
        fill(spent.records);
        const PeerRebuildResult keptResult = kept.Rebuild(inputs);
        const PeerRebuildResult spentResult
            = RebuildPeerStatistics(std::move(spent.records), inputs, spent.store, spent.latestTime, spent.Charts());
        EXPECT_TRUE(spent.records.empty());
        EXPECT_EQ(spentResult.TableRows, keptResult.TableRows);
        EXPECT_EQ(spent.latestTime, kept.latestTime);
        for (std::size_t c = 0; c < PeerChartCount; ++c) {
            const TChart& chart = *kept.Charts()[c];
            ASSERT_EQ(spent.Charts()[c]->SeriesCount(), chart.SeriesCount());
            for (std::size_t i = 0; i < chart.SeriesCount(); ++i) {
                const TChartSeries& series = spent.Charts()[c]->Series(i);
                EXPECT_TRUE(std::equal(series.XValues.begin(), series.XValues.end(), chart.Series(i).XValues.begin(),
                    chart.Series(i).XValues.end()))
                    << c << " " << i;
                EXPECT_TRUE(std::equal(series.YValues.begin(), series.YValues.end(), chart.Series(i).YValues.begin(),
                    chart.Series(i).YValues.end()))
                    << c << " " << i;
            }
        }
    }
}
