// The statistics document without any window: the chart table, loading and both
// rebuilds, and the images and data written from its models.
#include "StatisticsDocument.h"
#include "ChartDataExport.h"
#include "ChartImageSaving.h"
#include "DocumentImages.h"
#include "RedirectedImageHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Loop records every 64 s on MJD 60000 (2023-02-25) up to noon, and two peers.
void WriteStatistics(const QString& directory)
{
    QByteArray loop;
    for (int second = 43200 - 64 * 40; second <= 43200; second += 64)
        loop += "60000 " + QByteArray::number(second) + ".000 0.000012 -12.345 0.000050 0.001 6\n";
    QByteArray peer;
    for (int second = 0; second <= 43200; second += 1024) {
        peer += "60000 " + QByteArray::number(second) + ".5 192.168.0.5 9614 0.0012 0.0300 0.0020 0.0004\n";
        peer += "60000 " + QByteArray::number(second) + ".7 203.0.113.9 9414 -0.0031 0.0420 0.0051 0.0009\n";
    }
    for (const auto& [name, text] :
        { std::pair { "loopstats.20230225", loop }, std::pair { "peerstats.20230225", peer } }) {
        QFile file(directory + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
}

TEST(ChartTable, EveryIdHasOneRowAndEveryFileItsOwnName)
{
    QSet<int> ids;
    QSet<QString> suffixes;
    QSet<QString> controls;
    for (const ChartRow& row : BuiltInChartRows()) {
        ids.insert(int(row.Id));
        suffixes.insert(QString::fromLatin1(row.FileSuffix));
        controls.insert(QString::fromLatin1(row.ControlName));
    }
    const int rows = int(BuiltInChartRows().size());
    EXPECT_EQ(rows, int(ChartId::Count));
    EXPECT_EQ(ids.size(), rows);
    EXPECT_EQ(suffixes.size(), rows);
    EXPECT_EQ(controls.size(), rows);
    for (int id = 0; id < int(ChartId::Count); ++id)
        EXPECT_NE(FindBuiltInChartRow(ChartId(id)), nullptr) << "no row for chart id " << id;
}

class StatisticsDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(stats.isValid() && out.isValid());
        WriteStatistics(stats.path());
    }

    void Load()
    {
        document.OpenCommandLine({ stats.path() }, settings);
        const LoopRebuildOutcome loop = document.RebuildLoopCharts(settings, false, false);
        EXPECT_TRUE(loop.Plotted);
        EXPECT_TRUE(loop.Messages.isEmpty()) << loop.Messages.join(' ').toStdString();
        document.RebuildPeerStatistics(settings);
    }

    QTemporaryDir stats;
    QTemporaryDir out;
    DocumentSettings settings;
    StatisticsDocument document;
};

TEST_F(StatisticsDocumentTest, LoadsAndRebuildsEveryChartWithoutAWindow)
{
    Load();
    EXPECT_EQ(document.Files().LoopFilesRead.size(), 1);
    EXPECT_EQ(document.Chart(ChartId::Offsets).Series(0).PointCount(), 41u);
    EXPECT_EQ(document.Peers().PeerNames.size(), 2);
    ASSERT_EQ(document.PeerTableRows().size(), 3u); // the header and two peers
    EXPECT_EQ(document.PeerTableRows()[0][0].trimmed(), QStringLiteral("Peer"));
    EXPECT_TRUE(document.Caption().contains(QStringLiteral("up to: 2023-Feb-25 12:00 UTC")))
        << document.Caption().toStdString();
    EXPECT_EQ(document.Histogram().OffsetCopy().PointCount(), 41u);

    // The LAN filter keeps the 192.168 peer only.
    settings.PeerstatsLAN = true;
    document.RebuildPeerStatistics(settings);
    EXPECT_EQ(document.Peers().PeerNames, QStringList { QStringLiteral("192.168.0.5") });
}

