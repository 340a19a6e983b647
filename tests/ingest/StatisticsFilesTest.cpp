#include "StatisticsFiles.h"
#include "DateTime.h"
#include "FileNames.h"
#include "IngestTestFiles.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsGenerator.h"
#include "TallimerVersion.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string ExampleLine = "59000 3600.5 0.000123 -15.2 0.000045 0.001 6";

class StatisticsFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, std::string_view bytes) const
    {
        WriteBytes(path(name), bytes);
        return path(name);
    }
    std::int32_t records() const { return files.Loop.DataSetCount ? files.Loop.PointCounts[0] : -1; }
    static QStringList names(const QStringList& paths)
    {
        QStringList out;
        for (const QString& p : paths)
            out.append(FileNamePart(p));
        return out;
    }

    QTemporaryDir dir;
    StatisticsFiles files;
};

TEST(FileNamesTest, ListAcceptance)
{
    const struct
    {
        const char* name;
        bool accepted;
    } cases[] = {
        { "loopstats.20200419", true },
        { "/a/b/loopstats.20200419.gz", true },
        { "peerstats.20200419.GZ", true },
        { "clockstats.20200419", true },
        { "loopstats.20200419.zip", false },
        { "loopstats", false },
        { "loopstats.19600000", false },
        { "loopstats.19600001", true },
        { "loopstats.202512", false },
        { "loopstats.txt", false },
        { "loopstats.99999999999", false },
        { "a.b/loopstats", false },
        { "loopstats.2020-04-19", false },
        { "loopstats.gz", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAcceptedListName(QString::fromLatin1(c.name)), c.accepted) << c.name;
}

TEST(FileNamesTest, KindsMarkersLabelsAndWildcards)
{
    EXPECT_TRUE(IsLoopFile(QStringLiteral("/peer/Loopstats.x")));
    EXPECT_FALSE(IsLoopFile(QStringLiteral("/loop/peerstats")));
    EXPECT_TRUE(IsPeerFile(QStringLiteral("PEERSTATS")));
    for (const char* name : { "loopstats", "loopstats.txt", "LoopStats.zip", "x.loops.2020", "mypeerstats" })
        EXPECT_TRUE(HasStatisticsMarker(QString::fromLatin1(name))) << name;
    for (const char* name : { "loops.txt", "/loopstats/clock", "peers.1" })
        EXPECT_FALSE(HasStatisticsMarker(QString::fromLatin1(name))) << name;

    const struct
    {
        const char* label;
        const char* shortLabel;
    } labels[] = { { "/var/log/ntpstats/", "Ntpstats" }, { "./", "." }, { "/", "" }, { "stats/", "Stats" },
        { "/x/9z/", "9z" } };
    for (const auto& c : labels)
        EXPECT_EQ(AbbreviateDirectoryLabel(QString::fromLatin1(c.label)), QString::fromLatin1(c.shortLabel)) << c.label;

    EXPECT_TRUE(MatchesWildcard(QStringLiteral("LOOPSTATS.20200419.gz"), QStringLiteral("loop*.2*")));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("loop.2"), QStringLiteral("loop*.2*")));
    EXPECT_FALSE(MatchesWildcard(QStringLiteral("loopstats"), QStringLiteral("loop*.2*")));
    EXPECT_FALSE(MatchesWildcard(QStringLiteral("xloopstats.2020"), QStringLiteral("loop*.2*")));
}

TEST_F(StatisticsFilesTest, ListMatchingFilesSortsIgnoringCaseWithoutDuplicates)
{
    for (const char* name :
        { "loopstats.20200102", "LOOPSTATS.20200101", ".loopstats.2020", "loopstats", "peerstats.2020" })
        write(QString::fromLatin1(name), "");
    QDir(dir.path()).mkdir(QStringLiteral("loopstats.2021"));
    QStringList found;
    const QString pattern = WithTrailingSeparator(dir.path()) + QStringLiteral("loop*.2*");
    ListMatchingFiles(pattern, found);
    ListMatchingFiles(pattern, found);
    EXPECT_EQ(names(found), (QStringList { "LOOPSTATS.20200101", "loopstats.20200102", "loopstats.2021" }));
    ListMatchingFiles(path(QStringLiteral("gone/loop*.2*")), found);
    EXPECT_EQ(found.size(), 3);
}

