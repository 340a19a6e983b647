#include "ChartImageSaving.h"
#include "ChartImageHost.h"
#include "DirectoryAccess.h"
#include "ImageFileNaming.h"
#include "PngInspection.h"
#include "RedirectedImageHost.h"
#include "SaveImageFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <set>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

QStringList FilesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QImage Noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = static_cast<uchar>(state >> 24);
        }
    }
    return image;
}

// Runs the test body with the working directory moved to a fresh temporary one.
class InTemporaryWorkingDirectory
{
public:
    InTemporaryWorkingDirectory()
        : old_(QDir::currentPath())
    {
        QDir::setCurrent(dir_.path());
    }
    ~InTemporaryWorkingDirectory() { QDir::setCurrent(old_); }
    QString Path() const { return dir_.path() + QLatin1Char('/'); }

private:
    QTemporaryDir dir_;
    QString old_;
};

TEST(DatePrefix, NamesTheWholeDayOfTheLargestTimeValue)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double x;
        const char* prefix;
    } cases[] = {
        { 0, "1899-12-30" }, // a chart without points
        { 44262.0, "2021-03-07" },
        { 44262.999999, "2021-03-07" }, // late evening stays on its day
        { 44263.0, "2021-03-08" },
        { -0.75, "1899-12-30" }, // truncation toward zero
        { -1.0, "1899-12-29" },
        { 2958465.5, "9999-12-31" },
        { 2958466.0, "1899-12-30" }, // beyond the calendar: like no points
        { nan, "1899-12-30" },
        { inf, "1899-12-30" },
        { -1e300, "1899-12-30" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(DatePrefix(c.x), QString::fromLatin1(c.prefix)) << c.x;
}

TEST(DirectoryAccess, WritableOnlyWhereAFileCanBeCreatedAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    EXPECT_TRUE(IsDirectoryWritable(dir.path()));
    EXPECT_TRUE(IsDirectoryWritable(dir.path() + QLatin1Char('/')));
    EXPECT_THAT(FilesIn(dir.path()), ElementsAre("plain"));

    EXPECT_FALSE(IsDirectoryWritable(QString()));
    EXPECT_FALSE(IsDirectoryWritable(dir.filePath(QStringLiteral("missing/"))));
    EXPECT_FALSE(IsDirectoryWritable(dir.filePath(QStringLiteral("plain/"))));
    EXPECT_FALSE(IsDirectoryWritable(QStringLiteral("/proc/")));
}

TEST(DirectoryAccess, TargetFallsBackToTheWorkingDirectory)
{
    InTemporaryWorkingDirectory cwd;
    QTemporaryDir stats;
    const QString statsDir = stats.path() + QLatin1Char('/');
    EXPECT_EQ(ImageTargetDirectory(statsDir), statsDir);
    EXPECT_EQ(ImageTargetDirectory(QStringLiteral("/proc/")), cwd.Path());
    EXPECT_EQ(ImageTargetDirectory(QString()), cwd.Path());
}

TEST(DirectoryAccess, NoTargetWhenTheWorkingDirectoryWasDeleted)
{
    InTemporaryWorkingDirectory cwd;
    ASSERT_TRUE(QDir(cwd.Path()).removeRecursively());
    EXPECT_EQ(ImageTargetDirectory(QStringLiteral("/proc/")), QString());
}

TEST(SaveImageFile, WritesA24BitPngOfAnyRenderedFormat)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("_offset.png"));
    QImage rendered(6, 4, QImage::Format_ARGB32_Premultiplied);
    rendered.fill(QColor(10, 200, 30));
    ASSERT_TRUE(SaveImageFile(rendered, name, ChartImageMetadata()));
    const auto decoded = DecodePng(ReadWholeFile(name));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->ColorType, 2);
    EXPECT_EQ(decoded->Rgb[0], 10);
    EXPECT_EQ(decoded->Rgb[1], 200);
    EXPECT_EQ(decoded->Rgb[2], 30);
}

