// Statistics names that are not what they seem: a gigantic line, a directory of ten
// thousand names, pipes and devices, link loops, files that change after being listed.
// Reading must neither block nor crash, and must store exactly what the real files hold.

#include "FifoWatchdog.h"
#include "FileNames.h"
#include "HostileFixtures.h"
#include "PeerRebuild.h"
#include "StatisticsFiles.h"
#include "TChart.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <array>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const std::string ThreeLoopLines = "59000 3600.5 0.000123 -15.2 0.000045 0.001 6\n"
                                   "59000 3601.5 0.000124 -15.2 0.000045 0.001 6\n"
                                   "59000 3602.5 0.000125 -15.2 0.000045 0.001 6\n";
const std::string OnePeerLine = "59000 3600.5 192.168.1.10 9424 0.001 0.002 0.003 0.004\n";

std::int32_t Records(const StatisticsFiles& files)
{
    return files.Loop.DataSetCount == 0 ? 0 : files.Loop.PointCounts[0];
}

QByteArray Encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Writes prefix, then fill bytes up to size, then suffix, a megabyte at a time.
void WriteLarge(const QString& path, const std::string& prefix, char fill, std::size_t size, const std::string& suffix)
{
    std::FILE* file = std::fopen(Encoded(path).constData(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(prefix.data(), 1, prefix.size(), file);
    const std::string chunk(std::size_t { 1 } << 20, fill);
    for (std::size_t written = prefix.size() + suffix.size(); written < size; written += chunk.size())
        std::fwrite(chunk.data(), 1, std::min(chunk.size(), size - written), file);
    std::fwrite(suffix.data(), 1, suffix.size(), file);
    ASSERT_EQ(std::fclose(file), 0);
}

} // namespace

TEST(HostileFiles, OneLineOf200MegabytesWithoutALineEnd)
{
    HostileDirectory dir;
    constexpr std::size_t Size = std::size_t { 200 } << 20;
    struct Case
    {
        const char* what;
        std::string prefix;
        char fill;
        std::string suffix;
    };
    const Case cases[] = {
        { "one field of letters", "", 'x', "" },
        { "a seven-field record with a 200 MB number", "59000 3600.5 ", '7', " 1.0 0.1 0.1 6" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString loop = dir.File(QStringLiteral("loopstats.20200419"));
        WriteLarge(loop, c.prefix, c.fill, Size, c.suffix);
        StatisticsFiles files;
        files.OpenPath(dir.Path());
        EXPECT_EQ(Records(files), 0);
        EXPECT_EQ(files.LoopFileLines.size(), 1u);
        EXPECT_EQ(files.LoopFilesRead, QStringList { loop });
        ASSERT_TRUE(QFile::remove(loop));
    }

    // The same size as peer statistics, through the whole peer rebuild: a line of two
    // fields, which names no peer.
    const QString peer = dir.File(QStringLiteral("peerstats.20200419"));
    WriteLarge(peer, "59000 ", 'x', Size, "");
    StatisticsFiles files;
    files.OpenPath(dir.Path());
    ASSERT_EQ(files.PeerRecords.size(), 1u);
    std::array<TChart, PeerChartCount> charts;
    PeerStore store;
    double latest = 0;
    const PeerRebuildResult result = RebuildPeerStatistics(
        files.PeerRecords, PeerRebuildInputs {}, store, latest, { &charts[0], &charts[1], &charts[2], &charts[3] });
    EXPECT_TRUE(result.Rebuilt);
    EXPECT_TRUE(store.PeerNames.isEmpty());
}

TEST(HostileFiles, ADirectoryOfTenThousandMatchingNames)
{
    HostileDirectory dir;
    for (int i = 0; i < 10000; ++i)
        dir.Write(QStringLiteral("loopstats.%1").arg(20000000 + i), "");
    dir.Write(QStringLiteral("loopstats.20300101"), ThreeLoopLines);

    StatisticsFiles files;
    files.OpenPath(dir.Path());
    EXPECT_EQ(files.LoopFilesRead.size(), 10001);
    EXPECT_EQ(Records(files), 3);
    files.RereadLastOpened();
    EXPECT_EQ(Records(files), 3);
    EXPECT_EQ(files.LoopFilesRead.size(), 10001);
}

TEST(HostileFiles, PipesAndDevicesAreSkippedWithoutBlocking)
{
    HostileDirectory dir;
    const QString real = dir.Write(QStringLiteral("loopstats.20200419"), ThreeLoopLines);
    dir.Write(QStringLiteral("peerstats.20200419"), OnePeerLine);
    QStringList pipes;
    for (const char* name : { "loopstats.20200101", "peerstats.20200101", "loopstats.20200102.gz" }) {
        pipes << dir.File(QString::fromLatin1(name));
        ASSERT_EQ(::mkfifo(Encoded(pipes.back()).constData(), 0600), 0);
    }
    QStringList devices;
    for (const char* name : { "loopstats.20200103", "peerstats.20200103", "loopstats.20200104.gz" }) {
        devices << dir.File(QString::fromLatin1(name));
        ASSERT_EQ(::symlink("/dev/zero", Encoded(devices.back()).constData()), 0);
    }
    // A device node of its own where the system lets us make one.
    const QString node = dir.File(QStringLiteral("peerstats.20200105"));
    if (::mknod(Encoded(node).constData(), S_IFCHR | 0600, makedev(1, 5)) == 0)
        devices << node;
    // Whole archives given alone.
    const QString zipPipe = dir.File(QStringLiteral("loopstats.zip"));
    ASSERT_EQ(::mkfifo(Encoded(zipPipe).constData(), 0600), 0);
    pipes << zipPipe;
    const QString zipDevice = dir.File(QStringLiteral("peerstats.zip"));
    ASSERT_EQ(::symlink("/dev/zero", Encoded(zipDevice).constData()), 0);
    devices << zipDevice;

    const FifoWatchdog watchdog(pipes, std::chrono::seconds(20));
    StatisticsFiles files;
    files.OpenPath(dir.Path());
    EXPECT_EQ(Records(files), 3);
    EXPECT_EQ(files.LoopFilesRead, QStringList { real });
    EXPECT_EQ(files.PeerRecords.size(), 1u);

    files.OpenFileList(pipes + devices + QStringList { real });
    EXPECT_EQ(Records(files), 3);
    EXPECT_EQ(files.LoopFilesRead, QStringList { real });
    for (const QString& odd : pipes + devices) {
        SCOPED_TRACE(odd.toStdString());
        StatisticsFiles alone;
        alone.OpenPath(odd);
        alone.ReadLoopFile(odd, true);
        alone.ReadPeerFile(odd, true);
        EXPECT_EQ(Records(alone), 0);
        EXPECT_TRUE(alone.PeerRecords.empty());
    }
    EXPECT_FALSE(watchdog.Fired()) << "a reader blocked on a named pipe";
}

TEST(HostileFiles, SymbolicLinkLoopsReadNothingAndEndTheScan)
{
    HostileDirectory dir;
    dir.Write(QStringLiteral("loopstats.20200419"), ThreeLoopLines);
    const auto link = [&](const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, Encoded(dir.File(QString::fromLatin1(name))).constData()), 0);
    };
    link("loopstats.20200102", "loopstats.20200101");
    link("loopstats.20200101", "loopstats.20200102");
    link("peerstats.20200103", "peerstats.20200103");
    link(".", "loopstats.20200104"); // the directory inside itself

    StatisticsFiles files;
    files.OpenPath(dir.Path());
    EXPECT_EQ(Records(files), 3);
    EXPECT_TRUE(files.PeerRecords.empty());

    for (const char* name : { "loopstats.20200101", "peerstats.20200103" }) {
        StatisticsFiles alone;
        alone.OpenPath(dir.File(QString::fromLatin1(name)));
        alone.OpenFileList({ dir.File(QString::fromLatin1(name)) });
        EXPECT_EQ(Records(alone), 0);
        EXPECT_TRUE(alone.PeerRecords.empty());
    }
    // A list of just the looping directory reads that directory, once.
    StatisticsFiles nested;
    nested.OpenFileList({ dir.File(QStringLiteral("loopstats.20200104")) });
    EXPECT_EQ(Records(nested), 3);
}