TEST_F(StatisticsFilesTest, DirectoryReadsLoopThenPeerFilesInDateOrder)
{
    StatGenParams params = DefaultParams();
    params.days = 3;
    params.gzipDays = { 0 };
    WriteStatisticsDirectory(QFile::encodeName(dir.path()).toStdString(), params);
    write(QStringLiteral("loopstats.20251231.zip"), "not read in a directory");

    files.OpenPath(dir.path());
    EXPECT_EQ(names(files.LoopFilesRead),
        (QStringList { "loopstats.20260101.gz", "loopstats.20260102", "loopstats.20260103" }));
    EXPECT_EQ(names(files.PeerFilesRead),
        (QStringList { "peerstats.20260101.gz", "peerstats.20260102", "peerstats.20260103" }));
    EXPECT_TRUE(files.FileList.isEmpty());
    EXPECT_TRUE(files.SingleFileName.isEmpty());
    EXPECT_EQ(files.DirectoryLabel, AbbreviateDirectoryLabel(dir.path()));
    EXPECT_EQ(files.LoopDirectory, WithTrailingSeparator(dir.path()));
    EXPECT_TRUE(files.HavePeerData);

    // Every generated line is a record, the gap and the restart included.
    const std::string loop = GenerateLoopLines(params);
    const auto loopLines = static_cast<std::int32_t>(std::count(loop.begin(), loop.end(), '\n'));
    EXPECT_EQ(records(), loopLines);
    const std::string peer = GeneratePeerLines(params);
    EXPECT_EQ(files.PeerRecords.size(), static_cast<std::size_t>(std::count(peer.begin(), peer.end(), '\n')));

    // The caption names the folder of the first name and the last line's time.
    const double last = files.Loop.LoopTimes[0][static_cast<std::size_t>(records() - 1)];
    EXPECT_DOUBLE_EQ(files.LatestTime, last);
    EXPECT_EQ(files.Caption,
        QStringLiteral("Tallimer V" TALLIMER_VERSION " - ") + WithTrailingSeparator(dir.path())
            + QStringLiteral("  up to: ") + FormatDateTime(last, QStringLiteral("yyyy-mmm-dd hh:nn "))
            + QStringLiteral("UTC"));
    EXPECT_TRUE(files.Caption.contains(QStringLiteral("up to: 2026-Jan-03 2")));

    // A reload reads the same again, and picks up a new day.
    files.RereadLastOpened();
    EXPECT_EQ(records(), loopLines);
    EXPECT_EQ(files.PeerRecords.size(), static_cast<std::size_t>(std::count(peer.begin(), peer.end(), '\n')));
    write(QStringLiteral("loopstats.20260104"), LoopLines(5, 61044));
    files.RereadLastOpened();
    EXPECT_EQ(records(), loopLines + 5);

    files.AbbreviateDirectoryName = false;
    files.OpenPath(dir.path());
    EXPECT_EQ(files.DirectoryLabel, WithTrailingSeparator(dir.path()));
}

TEST_F(StatisticsFilesTest, DirectoryWithoutPeerFilesKeepsThePeerRecords)
{
    files.PeerRecords.appendLine("earlier");
    write(QStringLiteral("loopstats.20200419"), LoopLines(3));
    files.OpenPath(dir.path() + QStringLiteral("/"));
    EXPECT_EQ(records(), 3);
    EXPECT_EQ(files.PeerRecords.size(), 1u);
    EXPECT_TRUE(files.FileList.isEmpty());
}

TEST_F(StatisticsFilesTest, SinglePathsByMarker)
{
    const struct
    {
        const char* name;
        bool read;
    } cases[] = {
        { "loopstats", true },
        { "loopstats.202512", true },
        { "loopstats.txt", true },
        { "loops.20200419", true },
        { "my.loops.2020", false }, // the marker without the kind
        { "loop.dat", false },
        { "clockstats.20200419", false },
    };
    for (const auto& c : cases) {
        const QString name = write(QString::fromLatin1(c.name), LoopLines(2));
        StatisticsFiles single;
        single.OpenPath(name);
        EXPECT_EQ(single.Loop.DataSetCount, c.read ? 1 : 0) << c.name;
        EXPECT_EQ(single.LastPath, name);
        if (c.read) {
            EXPECT_EQ(single.SingleFileName, name) << c.name;
            EXPECT_EQ(single.DirectoryLabel, AbbreviateDirectoryLabel(WithTrailingSeparator(dir.path())));
            EXPECT_TRUE(single.Caption.isEmpty()); // the window sets the single-file caption
        }
    }

    // A ZIP archive is read only as a single path with a marker.
    WriteZip(path(QStringLiteral("loopstats.zip")), { { "loopstats.20200419", LoopLines(4) }, { "x", LoopLines(1) } });
    files.OpenPath(path(QStringLiteral("loopstats.zip")));
    EXPECT_EQ(records(), 5);
    files.OpenFileList({ path(QStringLiteral("loopstats.zip")), path(QStringLiteral("loopstats.txt")) });
    EXPECT_EQ(records(), 5);

    // A missing file with a marker reads nothing and clears the label.
    files.OpenPath(path(QStringLiteral("peerstats.20200101")));
    EXPECT_TRUE(files.DirectoryLabel.isEmpty());
    EXPECT_EQ(records(), 5);
    files.OpenPath(QString());
    EXPECT_TRUE(files.LastPath.isEmpty());
}