TEST_F(StatisticsDocumentTest, AnalysisIsRebuiltOnceForABatchOfRebuildsAndFollowsEveryPeerRebuild)
{
    int analyses = 0;
    QObject::connect(&document, &StatisticsDocument::AnalysisRebuilt, [&] { ++analyses; });
    document.OpenCommandLine({ stats.path() }, settings);
    {
        const StatisticsDocument::AnalysisBatch outer(document);
        {
            const StatisticsDocument::AnalysisBatch inner(document);
            document.RebuildLoopCharts(settings, false, false);
            document.RebuildPeerStatistics(settings);
        }
        EXPECT_EQ(analyses, 0) << "the outer batch still holds it";
    }
    EXPECT_EQ(analyses, 1);
    // Loop, frequency and jitter rows, then offset, delay and jitter of both peers.
    ASSERT_EQ(document.SummaryRows().size(), 9u);
    EXPECT_EQ(document.SummaryRows()[3].Caption, QStringLiteral("203.0.113.9 offset (ms)"));
    ASSERT_TRUE(document.SummaryRows()[3].Summary.has_value());
    EXPECT_EQ(document.SummaryRows()[3].Summary->Samples, 43);

    // Rebuilt alone, the peers replace the series the summary was taken from: it is taken
    // again from the new ones (here, only the LAN peer's).
    settings.PeerstatsLAN = true;
    document.RebuildPeerStatistics(settings);
    EXPECT_EQ(analyses, 2);
    ASSERT_EQ(document.SummaryRows().size(), 6u);
    EXPECT_EQ(document.SummaryRows()[5].Caption, QStringLiteral("192.168.0.5 jitter (ms)"));
    EXPECT_EQ(document.SummaryRows()[5].Summary->Samples, 43);
}

TEST_F(StatisticsDocumentTest, ReleasedRecordsLeaveTheChartsTheTableAndTheAnalysisPage)
{
    // As a run without a window does it: each kind's records go once its charts are built.
    document.OpenCommandLine({ stats.path() }, settings);
    {
        const StatisticsDocument::AnalysisBatch batch(document);
        document.RebuildLoopCharts(settings, false, false);
        document.ReleaseRecords(StatisticsKind::Loop);
        document.RebuildPeerStatistics(settings);
        document.ReleaseRecords(StatisticsKind::Peer);
    }
    EXPECT_EQ(document.Files().Loop.DataSetCount, 0);
    EXPECT_TRUE(document.Files().PeerRecords.empty());
    EXPECT_EQ(document.Chart(ChartId::Offsets).Series(0).PointCount(), 41u);
    EXPECT_EQ(document.Chart(ChartId::PeerstatsJitter).SeriesCount(), 2u);
    EXPECT_EQ(document.PeerTableRows().size(), 3u);
    ASSERT_EQ(document.SummaryRows().size(), 9u);
    EXPECT_EQ(document.SummaryRows()[0].Summary->Samples, 41);
    EXPECT_EQ(document.SummaryRows()[3].Summary->Samples, 43);
}

TEST_F(StatisticsDocumentTest, SavesEveryImageAtTheGivenSizeAndTheWholePeerTable)
{
    Load();
    document.SetChartSize(QSize(400, 250));
    EXPECT_EQ(RenderRowImage(document, *FindBuiltInChartRow(ChartId::Stability)).size(), QSize(400, 250));
    EXPECT_FALSE(RenderRowImage(document, *FindBuiltInChartRow(ChartId::AnalysisSummary)).isNull());
    DocumentImageHost documentHost(document);
    RedirectedImageHost host(documentHost, out.path() + QLatin1Char('/'));
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    ASSERT_EQ(result.SavedFiles.size(), 14) << result.SavedFiles.join(' ').toStdString();
    EXPECT_TRUE(result.SavedFiles[0].endsWith(QStringLiteral("/_offset.png")));
    // The loop images, the Analysis page's chart and table, then the peer pages.
    EXPECT_TRUE(result.SavedFiles[6].endsWith(QStringLiteral("/_poll_int.png")));
    EXPECT_TRUE(result.SavedFiles[7].endsWith(QStringLiteral("/_stability.png")));
    EXPECT_TRUE(result.SavedFiles[8].endsWith(QStringLiteral("/_summary.png")));
    EXPECT_TRUE(result.SavedFiles[9].endsWith(QStringLiteral("/_peerstats.png")));
    EXPECT_EQ(QImage(result.SavedFiles[7]).size(), QSize(400, 250));
    // The summary table image: a row per quantity (three of the loop, three per peer).
    const QImage summary(result.SavedFiles[8]);
    EXPECT_GT(summary.width(), 400);
    EXPECT_GT(summary.height(), 9 * 10);

    EXPECT_EQ(QImage(result.SavedFiles[0]).size(), QSize(400, 250));
    // The table image holds every column and row, whatever size the charts have: the
    // last column's header is drawn at its right-hand end.
    const QImage table(result.SavedFiles[9]);
    EXPECT_GT(table.width(), 400);
    EXPECT_GT(table.height(), 3 * 10);
}

