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

TEST_F(StatisticsDocumentTest, SavesEveryImageAtTheGivenSizeAndTheWholePeerTable)
{
    Load();
    document.SetChartSize(QSize(400, 250));
    DocumentImageHost documentHost(document);
    RedirectedImageHost host(documentHost, out.path() + QLatin1Char('/'));
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    ASSERT_EQ(result.SavedFiles.size(), 12);
    EXPECT_TRUE(result.SavedFiles[0].endsWith(QStringLiteral("/_offset.png")));
    EXPECT_TRUE(result.SavedFiles[7].endsWith(QStringLiteral("/_peerstats.png")));

    EXPECT_EQ(QImage(result.SavedFiles[0]).size(), QSize(400, 250));
    // The table image holds every column and row, whatever size the charts have: the
    // last column's header is drawn at its right-hand end.
    const QImage table(result.SavedFiles[7]);
    EXPECT_GT(table.width(), 400);
    EXPECT_GT(table.height(), 3 * 10);
}

TEST_F(StatisticsDocumentTest, ExportsTheDataOfEveryImageAndTheHistogram)
{
    Load();
    const ChartDataExportResult result = ExportChartData(document, out.path() + QLatin1Char('/'), true);
    EXPECT_TRUE(result.FailedFiles.isEmpty());
    ASSERT_EQ(result.SavedFiles.size(), 13);
    EXPECT_TRUE(result.SavedFiles[7].endsWith(QStringLiteral("/2023-02-25_histogram.csv")));
    QFile table(result.SavedFiles[8]);
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