TEST_F(StatisticsFilesTest, ListOrderFirstMarksAndClearing)
{
    const QString loop18 = write(QStringLiteral("loopstats.20200418"), LoopLines(2, 58957));
    const QString loop19 = write(QStringLiteral("LoopStats.20200419.gz"), GzipBytes(LoopLines(3, 58958)));
    const QString peer19 = write(QStringLiteral("peerstats.20200419"), "58958 1.0 192.168.1.10 9424 0.1 0.2 0.3 0.4\n");
    const QString clock = write(QStringLiteral("clockstats.20200417"), "x\n");
    files.PeerRecords.appendLine("stale");
    files.Loop.StartAfresh();
    files.Loop.Lengthen(1);
    files.Loop.PointCounts[0] = 1;

    files.OpenFileList({ peer19, loop19, clock, loop18, peer19 });
    EXPECT_EQ(names(files.FileList),
        (QStringList { "clockstats.20200417", "loopstats.20200418", "LoopStats.20200419.gz", "peerstats.20200419",
            "peerstats.20200419" }));
    EXPECT_EQ(records(), 5); // started afresh by the first loop file
    EXPECT_EQ(files.PeerRecords.size(), 2u); // afresh, and the name given twice is read twice
    EXPECT_EQ(names(files.LoopFilesRead), (QStringList { "loopstats.20200418", "LoopStats.20200419.gz" }));
    EXPECT_TRUE(files.Caption.startsWith(
        QStringLiteral("Tallimer V" TALLIMER_VERSION " - ") + WithTrailingSeparator(dir.path())));

    // A list with no accepted name empties the four lists and keeps the stores.
    files.SelectedPeers = QStringList { QStringLiteral("192.168.1.10") };
    const QString caption = files.Caption;
    files.OpenFileList({ write(QStringLiteral("loopstats"), LoopLines(1)) });
    EXPECT_TRUE(files.FileList.isEmpty());
    EXPECT_TRUE(files.LoopFilesRead.isEmpty());
    EXPECT_TRUE(files.PeerFilesRead.isEmpty());
    EXPECT_TRUE(files.SelectedPeers.isEmpty());
    EXPECT_EQ(records(), 5);
    EXPECT_EQ(files.Caption, caption);
}

TEST_F(StatisticsFilesTest, ListOfDirectories)
{
    QDir(dir.path()).mkdir(QStringLiteral("a"));
    QDir(dir.path()).mkdir(QStringLiteral("b"));
    WriteBytes(path(QStringLiteral("a/loopstats.20200419")), LoopLines(4));
    files.OpenFileList({ path(QStringLiteral("a")) });
    EXPECT_EQ(records(), 4);
    EXPECT_EQ(files.LastPath, path(QStringLiteral("a")));
    EXPECT_TRUE(files.FileList.isEmpty());

    StatisticsFiles two;
    two.OpenFileList({ path(QStringLiteral("a")), path(QStringLiteral("b")) });
    EXPECT_EQ(two.Loop.DataSetCount, 0);
}

TEST_F(StatisticsFilesTest, ReloadOfAListRereadsTheList)
{
    const QString a = write(QStringLiteral("loopstats.20200418"), LoopLines(2));
    const QString b = write(QStringLiteral("loopstats.20200419"), LoopLines(3));
    files.OpenFileList({ b, a });
    write(QStringLiteral("loopstats.20200419"), LoopLines(7));
    files.RereadLastOpened();
    EXPECT_EQ(records(), 9);
    EXPECT_EQ(files.FileList.size(), 2);
}