TEST_F(StatisticsDocumentTest, ExportsTheDataOfEveryImageAndTheHistogram)
{
    Load();
    const ChartDataExportResult result = ExportChartData(document, out.path() + QLatin1Char('/'), true);
    EXPECT_TRUE(result.FailedFiles.isEmpty());
    ASSERT_EQ(result.SavedFiles.size(), 15);
    EXPECT_TRUE(result.SavedFiles[6].endsWith(QStringLiteral("/2023-02-25_poll_int.csv")));
    EXPECT_TRUE(result.SavedFiles[7].endsWith(QStringLiteral("/2023-02-25_histogram.csv")));
    EXPECT_TRUE(result.SavedFiles[8].endsWith(QStringLiteral("/2023-02-25_stability.csv")));
    EXPECT_TRUE(result.SavedFiles[9].endsWith(QStringLiteral("/2023-02-25_summary.csv")));
    EXPECT_TRUE(result.SavedFiles[10].endsWith(QStringLiteral("_peerstats.csv")));
    QFile stability(result.SavedFiles[8]);
    ASSERT_TRUE(stability.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stability.readAll().startsWith("series,tau,deviation,low,high,n\nLoop ADEV,64,"));
    QFile summary(result.SavedFiles[9]);
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    const QList<QByteArray> summaryLines = summary.readAll().split('\n');
    ASSERT_EQ(summaryLines.size(), 11); // header, 3 loop rows, 3 rows for each of two peers, the empty rest
    EXPECT_EQ(summaryLines[0], "Series,Min,1%,5%,50%,95%,99%,Max,90% range,98% range,StdDev,Mean,Samples");
    EXPECT_EQ(summaryLines[1], "Loop offset (µs),12,12,12,12,12,12,12,0,0,0,12,41");
    // The peers in the order of the peer charts, their values in milliseconds.
    EXPECT_TRUE(summaryLines[4].startsWith("203.0.113.9 offset (ms),-3.1,-3.1,")) << summaryLines[4].toStdString();
    EXPECT_TRUE(summaryLines[7].startsWith("192.168.0.5 offset (ms),1.2,1.2,")) << summaryLines[7].toStdString();
    EXPECT_TRUE(summaryLines[8].startsWith("192.168.0.5 delay (ms),30,30,")) << summaryLines[8].toStdString();
    QFile table(result.SavedFiles[10]);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = table.readAll().split('\n');
    EXPECT_TRUE(lines[0].startsWith("Peer,Number of entries,")) << lines[0].toStdString();
    EXPECT_EQ(lines.size(), 4); // header, two peers, the empty rest after the last LF
}

TEST_F(StatisticsDocumentTest, NothingIsWrittenBeforeALoopFileWasRead)
{
    StatisticsDocument empty;
    DocumentImageHost host(empty);
    EXPECT_TRUE(SaveChartImages(host, BuiltInChartRows(), false).SavedFiles.isEmpty());
    EXPECT_TRUE(ExportChartData(empty, out.path() + QLatin1Char('/'), false).SavedFiles.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

} // namespace