TEST(HostileFiles, FilesThatChangeBetweenListingAndReading)
{
    HostileDirectory dir;
    for (const char* day : { "20200101", "20200102", "20200103", "20200104", "20200105" })
        dir.Write(QStringLiteral("loopstats.") + QLatin1String(day), ThreeLoopLines);
    dir.Write(QStringLiteral("peerstats.20200101"), OnePeerLine);
    QStringList listed;
    ListMatchingFiles(dir.Path() + QStringLiteral("/*stats.2*"), listed);
    ASSERT_EQ(listed.size(), 6);

    const auto path = [&](const char* name) { return dir.File(QString::fromLatin1(name)); };
    ASSERT_TRUE(QFile::remove(path("loopstats.20200101"))); // deleted
    ASSERT_TRUE(QFile::remove(path("loopstats.20200102"))); // replaced by a pipe
    ASSERT_EQ(::mkfifo(Encoded(path("loopstats.20200102")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::remove(path("loopstats.20200103"))); // replaced by a directory
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("loopstats.20200103")));
    ASSERT_TRUE(QFile::resize(path("loopstats.20200104"), 0)); // emptied
    ASSERT_TRUE(QFile::remove(path("peerstats.20200101"))); // deleted

    const FifoWatchdog watchdog({ path("loopstats.20200102") }, std::chrono::seconds(20));
    StatisticsFiles files;
    files.OpenFileList(listed);
    files.RereadLastOpened();
    EXPECT_EQ(Records(files), 3);
    EXPECT_EQ(files.LoopFilesRead, (QStringList { path("loopstats.20200104"), path("loopstats.20200105") }));
    EXPECT_TRUE(files.PeerRecords.empty());
    EXPECT_FALSE(watchdog.Fired()) << "a reader blocked on a named pipe";
}