TEST_F(StatisticsFilesTest, EntriesThatAreNotFilesDoNotTakeTheFirstMark)
{
    // A sub-directory and a FIFO with statistics names sort before the real files. They
    // must not be read (a FIFO would block) and must not take the first mark: the real
    // first peer file would then be appended to the last reading's lines, and every
    // reload would add them again.
    QDir(dir.path()).mkdir(QStringLiteral("peerstats.20200101"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("loopstats.20200101"))).constData(), 0600), 0);
    write(QStringLiteral("loopstats.20200419"), LoopLines(3));
    write(QStringLiteral("peerstats.20200419"), "58958 1.0 192.168.1.10 9424 0.1 0.2 0.3 0.4\n");

    files.OpenPath(dir.path());
    files.RereadLastOpened();
    files.RereadLastOpened();
    EXPECT_EQ(records(), 3);
    EXPECT_EQ(files.PeerRecords.size(), 1u);
    EXPECT_EQ(names(files.PeerFilesRead), QStringList { "peerstats.20200419" });

    // The FIFO given alone is not read either.
    StatisticsFiles single;
    single.OpenPath(path(QStringLiteral("loopstats.20200101")));
    EXPECT_EQ(single.Loop.DataSetCount, 0);
}

TEST_F(StatisticsFilesTest, VanishedDirectoryAndUndecodableNames)
{
    QDir(dir.path()).mkdir(QStringLiteral("gone"));
    WriteBytes(path(QStringLiteral("gone/loopstats.20200419")), LoopLines(3));
    files.OpenPath(path(QStringLiteral("gone")));
    ASSERT_EQ(records(), 3);
    QDir(path(QStringLiteral("gone"))).removeRecursively();
    files.RereadLastOpened();
    EXPECT_EQ(records(), 3); // nothing to read: the data stays

    // A name that is not valid UTF-8 neither crashes nor stops the others.
    const QByteArray raw = QFile::encodeName(dir.path()) + "/loopstats.20200418\xff\xfe";
    WriteBytes(QFile::decodeName(raw), LoopLines(2));
    { // write through the raw name as well, in case decoding changed it
        FILE* f = std::fopen(raw.constData(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(LoopLines(2).c_str(), f);
        std::fclose(f);
    }
    write(QStringLiteral("loopstats.20200419"), LoopLines(3));
    files.OpenPath(dir.path());
    EXPECT_EQ(records(), 3);
    ::unlink(raw.constData()); // beyond what QTemporaryDir can name
}

TEST_F(StatisticsFilesTest, LoopReaderRecordsAndLatestTime)
{
    const QString first = write(QStringLiteral("loopstats.20200530"), ExampleLine + "\n" + ExampleLine);
    files.ReadLoopFile(first, true);
    ASSERT_EQ(records(), 2);
    EXPECT_DOUBLE_EQ(files.Loop.LoopOffsets[0][0], 0.123);
    EXPECT_DOUBLE_EQ(files.LatestTime, 43982 + 3600.5 / 86400);
    EXPECT_EQ(files.LoopFileLines.size(), 2u);

    // A second file appends; its last line (a line being written, cut short) is skipped
    // and leaves the "up to" time as it was; skipped lines leave fill values behind.
    const QString second = write(QStringLiteral("loopstats.20200531"),
        "59001 60.0 -0.000200 -15.1 0.000050 0.002 7\n"
        "garbage\n"
        "59001 120.0 0.0 0.000 0.000030 0.000000 8\n"
        "59001 180.0 0.000");
    files.ReadLoopFile(second, false);
    ASSERT_EQ(records(), 4);
    EXPECT_DOUBLE_EQ(files.Loop.LoopOffsets[0][2], -0.2);
    EXPECT_EQ(files.Loop.LoopPollExponents[0][2], 7);
    EXPECT_EQ(files.Loop.LoopPollExponents[0][3], 8);
    EXPECT_EQ(files.Loop.LoopFrequencies[0][3], 0.0); // restart: frequency exactly 0
    EXPECT_DOUBLE_EQ(files.LatestTime, 43982 + 3600.5 / 86400);
    ASSERT_EQ(files.Loop.LoopTimes[0].size(), 6u);
    EXPECT_EQ(files.Loop.LoopPollExponents[0][5], 6);
    EXPECT_EQ(files.Loop.LoopTimes[0][5], 0.0);
    EXPECT_EQ(names(files.LoopFilesRead), (QStringList { "loopstats.20200530", "loopstats.20200531" }));

    // Zone offset is taken as the line is parsed.
    files.ZoneOffset = -1.0 / 24;
    files.ReadLoopFile(first, true);
    EXPECT_NEAR(files.Loop.LoopTimes[0][0], 43982 + 7200.5 / 86400, 1e-9);
    EXPECT_EQ(files.Loop.DataSetNames, std::vector<QString> { QStringLiteral("loopstats") });
}

TEST_F(StatisticsFilesTest, LoopReaderFailures)
{
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QString empty = write(QStringLiteral("sub/loopstats.20200101"), "");
    files.LatestTime = 7;
    files.ReadLoopFile(empty, true);
    EXPECT_EQ(files.Loop.DataSetCount, 1);
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(files.LoopFilesRead, QStringList { empty });
    EXPECT_EQ(files.LatestTime, 7);

    // A plain file that cannot be read leaves the directory and the list alone.
    files.ReadLoopFile(path(QStringLiteral("loopstats.20200102")), false);
    EXPECT_EQ(files.LoopDirectory, path(QStringLiteral("sub/")));
    EXPECT_EQ(files.LoopFilesRead.size(), 1);

    // A gzip file that cannot be decoded is a file without lines, not named as read.
    const QString badGz = write(QStringLiteral("loopstats.20200103.gz"), "plain text");
    files.ReadLoopFile(badGz, false);
    EXPECT_EQ(files.LoopDirectory, WithTrailingSeparator(dir.path()));
    EXPECT_EQ(files.LoopFilesRead.size(), 1);
    EXPECT_EQ(records(), 0);

    // Appending to a store that was never started starts it.
    StatisticsFiles fresh;
    fresh.ReadLoopFile(write(QStringLiteral("loopstats.20200104"), LoopLines(2)), false);
    EXPECT_EQ(fresh.Loop.PointCounts, std::vector<std::int32_t> { 2 });
}

TEST_F(StatisticsFilesTest, PeerLinesBecomeRecordsInFileOrder)
{
    const std::string variants = "61000 10.5 127.127.28.0 963a 0.000012 0.000000000 0.000950 0.000100\n"
                                 "61000 11.5 SHM(0) 963a 0.000012 0.000000 0.000950 0.000100\n"
                                 "61000 12.5 2001:db8::123 9324 0.0004 0.012 0.003 0.0002\n"
                                 "61000 13.5 192.168.1.10 9424 0.000020 0.000250 0.001\n" // old 7-field line
                                 "61000 14.5 198.51.100.7 9324 -0.0015 0.03 0.01 0.0005 extra fields\r\n"
                                 "61000 15.5 192.168.1.11 94"; // being written
    const QString first = write(QStringLiteral("peerstats.20260101.gz"), GzipBytes(variants));
    const QString second = write(QStringLiteral("peerstats.20260102"), "61001 1.0 192.168.1.10 9424 0 0 0 0\n");

    files.PeerRecords.appendLine("stale");
    files.ReadPeerFile(path(QStringLiteral("peerstats.20251231")), true); // missing: nothing changes
    EXPECT_EQ(files.PeerRecords.size(), 1u);
    EXPECT_FALSE(files.HavePeerData);

    files.ReadPeerFile(first, true);
    files.ReadPeerFile(second, false);
    const PeerRecordStore& records = files.PeerRecords;
    ASSERT_EQ(records.size(), 7u);
    const auto address = [&](std::size_t i) { return records.Address(records.Peers()[i]); };
    const auto usable = [&](std::size_t i) { return (records.Flags()[i] & PeerRecordStore::HasValues) != 0; };
    EXPECT_EQ(address(1), "SHM(0)");
    EXPECT_EQ(records.Offsets()[1], 0.000012);
    EXPECT_EQ(records.Dispersions()[1], 0.000950);
    EXPECT_EQ(records.Jitters()[1], 0.000100);
    EXPECT_FALSE(usable(3)); // seven fields: counted, never drawn
    EXPECT_EQ(address(3), "192.168.1.10");
    EXPECT_TRUE(usable(4)); // fields after the eighth are not looked at
    EXPECT_EQ(records.Offsets()[4], -0.0015);
    EXPECT_EQ(address(5), "192.168.1.11");
    EXPECT_FALSE(usable(5));
    EXPECT_TRUE(records.Flags()[5] & PeerRecordStore::HasTime);
    EXPECT_EQ(records.UtcTimes()[5], DateTimeFromMjd(61000, 15.5));
    EXPECT_EQ(address(6), "192.168.1.10");
    EXPECT_EQ(records.Peers()[6], records.Peers()[3]);
    EXPECT_EQ(records.UtcTimes()[6], DateTimeFromMjd(61001, 1.0));
    EXPECT_TRUE(usable(6));
    EXPECT_EQ(files.PeerFilesRead, (QStringList { first, second }));
    EXPECT_TRUE(files.HavePeerData);

    files.ReadPeerFile(write(QStringLiteral("peerstats.20260103"), ""), true);
    EXPECT_TRUE(files.PeerRecords.empty());
    EXPECT_FALSE(files.HavePeerData);
}

} // namespace
