// The peer pages drawn from generated statistics: every peer's colour reaches the
// image. With TALLIMER_SAMPLE_DIR set, the table and the four charts are also saved
// there as PNG files to look at.
#include "ChartConfiguration.h"
#include "ChartRenderer.h"
#include "LineList.h"
#include "PeerColour.h"
#include "PeerRebuild.h"
#include "StatisticsGenerator.h"
#include "TChart.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {
QString SampleDir()
{
    return qEnvironmentVariable("TALLIMER_SAMPLE_DIR");
}

void SaveSample(const QImage& image, const QString& name)
{
    if (SampleDir().isEmpty())
        return;
    QDir().mkpath(SampleDir());
    image.save(SampleDir() + QLatin1Char('/') + name);
}

bool HasColour(const QImage& image, ChartColor colour)
{
    const QRgb wanted = qRgb(colour.Red(), colour.Green(), colour.Blue());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == (wanted & 0xFFFFFF))
                return true;
        }
    }
    return false;
}
} // namespace

TEST(PeerRender, ChartsAndTableOfGeneratedStatistics)
{
    LineList lines;
    lines.appendText(GeneratePeerLines(DefaultParams()));
    PeerRecordStore records;
    records.appendLines(lines);
    ASSERT_FALSE(records.empty());

    std::array<TChart, PeerChartCount> charts;
    const std::array<ChartId, PeerChartCount> ids
        = { ChartId::PeerstatsOffset, ChartId::PeerstatsDelay, ChartId::PeerstatsDispersion, ChartId::PeerstatsJitter };
    PeerCharts targets {};
    for (int c = 0; c < PeerChartCount; ++c) {
        ConfigureChart(charts[std::size_t(c)], ids[std::size_t(c)]);
        targets[std::size_t(c)] = &charts[std::size_t(c)];
    }
    PeerRebuildInputs inputs;
    inputs.DirectoryLabel = QStringLiteral("examples");
    inputs.ThresholdTexts = { "0", "0", "0", "0" };
    PeerStore store;
    double latestTime = 0;
    const PeerRebuildResult result = RebuildPeerStatistics(records, inputs, store, latestTime, targets);
    ASSERT_GT(store.PeerNames.size(), 3);

    const char* names[] = { "offset", "delay", "dispersion", "jitter" };
    for (int c = 0; c < PeerChartCount; ++c) {
        QImage image(1000, 560, QImage::Format_RGB32);
        QPainter painter(&image);
        DrawTo(charts[std::size_t(c)], painter, image.rect());
        painter.end();
        SaveSample(image, QStringLiteral("peer-%1.png").arg(names[c]));
        for (int i = 0; i < int(store.PeerNames.size()); ++i)
            EXPECT_TRUE(HasColour(image, PeerColour(i))) << names[c] << " peer " << i;
    }

    // Six scale steps narrow the offset axis to about ±0.4 ms, shown in microseconds.
    inputs.ScaleSteps = { 6, 0, 0, 0 };
    RebuildPeerStatistics(records, inputs, store, latestTime, targets);
    EXPECT_EQ(charts[0].LeftAxis().Title().Caption(), QString::fromUtf8("Offset - µs"));
    QImage zoomed(1000, 560, QImage::Format_RGB32);
    QPainter zoomPainter(&zoomed);
    DrawTo(charts[0], zoomPainter, zoomed.rect());
    zoomPainter.end();
    SaveSample(zoomed, QStringLiteral("peer-offset-step6.png"));

    TPeerStatsGrid grid;
    grid.resize(1200, 260);
    grid.ShowPeerRows(result.TableRows);
    const QImage table = grid.grab().toImage();
    SaveSample(table, QStringLiteral("peer-table.png"));
    EXPECT_EQ(grid.rowCount(), int(store.PeerNames.size()));

    TFormSelectPeers dialog;
    QStringList peers;
    for (const PeerLineCount& peer : store.PeerLineCounts)
        peers.push_back(peer.Address);
    dialog.SetPeerChoice(peers);
    dialog.show();
    SaveSample(dialog.grab().toImage(), QStringLiteral("peer-select.png"));
    dialog.hide();
}
