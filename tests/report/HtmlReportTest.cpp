// The report written from a statistics document: the page and exactly the files it
// links, SVG images drawn by the routine that draws the PNG files, and a publication
// that either replaces the page whole or leaves the old one.
#include "HtmlReport.h"
#include "DocumentImages.h"
#include "RowImageFile.h"
#include "StagedFiles.h"
#include "StatisticsDocument.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <sys/stat.h>
#include <utime.h>

namespace {

// Loop records every 64 s on MJD 60000 (2023-02-25) up to noon, and two peers.
void WriteStatistics(const QString& directory)
{
    QByteArray loop;
    for (int second = 43200 - 64 * 400; second <= 43200; second += 64)
        loop += "60000 " + QByteArray::number(second) + ".000 " + QByteArray::number((second % 640 - 320) * 1e-7)
            + " -12.345 0.000050 0.001 6\n";
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

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList FileLinks(const QString& html)
{
    QStringList links;
    auto it = QRegularExpression(QStringLiteral(" (?:href|src)=\"([^\"#][^\"]*)\"")).globalMatch(html);
    while (it.hasNext()) {
        const QString link = it.next().captured(1);
        if (!links.contains(link))
            links.append(link);
    }
    return links;
}

class HtmlReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(stats.isValid() && web.isValid());
        WriteStatistics(stats.path());
    }

    void Load(StatisticsDocument& document, bool withPeers = true)
    {
        if (!withPeers)
            QFile::remove(stats.filePath(QStringLiteral("peerstats.20230225")));
        document.OpenCommandLine({ stats.path() }, settings);
        document.RebuildLoopCharts(settings, false, false);
        document.RebuildPeerStatistics(settings);
        document.SetChartSize(QSize(640, 360));
    }

    HtmlReportResult Write(StatisticsDocument& document, ImageFormat format = ImageFormat::Png)
    {
        return WriteHtmlReport(document, { web.path() + QLatin1Char('/'), QStringLiteral("ntp1"), format });
    }

    QStringList WebFiles() const
    {
        return QDir(web.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    DocumentSettings settings;
    QTemporaryDir stats;
    QTemporaryDir web;
};

TEST_F(HtmlReportTest, WritesThePageAndExactlyTheFilesItLinks)
{
    for (const ImageFormat format : { ImageFormat::Png, ImageFormat::Svg }) {
        SCOPED_TRACE(ImageExtension(format).toStdString());
        QDir(web.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(web.path()));
        StatisticsDocument document;
        Load(document);
        const HtmlReportResult result = Write(document, format);
        ASSERT_EQ(result.Result, HtmlReportResult::Outcome::Written);
        ASSERT_FALSE(result.PublishedFiles.isEmpty());
        EXPECT_EQ(result.PublishedFiles.constLast(), web.filePath(QStringLiteral("index.html")));

        const QString html = ReadText(web.filePath(QStringLiteral("index.html")));
        QStringList linked = FileLinks(html);
        // Every chart of the table with a picture: seven loop charts, the histogram, the
        // four peer charts (and whatever else the table holds), each with its data.
        QStringList images = linked.filter(QRegularExpression(QStringLiteral("\\.(png|svg)$")));
        EXPECT_GE(images.size(), 12);
        EXPECT_TRUE(images.filter(QStringLiteral(".png")).isEmpty() || format == ImageFormat::Png);
        EXPECT_TRUE(images.filter(QStringLiteral(".svg")).isEmpty() || format == ImageFormat::Svg);
        for (const char* name : { "_offset", "_histogram", "_poll_int", "_peer_offset", "_peer_jitter" })
            EXPECT_TRUE(linked.contains(QLatin1String(name) + ImageExtension(format))) << name;
        for (const char* name : { "_offset.csv", "_histogram.csv", "_peerstats.csv", "_peer_delay.csv" })
            EXPECT_TRUE(linked.contains(QLatin1String(name))) << name;

        // The directory holds the page and what it links, nothing half-done beside them,
        // and every file is readable by others (a web server).
        linked.append(QStringLiteral("index.html"));
        linked.sort();
        EXPECT_EQ(WebFiles().join(u' ').toStdString(), linked.join(u' ').toStdString());
        for (const QString& name : linked) {
            struct stat info
            { };
            ASSERT_EQ(::stat(QFile::encodeName(web.filePath(name)).constData(), &info), 0) << name.toStdString();
            EXPECT_TRUE(info.st_mode & S_IROTH) << name.toStdString();
            EXPECT_GT(info.st_size, 40) << name.toStdString();
        }

        if (format == ImageFormat::Png) {
            const QImage histogram(web.filePath(QStringLiteral("_histogram.png")));
            EXPECT_EQ(histogram.size(), QSize(ReportHistogramWidth, ReportHistogramHeight));
            EXPECT_EQ(QImage(web.filePath(QStringLiteral("_offset.png"))).size(), QSize(640, 360));
        } else {
            const QString svg = ReadText(web.filePath(QStringLiteral("_offset.svg")));
            EXPECT_TRUE(svg.contains(QStringLiteral("<svg"))) << svg.left(200).toStdString();
            EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 640 360\"")));
        }
        EXPECT_TRUE(html.contains(QStringLiteral("<h1>ntp1</h1>")));
        EXPECT_TRUE(html.contains(QStringLiteral("2023-02-25 04:53 to 2023-02-25 12:00 UTC"))) << "period";
        EXPECT_TRUE(html.contains(QStringLiteral("203.0.113.9")));
        // The Analysis page's summary as a table, with its data.
        EXPECT_TRUE(html.contains(QStringLiteral("<th scope=\"row\">Loop offset")));
        EXPECT_TRUE(linked.contains(QStringLiteral("_summary.csv")));
    }
}