TEST(SaveImageFile, ReportsFailureWithoutWritingAnything)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SaveImageFile(QImage(), dir.filePath(QStringLiteral("a.png")), ChartImageMetadata()));
    EXPECT_FALSE(SaveImageFile(Noise(3, 3), dir.filePath(QStringLiteral("no/such/dir.png")), ChartImageMetadata()));
    EXPECT_FALSE(SaveImageFile(Noise(3, 3), QStringLiteral("/proc/x.png"), ChartImageMetadata()));
    EXPECT_TRUE(FilesIn(dir.path()).isEmpty());
}

// A disk that fills up half-way through a write: the file size limit makes the
// kernel refuse the bytes past 4 KiB (EFBIG, with SIGXFSZ ignored). The writes run
// in a forked child so the limit does not touch the rest of the tests; the child
// shares the directory and reports through its exit code whether a write claimed
// success.
TEST(SaveImageFile, FullDiskLeavesNoTruncatedFileAndKeepsTheOldOne)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("_offset.png"));
    const QString existing = dir.filePath(QStringLiteral("_jitter.png"));
    ASSERT_TRUE(SaveImageFile(Noise(4, 4), existing, ChartImageMetadata()));
    const QByteArray before = ReadWholeFile(existing);
    ASSERT_LT(before.size(), 1024);
    const QImage big = Noise(200, 200); // far more than 4 KiB of PNG

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(2);
        const bool freshWritten = SaveImageFile(big, fresh, ChartImageMetadata());
        const bool existingWritten = SaveImageFile(big, existing, ChartImageMetadata());
        _exit(freshWritten || existingWritten ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a write past the size limit was reported as success";

    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(ReadWholeFile(existing), before);
    EXPECT_THAT(FilesIn(dir.path()), ElementsAre("_jitter.png"));

    // Without the limit the same image is written: the limit was what failed it.
    EXPECT_TRUE(SaveImageFile(big, fresh, ChartImageMetadata()));
}

// 1 to 14: the place of a row among the images, in the order of writing.
int ImageNumber(const ChartRow& row)
{
    int number = 0;
    for (const ChartRow& r : BuiltInChartRows()) {
        number += r.SavedAsImage ? 1 : 0;
        if (r.Id == row.Id)
            return number;
    }
    return 0;
}

// The main window as SaveChartImages sees it, recording the calls it gets.
class FakeHost : public ChartImageHost
{
public:
    QString loopDirectory;
    bool havePeerData = false;
    double loopX = 0;
    double peerX = 0;
    std::set<int> failingImages; // rendered as null images
    QStringList calls;

    void BeginSaving() override { calls << QStringLiteral("begin"); }
    void ShowImagePage(const ChartRow& row) override { calls << QString::fromLatin1(row.PageName); }
    void EndGroup(ChartGroup group) override
    {
        calls << (group == ChartGroup::Loop     ? QStringLiteral("end loop")
                : group == ChartGroup::Analysis ? QStringLiteral("end analysis")
                                                : QStringLiteral("end peer"));
    }
    void EndSaving() override { calls << QStringLiteral("end"); }
    QString LoopDirectory() const override { return loopDirectory; }
    bool HavePeerData() const override { return havePeerData; }
    // The Analysis page takes the loop charts' reference, as the document does.
    double ReferenceHighestX(ChartGroup group) const override { return group == ChartGroup::Peer ? peerX : loopX; }
    QImage RenderImage(const ChartRow& row) override
    {
        const int number = ImageNumber(row);
        calls << QStringLiteral("render %1").arg(number);
        if (failingImages.count(number))
            return {};
        QImage image(8, 5, QImage::Format_RGB888);
        image.fill(QColor(number, 0, 0));
        return image;
    }
};

const char* const LoopSuffixes[] = { "_offset.png", "_offset-tod.png", "_abs_frequency.png", "_frequency.png",
    "_frequency-tod.png", "_jitter.png", "_poll_int.png" };
const char* const AnalysisSuffixes[] = { "_stability.png", "_summary.png" };
const char* const PeerSuffixes[]
    = { "_peerstats.png", "_peer_offset.png", "_peer_delay.png", "_peer_dispersion.png", "_peer_jitter.png" };

QStringList Names(const QString& dir, const QString& prefix, std::initializer_list<const char*> suffixes)
{
    QStringList names;
    for (const char* suffix : suffixes)
        names << dir + prefix + QString::fromLatin1(suffix);
    return names;
}

