// The document on chronyd's logs (examples/chrony: three days, rotated): every loop chart,
// the peer table and the four peer charts are filled, as for ntpd's statistics.
#include "StatisticsDocument.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

std::size_t Points(const TChart& chart)
{
    std::size_t points = 0;
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s)
        points += chart.Series(s).PointCount();
    return points;
}

TEST(ChronyDocument, ExamplesFillEveryLoopChartThePeerTableAndEveryPeerChart)
{
    QLocale::setDefault(QLocale::c());
    DocumentSettings settings;
    settings.PlotHours = 24 * 4;
    StatisticsDocument document;
    document.OpenCommandLine({ QStringLiteral(TALLIMER_SOURCE_DIR "/examples/chrony") }, settings);
    ASSERT_EQ(document.Files().LoopFilesRead.size(), 3);
    EXPECT_TRUE(document.Files().LoopFilesRead.back().endsWith(QStringLiteral("/tracking.log")));
    const LoopRebuildOutcome loop = document.RebuildLoopCharts(settings, false, false);
    EXPECT_TRUE(loop.Plotted);
    document.RebuildPeerStatistics(settings);

    const std::size_t records = std::size_t(document.Files().Loop.PointCounts[0]);
    EXPECT_GT(records, 1000u);
    for (const ChartId id : { ChartId::Offsets, ChartId::OffsetVsTOD, ChartId::AbsFrequency, ChartId::Frequency,
             ChartId::FreqVsTOD, ChartId::Jitter })
        EXPECT_GE(Points(document.Chart(id)), records) << int(id);
    // The poll interval is drawn while a network server is the reference, not while the
    // PPS refclock is.
    const std::size_t polls = Points(document.Chart(ChartId::LoopstatsPollInterval));
    EXPECT_GT(polls, 20u);
    EXPECT_LT(polls, records / 2);

    // Two NTP sources and two reference clocks, most records first.
    EXPECT_EQ(document.Peers().PeerNames,
        (QStringList { QStringLiteral("PPS"), QStringLiteral("192.168.1.10"), QStringLiteral("GPS"),
            QStringLiteral("192.0.2.123") }));
    ASSERT_EQ(document.PeerTableRows().size(), 5u);
    for (std::size_t row = 1; row < 5; ++row)
        for (const QString& cell : document.PeerTableRows()[row])
            EXPECT_FALSE(cell.isEmpty()) << row;
    for (const ChartId id :
        { ChartId::PeerstatsOffset, ChartId::PeerstatsDelay, ChartId::PeerstatsDispersion, ChartId::PeerstatsJitter }) {
        const TChart& chart = document.Chart(id);
        ASSERT_EQ(chart.SeriesCount(), 4u) << int(id);
        for (std::size_t s = 0; s < 4; ++s)
            EXPECT_GT(chart.Series(s).PointCount(), 10u) << int(id) << " " << s;
    }
    EXPECT_TRUE(document.Caption().contains(QStringLiteral("up to: 2026-Jan-05"))) << document.Caption().toStdString();

    // "LAN peerstats" keeps the LAN server and both reference clocks.
    settings.PeerstatsLAN = true;
    document.RebuildPeerStatistics(settings);
    EXPECT_EQ(document.Peers().PeerNames,
        (QStringList { QStringLiteral("PPS"), QStringLiteral("192.168.1.10"), QStringLiteral("GPS") }));
}

} // namespace