TEST_F(HtmlReportTest, WithoutPeerDataThePeerPartsStayOut)
{
    StatisticsDocument document;
    Load(document, false);
    ASSERT_EQ(Write(document).Result, HtmlReportResult::Outcome::Written);
    const QString html = ReadText(web.filePath(QStringLiteral("index.html")));
    EXPECT_TRUE(html.contains(QStringLiteral("No peer statistics were read.")));
    EXPECT_TRUE(WebFiles().filter(QStringLiteral("_peer")).isEmpty()) << WebFiles().join(u' ').toStdString();
    EXPECT_TRUE(WebFiles().contains(QStringLiteral("_offset.png")));
}

TEST_F(HtmlReportTest, NothingReadWritesNothingAndKeepsThePageThere)
{
    QFile old(web.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old page");
    old.close();
    StatisticsDocument document;
    QTemporaryDir empty;
    document.OpenCommandLine({ empty.path() }, settings);
    document.RebuildLoopCharts(settings, false, false);
    const HtmlReportResult result = Write(document);
    EXPECT_EQ(result.Result, HtmlReportResult::Outcome::NoLoopStatistics);
    EXPECT_TRUE(result.PublishedFiles.isEmpty());
    EXPECT_EQ(WebFiles(), QStringList { QStringLiteral("index.html") });
    EXPECT_EQ(ReadText(web.filePath(QStringLiteral("index.html"))), QStringLiteral("old page"));
}

TEST_F(HtmlReportTest, AFileThatCannotBePlacedLeavesTheOldPageAndNoStaging)
{
    QFile old(web.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old page");
    old.close();
    // A directory where an image goes: the image cannot be renamed onto it.
    ASSERT_TRUE(QDir().mkpath(web.filePath(QStringLiteral("_jitter.png/x"))));
    StatisticsDocument document;
    Load(document);
    const HtmlReportResult result = Write(document);
    EXPECT_EQ(result.Result, HtmlReportResult::Outcome::Failed);
    EXPECT_FALSE(result.PublishedFiles.contains(web.filePath(QStringLiteral("index.html"))));
    EXPECT_EQ(ReadText(web.filePath(QStringLiteral("index.html"))), QStringLiteral("old page"));
    EXPECT_TRUE(WebFiles().filter(StagedFiles::StagingPrefix()).isEmpty()) << WebFiles().join(u' ').toStdString();
}

TEST_F(HtmlReportTest, StagingLeftByAKilledRunIsRemovedOnceItIsOld)
{
    const QString abandoned = web.filePath(StagedFiles::StagingPrefix() + QStringLiteral("abc123"));
    const QString recent = web.filePath(StagedFiles::StagingPrefix() + QStringLiteral("def456"));
    ASSERT_TRUE(QDir().mkpath(abandoned) && QDir().mkpath(recent));
    QFile left(abandoned + QStringLiteral("/_offset.png"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.close();
    // Two hours old; a directory of a run going on now may be just made.
    const std::time_t twoHoursAgo = std::time(nullptr) - 7200;
    const utimbuf times { twoHoursAgo, twoHoursAgo };
    ASSERT_EQ(::utime(QFile::encodeName(abandoned).constData(), &times), 0);

    StatisticsDocument document;
    Load(document);
    ASSERT_EQ(Write(document).Result, HtmlReportResult::Outcome::Written);
    EXPECT_FALSE(QFileInfo::exists(abandoned));
    EXPECT_TRUE(QFileInfo::exists(recent));
}

// The SVG is drawn by the routine that draws the PNG: rendered back to pixels it shows
// the same picture, apart from the edges of texts and lines that another rasteriser
// smooths differently.
TEST_F(HtmlReportTest, SvgImagesShowWhatThePngImagesShow)
{
    StatisticsDocument document;
    Load(document);
    for (const DocumentChart& chart : document.Charts()) {
        if (!chart.Row.SavedAsImage)
            continue;
        SCOPED_TRACE(chart.Row.FileSuffix);
        const QString path = web.filePath(QString::fromLatin1(chart.Row.FileSuffix) + QStringLiteral(".svg"));
        ASSERT_TRUE(SaveRowImage(document, chart.Row, path, ImageFormat::Svg));
        const QImage png = RenderRowImage(document, chart.Row).convertToFormat(QImage::Format_RGB32);
        QSvgRenderer svg(path);
        ASSERT_TRUE(svg.isValid());
        EXPECT_EQ(svg.viewBox(), png.rect());
        QImage drawn(png.size(), QImage::Format_RGB32);
        drawn.fill(Qt::magenta);
        QPainter painter(&drawn);
        svg.render(&painter);
        painter.end();

        qsizetype differing = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x)
                differing += qAbs(qGray(png.pixel(x, y)) - qGray(drawn.pixel(x, y))) > 64;
        EXPECT_LT(double(differing) / (png.width() * png.height()), 0.03)
            << differing << " of " << png.width() * png.height() << " pixels differ";
    }
}

} // namespace