class SaveChartImagesTest : public ::testing::Test
{
protected:
    void SetUp() override { host.loopDirectory = stats.path() + QLatin1Char('/'); }
    QString Dir() const { return host.loopDirectory; }

    QTemporaryDir stats;
    FakeHost host;
};

TEST_F(SaveChartImagesTest, WritesTheSevenLoopImagesAndTheAnalysisPageWithoutPeerData)
{
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    const QStringList expected = Names(Dir(), QString(),
        { LoopSuffixes[0], LoopSuffixes[1], LoopSuffixes[2], LoopSuffixes[3], LoopSuffixes[4], LoopSuffixes[5],
            LoopSuffixes[6], AnalysisSuffixes[0], AnalysisSuffixes[1] });
    EXPECT_EQ(result.Directory, Dir());
    EXPECT_EQ(result.SavedFiles, expected);
    EXPECT_EQ(FilesIn(Dir()).size(), 9);
    QString message = QStringLiteral("Image files saved to:\r\r");
    for (const QString& name : expected)
        message += name + QStringLiteral("\r\n");
    EXPECT_EQ(result.Message, message);

    // Each file holds what was rendered for its image, with the chart texts.
    const QByteArray jitter = ReadWholeFile(Dir() + QStringLiteral("_jitter.png"));
    const auto decoded = DecodePng(jitter);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Rgb[0], 6);
    std::vector<std::string> texts;
    for (const PngChunk& chunk : ReadChunks(jitter)) {
        if (chunk.Type == "tEXt")
            texts.push_back(chunk.Data.toStdString());
    }
    using namespace std::string_literals;
    EXPECT_THAT(texts,
        ElementsAre("Author\0Brannock"s, "Description\0NTP performance data"s, "Software\0Ferncastle Software"s,
            "Title\0NTP performance data"s));
}

TEST_F(SaveChartImagesTest, WithPeerDataWritesFourteenImagesPrefixedByEachGroupsReferenceDay)
{
    host.havePeerData = true;
    host.loopX = 44262.75; // 2021-03-07
    host.peerX = 44263.1; // 2021-03-08
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), true);

    QStringList expected = Names(Dir(), QStringLiteral("2021-03-07"),
        { LoopSuffixes[0], LoopSuffixes[1], LoopSuffixes[2], LoopSuffixes[3], LoopSuffixes[4], LoopSuffixes[5],
            LoopSuffixes[6], AnalysisSuffixes[0], AnalysisSuffixes[1] });
    expected += Names(Dir(), QStringLiteral("2021-03-08"),
        { PeerSuffixes[0], PeerSuffixes[1], PeerSuffixes[2], PeerSuffixes[3], PeerSuffixes[4] });
    EXPECT_EQ(result.SavedFiles, expected);
    EXPECT_EQ(FilesIn(Dir()).size(), 14);

    // Each page is made current before its image is drawn, and every page control is
    // given back its page afterwards.
    EXPECT_THAT(host.calls,
        ElementsAreArray(QStringList { "begin", "TabSheetOffset", "render 1", "TabSheetOffsetVsTOD", "render 2",
            "TabSheetAbsFrequency", "render 3", "TabSheetFrequency", "render 4", "TabSheetFreqVsTOD", "render 5",
            "TabSheetJitter", "render 6", "TabSheetLoopstatsPollInterval", "render 7", "end loop", "TabSheetStability",
            "render 8", "TabSheetSummary", "render 9", "end analysis", "TabSheetPeerTable", "render 10",
            "TabSheetPeerOffset", "render 11", "TabSheetPeerDelay", "render 12", "TabSheetDispersion", "render 13",
            "TabSheetPeerJitter", "render 14", "end peer", "end" }));
}

TEST_F(SaveChartImagesTest, PrefixOfAChartWithoutPointsIsDayZero)
{
    EXPECT_EQ(SaveChartImages(host, BuiltInChartRows(), true).SavedFiles.front(),
        Dir() + QStringLiteral("1899-12-30_offset.png"));
}

TEST_F(SaveChartImagesTest, AFailedImageIsLeftOutAndTheRestAreWritten)
{
    host.failingImages = { 1, 7 };
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    EXPECT_EQ(result.SavedFiles,
        Names(Dir(), QString(),
            { LoopSuffixes[1], LoopSuffixes[2], LoopSuffixes[3], LoopSuffixes[4], LoopSuffixes[5], AnalysisSuffixes[0],
                AnalysisSuffixes[1] }));
    EXPECT_EQ(FilesIn(Dir()).size(), 7);
}

TEST_F(SaveChartImagesTest, BeforeAnyLoopFileNothingIsWrittenButPagesAreRestored)
{
    InTemporaryWorkingDirectory cwd;
    host.loopDirectory.clear();
    host.havePeerData = true;
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    EXPECT_TRUE(result.SavedFiles.isEmpty());
    EXPECT_TRUE(FilesIn(cwd.Path()).isEmpty());
    EXPECT_FALSE(host.calls.join(' ').contains(QStringLiteral("render")));
    EXPECT_EQ(host.calls.back(), QStringLiteral("end"));
    EXPECT_EQ(result.Message, QStringLiteral("No image files saved, check for write access to: ") + cwd.Path());
}

TEST_F(SaveChartImagesTest, UnwritableStatisticsDirectoryFallsBackToTheWorkingDirectory)
{
    InTemporaryWorkingDirectory cwd;
    host.loopDirectory = QStringLiteral("/proc/");
    const ChartImageSaveResult result = SaveChartImages(host, BuiltInChartRows(), false);
    EXPECT_EQ(result.Directory, cwd.Path());
    ASSERT_EQ(result.SavedFiles.size(), 9);
    EXPECT_EQ(result.SavedFiles.front(), cwd.Path() + QStringLiteral("_offset.png"));
    EXPECT_EQ(FilesIn(cwd.Path()).size(), 9);
}

TEST_F(SaveChartImagesTest, RedirectedImagesGoToTheOtherDirectoryUnderTheSameRules)
{
    QTemporaryDir other;
    const QString target = other.path() + QLatin1Char('/');
    host.havePeerData = true;
    host.loopX = 44262.75;
    RedirectedImageHost redirected(host, target);
    const ChartImageSaveResult result = SaveChartImages(redirected, BuiltInChartRows(), true);
    ASSERT_EQ(result.SavedFiles.size(), 14);
    EXPECT_EQ(result.SavedFiles.front(), target + QStringLiteral("2021-03-07_offset.png"));
    EXPECT_EQ(result.SavedFiles[8], target + QStringLiteral("2021-03-07_summary.png"));
    EXPECT_EQ(result.SavedFiles.back(), target + QStringLiteral("1899-12-30_peer_jitter.png"));
    EXPECT_TRUE(FilesIn(Dir()).isEmpty());
    EXPECT_EQ(host.calls.front(), QStringLiteral("begin"));
    EXPECT_EQ(host.calls.back(), QStringLiteral("end"));

    // Before any loop statistics file was read, the other directory gets nothing either.
    host.loopDirectory.clear();
    QTemporaryDir empty;
    RedirectedImageHost none(host, empty.path() + QLatin1Char('/'));
    InTemporaryWorkingDirectory cwd;
    EXPECT_TRUE(SaveChartImages(none, BuiltInChartRows(), false).SavedFiles.isEmpty());
    EXPECT_TRUE(FilesIn(empty.path()).isEmpty());
}

TEST(SaveResultMessage, ComposesEitherMessageAndItsDisplayForm)
{
    const QString saved = SaveResultMessage({ "/d/_offset.png", "/d/_jitter.png" }, "/d/");
    EXPECT_EQ(saved, QStringLiteral("Image files saved to:\r\r/d/_offset.png\r\n/d/_jitter.png\r\n"));
    EXPECT_EQ(MessageForDisplay(saved), QStringLiteral("Image files saved to:\n\n/d/_offset.png\n/d/_jitter.png\n"));

    const QString none = SaveResultMessage({}, "/d/");
    EXPECT_EQ(none, QStringLiteral("No image files saved, check for write access to: /d/"));
    EXPECT_EQ(MessageForDisplay(none), none);
}

} // namespace
