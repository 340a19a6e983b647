// The readers behind discovery: which names each claims and in what order they are read,
// which texts each recognises, and how discovery hands files to them.

#include "StatisticsReaders.h"
#include "FileNames.h"
#include "IngestTestFiles.h"
#include "LoopLineParser.h"
#include "LoopLinesReader.h"
#include "StatGenParams.h"
#include "StatisticsFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace {

using Verdict = NameClaim::Verdict;

QStringList FileNames(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out.append(FileNamePart(p));
    return out;
}

std::int32_t Records(const StatisticsFiles& files)
{
    return files.Loop.DataSetCount ? files.Loop.PointCounts[0] : -1;
}

// Whether the store's records ascend in time.
bool TimesAscend(const StatisticsFiles& files)
{
    const auto& times = files.Loop.LoopTimes[0];
    return std::is_sorted(times.begin(), times.begin() + Records(files));
}

class ReaderDiscoveryTest : public ::testing::Test
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
    QString writeGzip(const QString& name, std::string_view text) const { return write(name, GzipBytes(text)); }

    QTemporaryDir dir;
    StatisticsFiles files;
};

TEST(StatisticsReaders, NamesEachNtpReaderClaims)
{
    const StatisticsReader& loop = NtpLoopstats();
    const StatisticsReader& peer = NtpPeerstats();
    const struct
    {
        const char* name;
        Verdict loop;
        Verdict peer;
    } cases[] = {
        // Day files, as ever.
        { "loopstats.20251207", Verdict::Claimed, Verdict::Foreign },
        { "/var/log/ntpstats/loopstats.20251207.gz", Verdict::Claimed, Verdict::Foreign },
        { "PEERSTATS.20251207.GZ", Verdict::Foreign, Verdict::Claimed },
        { "loops.20251207", Verdict::Claimed, Verdict::Foreign },
        { "loopstats.19600000", Verdict::Family, Verdict::Unknown },
        // Months, weeks and years.
        { "loopstats.202512", Verdict::Claimed, Verdict::Foreign },
        { "loopstats.202512.gz", Verdict::Claimed, Verdict::Foreign },
        { "peerstats.202601", Verdict::Foreign, Verdict::Claimed },
        { "loopstats.202513", Verdict::Family, Verdict::Unknown },
        { "loopstats.202500", Verdict::Family, Verdict::Unknown },
        { "loopstats.195912", Verdict::Family, Verdict::Unknown },
        { "loopstats.2025W49", Verdict::Claimed, Verdict::Foreign },
        { "loopstats.2025w9", Verdict::Claimed, Verdict::Foreign },
        { "peerstats.2026W53.gz", Verdict::Foreign, Verdict::Claimed }, // 2026 has 53 ISO weeks
        { "loopstats.2025W53", Verdict::Family, Verdict::Unknown }, // 2025 has 52
        { "loopstats.2025W00", Verdict::Family, Verdict::Unknown },
        { "loopstats.2025W123", Verdict::Family, Verdict::Unknown },
        { "loopstats.2025", Verdict::Claimed, Verdict::Foreign },
        { "loopstats.2025.gz", Verdict::Claimed, Verdict::Foreign },
        { "loopstats.1959", Verdict::Family, Verdict::Unknown },
        { "loopstats.+2025", Verdict::Family, Verdict::Unknown },
        // Archives and names without a period.
        { "loopstats.202512.zip", Verdict::Family, Verdict::Unknown },
        { "loopstats", Verdict::Family, Verdict::Unknown },
        { "loopstats.txt", Verdict::Family, Verdict::Unknown },
        { "loopstats.gz", Verdict::Family, Verdict::Unknown },
        { "peerstats.old", Verdict::Unknown, Verdict::Family },
        // ntpd's other statistics, and names that say nothing.
        { "clockstats.20251207", Verdict::Foreign, Verdict::Foreign },
        { "sysstats.202512", Verdict::Foreign, Verdict::Foreign },
        { "/loopstats/mydata", Verdict::Unknown, Verdict::Unknown },
        { "tracking.log", Verdict::Unknown, Verdict::Unknown },
        { ".gz", Verdict::Unknown, Verdict::Unknown },
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(loop.ExamineName(name).verdict, c.loop) << c.name;
        EXPECT_EQ(peer.ExamineName(name).verdict, c.peer) << c.name;
    }
    EXPECT_EQ(loop.Kind(), StatisticsKind::Loop);
    EXPECT_EQ(peer.Kind(), StatisticsKind::Peer);
    EXPECT_EQ(loop.DirectoryPatterns(), QStringList { QStringLiteral("loop*.2*") });
    EXPECT_EQ(peer.DirectoryPatterns(), QStringList { QStringLiteral("peer*.2*") });
}

TEST(StatisticsReaders, OrderOfNtpFilesByThePeriodTheyHold)
{
    // In reading order. A period is placed by the date it starts on, and of periods
    // starting on one date the longer comes first; day files keep their names' order.
    const QStringList ordered {
        "/s/loopstats.2024W52", // 2024-12-23
        "/s/loopstats.2025", // 2025-01-01
        "/s/loopstats.202501.gz", // 2025-01-01
        "/s/loopstats.20250101", "/s/loopstats.20250101.gz",
        "/s/loopstats.2025W9", // 2025-02-24: before week 10 although its name sorts after
        "/s/loopstats.2025W10", // 2025-03-03
        "/s/LOOPSTATS.202511",
        "/s/loopstats.2025W48", // 2025-11-24
        "/s/loopstats.20251130",
        "/s/loopstats.202512", // 2025-12-01
        "/s/loopstats.2025W49", // 2025-12-01
        "/s/loopstats.20251201",
        "/s/loopstats.2026W01.gz", // 2025-12-29
        "/s/loopstats.2026",
        "/t/loopstats.2020", // another folder comes after, as its names do
    };
    QStringList shuffled = ordered;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());

    std::vector<std::pair<FileOrder, QString>> claimed;
    for (const QString& name : shuffled) {
        NameClaim claim = NtpLoopstats().ExamineName(name);
        ASSERT_EQ(claim.verdict, Verdict::Claimed) << name.toStdString();
        claimed.emplace_back(std::move(claim.order), name);
    }
    std::stable_sort(claimed.begin(), claimed.end(),
        [](const auto& a, const auto& b) { return FileOrder::Before(a.first, b.first); });
    QStringList read;
    for (const auto& [order, name] : claimed)
        read.append(name);
    EXPECT_EQ(read, ordered);

    // A day file's place is its whole name, so day files read in the order of their
    // names whatever their folders and prefixes.
    EXPECT_EQ(NtpLoopstats().ExamineName(QStringLiteral("/b/loops.20200419.gz")).order.text,
        QStringLiteral("/b/loops.20200419.gz"));
}

TEST(StatisticsReaders, RecognitionByTheFirstRecords)
{
    const std::string loop = "61000 0.000 0.000010 -15.000 0.000020 0.001 6";
    const std::string peer = "61000 0.125 192.168.1.10 9424 0.000012 0.000250 0.001 0.0001";
    enum class Who { Loop, Peer, Nobody };
    const struct
    {
        const char* what;
        std::string text;
        Who who;
    } cases[] = {
        { "loop lines", LoopLines(3), Who::Loop },
        { "peer lines", PeerLines(3), Who::Peer },
        { "a refclock and an IPv6 peer",
            "61000 1.5 127.127.28.0 963a 0.000012 0.000000000 0.000950 0.000100\n"
            "61000 2.5 2001:db8::123 9324 0.0004 0.012 0.003 0.0002\n",
            Who::Peer },
        { "blank lines before the records", "\n  \r\n\t\n" + loop + "\n", Who::Loop },
        { "a damaged first line", "\x01\x02garbage\n" + loop + "\n" + loop + "\n", Who::Loop },
        { "a last line cut short", peer + "\n61000 1.5 192.16", Who::Peer },
        { "one record in five", "a\nb\nc\nd\n" + loop + "\n" + loop + "\n", Who::Nobody },
        { "records only after five other lines", "a\nb\nc\nd\ne\n" + LoopLines(20), Who::Nobody },
        { "empty", "", Who::Nobody },
        { "garbage", "hello world\nthis is not ntp\n", Who::Nobody },
        { "a peer line with the status in decimal words", "61000 0.1 192.168.1.10 reach 0.1 0.2 0.3 0.4\n",
            Who::Nobody },
        { "a peer line of nine fields", peer + " extra\n", Who::Nobody },
        { "an old peer line of seven fields", "61000 0.1 192.168.1.10 9424 0.1 0.2 0.3\n", Who::Nobody },
        { "a loop line with a comma as decimal point", "61000 0 0,000010 -15 0,00002 0.001 6\n", Who::Nobody },
        { "clockstats", "61000 525.624 127.127.4.1 93 226 00:08:29.606 D\n", Who::Nobody },
        { "a chrony tracking log",
            "2025-12-07 00:00:01 192.168.1.1 2 -15.123 0.010 1.2e-05 N 1 3.1e-06 -2.0e-08 1.1e-03 2.4e-04 9.9e-04\n",
            Who::Nobody },
    };
    for (const auto& c : cases) {
        LineList lines;
        lines.appendText(std::string(c.text));
        EXPECT_EQ(NtpLoopstats().Recognises(lines), c.who == Who::Loop) << c.what;
        EXPECT_EQ(NtpPeerstats().Recognises(lines), c.who == Who::Peer) << c.what;
    }
}

TEST_F(ReaderDiscoveryTest, AFamilyNameGivenAloneIsReadByItsText)
{
    // A renamed loopstats file is read as loop statistics, a peerstats file under a
    // loop name as peer lines, and a text nobody recognises by the family's reader (an
    // empty loopstats file starts an empty store, as it always did).
    const QString renamed = write(QStringLiteral("loopstats.txt"), LoopLines(4));
    files.OpenPath(renamed);
    EXPECT_EQ(Records(files), 4);
    EXPECT_EQ(files.LoopFilesRead, QStringList { renamed });
    EXPECT_EQ(files.SingleFileName, renamed);

    StatisticsFiles peers;
    const QString peersAsLoop = writeGzip(QStringLiteral("loopstats-copy.gz"), PeerLines(3));
    peers.OpenPath(peersAsLoop);
    EXPECT_EQ(peers.Loop.DataSetCount, 0);
    EXPECT_EQ(peers.PeerRecords.size(), 3u);
    EXPECT_EQ(peers.PeerFilesRead, QStringList { peersAsLoop });
    EXPECT_TRUE(peers.HavePeerData);
    EXPECT_EQ(peers.SingleFileName, peersAsLoop);

    StatisticsFiles empty;
    const QString nothing = write(QStringLiteral("loopstats.new"), "");
    empty.OpenPath(nothing);
    EXPECT_EQ(Records(empty), 0);
    EXPECT_EQ(empty.LoopFilesRead, QStringList { nothing });

    // A dated name is read by its name whatever it holds.
    StatisticsFiles dated;
    dated.OpenPath(write(QStringLiteral("loopstats.20251207"), PeerLines(3)));
    EXPECT_EQ(Records(dated), 0);
    EXPECT_TRUE(dated.PeerRecords.empty());
}

TEST_F(ReaderDiscoveryTest, NamesThatSayNothingAreReadByTheReaderThatRecognisesThem)
{
    const QString day = write(QStringLiteral("loopstats.20251207"), LoopLines(2, 61016));
    // Larger than the part of a plain file read to recognise it.
    const QString mydata = write(QStringLiteral("mydata"), LoopLines(2000, 61017));
    const QString notes = writeGzip(QStringLiteral("notes.gz"), PeerLines(3, 61017));
    const QString garbage = write(QStringLiteral("garbage"), "hello\nworld\n");
    const QString zipped = path(QStringLiteral("archive.zip"));
    WriteZip(zipped, { { "x", LoopLines(7) } });

    files.OpenFileList({ notes, garbage, zipped, mydata, day });
    EXPECT_EQ(FileNames(files.FileList), (QStringList { "loopstats.20251207", "mydata", "notes.gz" }));
    EXPECT_EQ(Records(files), 2002);
    EXPECT_TRUE(TimesAscend(files));
    EXPECT_EQ(files.LoopFilesRead, (QStringList { day, mydata }));
    EXPECT_EQ(files.PeerRecords.size(), 3u);
    EXPECT_EQ(files.PeerFilesRead, QStringList { notes });

    // A reload reads them the same way again.
    files.RereadLastOpened();
    EXPECT_EQ(Records(files), 2002);
    EXPECT_EQ(files.PeerRecords.size(), 3u);

    // A list of names nobody recognises is a list with no accepted name.
    files.OpenFileList({ garbage, zipped });
    EXPECT_TRUE(files.FileList.isEmpty());
    EXPECT_TRUE(files.LoopFilesRead.isEmpty());
    EXPECT_EQ(Records(files), 2002);

    // Given alone, too: a recognised text is read, anything else changes nothing.
    StatisticsFiles single;
    single.OpenPath(mydata);
    EXPECT_EQ(Records(single), 2000);
    EXPECT_EQ(single.SingleFileName, mydata);
    EXPECT_EQ(single.DirectoryLabel, AbbreviateDirectoryLabel(WithTrailingSeparator(dir.path())));
    for (const QString& unread : { garbage, zipped }) {
        StatisticsFiles alone;
        alone.DirectoryLabel = QStringLiteral("kept");
        alone.OpenPath(unread);
        EXPECT_EQ(alone.Loop.DataSetCount, 0) << unread.toStdString();
        EXPECT_TRUE(alone.SingleFileName.isEmpty());
        EXPECT_EQ(alone.DirectoryLabel, QStringLiteral("kept"));
    }
}

TEST_F(ReaderDiscoveryTest, TextsAreNotRecognisedThroughPipes)
{
    // Recognising a text means opening the file: a named pipe must not be opened, or
    // the reading would wait for a writer that never comes.
    const QString pipe = path(QStringLiteral("mydata"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString real = write(QStringLiteral("loopstats.20251207"), LoopLines(2));
    files.OpenFileList({ pipe, real });
    EXPECT_EQ(files.FileList, QStringList { real });
    EXPECT_EQ(Records(files), 2);
    files.OpenPath(pipe);
    EXPECT_EQ(Records(files), 2);
}

TEST_F(ReaderDiscoveryTest, DirectoriesOfWeekMonthAndYearFilesReadEveryLineInPeriodOrder)
{
    const struct
    {
        const char* what;
        std::vector<std::tuple<const char*, std::int32_t, int>> loopFiles; // name, MJD, lines
        std::vector<std::tuple<const char*, std::int32_t, int>> peerFiles;
    } cases[] = {
        { "months",
            { { "loopstats.202510", MjdFromDate(2025, 10, 1), 3 },
                { "loopstats.202511.gz", MjdFromDate(2025, 11, 1), 2 },
                { "loopstats.202512", MjdFromDate(2025, 12, 1), 4 } },
            { { "peerstats.202511", MjdFromDate(2025, 11, 1), 2 },
                { "peerstats.202512.gz", MjdFromDate(2025, 12, 1), 3 } } },
        { "weeks",
            { { "loopstats.2025W9", MjdFromDate(2025, 2, 24), 2 },
                { "loopstats.2025W10.gz", MjdFromDate(2025, 3, 3), 3 },
                { "loopstats.2025W11", MjdFromDate(2025, 3, 10), 1 } },
            { { "peerstats.2025W9.gz", MjdFromDate(2025, 2, 24), 1 },
                { "peerstats.2025W10", MjdFromDate(2025, 3, 3), 4 } } },
        { "years",
            { { "loopstats.2024.gz", MjdFromDate(2024, 12, 31), 2 }, { "loopstats.2025", MjdFromDate(2025, 6, 1), 5 } },
            { { "peerstats.2025", MjdFromDate(2025, 6, 1), 2 } } },
        { "days and the periods around them",
            { { "loopstats.2025", MjdFromDate(2025, 1, 1), 2 }, { "loopstats.2025W48", MjdFromDate(2025, 11, 24), 2 },
                { "loopstats.20251130.gz", MjdFromDate(2025, 11, 30), 1 },
                { "loopstats.202512", MjdFromDate(2025, 12, 1), 3 },
                { "loopstats.20251202", MjdFromDate(2025, 12, 2), 2 } },
            { { "peerstats.20251130", MjdFromDate(2025, 11, 30), 1 },
                { "peerstats.202512", MjdFromDate(2025, 12, 1), 2 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir periods;
        QStringList loopNames;
        QStringList peerNames;
        int loopLines = 0;
        std::size_t peerLines = 0;
        // Written newest first, so that nothing depends on the order of creation.
        for (auto it = c.loopFiles.rbegin(); it != c.loopFiles.rend(); ++it) {
            const auto& [name, mjd, n] = *it;
            const QString file = periods.filePath(QString::fromLatin1(name));
            const std::string text = LoopLines(n, mjd);
            WriteBytes(file, file.endsWith(QLatin1String(".gz")) ? GzipBytes(text) : text);
            loopNames.prepend(QString::fromLatin1(name));
            loopLines += n;
        }
        for (auto it = c.peerFiles.rbegin(); it != c.peerFiles.rend(); ++it) {
            const auto& [name, mjd, n] = *it;
            const QString file = periods.filePath(QString::fromLatin1(name));
            const std::string text = PeerLines(n, mjd);
            WriteBytes(file, file.endsWith(QLatin1String(".gz")) ? GzipBytes(text) : text);
            peerNames.prepend(QString::fromLatin1(name));
            peerLines += static_cast<std::size_t>(n);
        }

        StatisticsFiles scanned;
        scanned.OpenPath(periods.path());
        EXPECT_EQ(FileNames(scanned.LoopFilesRead), loopNames);
        EXPECT_EQ(FileNames(scanned.PeerFilesRead), peerNames);
        EXPECT_EQ(Records(scanned), loopLines);
        EXPECT_TRUE(TimesAscend(scanned));
        EXPECT_EQ(scanned.PeerRecords.size(), peerLines);

        // The same names in a list, given in reverse, are read in the same order.
        QStringList list;
        for (const QString& name : peerNames + loopNames)
            list.prepend(periods.filePath(name));
        StatisticsFiles listed;
        listed.OpenFileList(list);
        EXPECT_EQ(FileNames(listed.LoopFilesRead), loopNames);
        EXPECT_EQ(FileNames(listed.PeerFilesRead), peerNames);
        EXPECT_EQ(Records(listed), loopLines);
        EXPECT_TRUE(TimesAscend(listed));
        EXPECT_DOUBLE_EQ(listed.LatestTime, scanned.LatestTime);
    }
}

// A reader of rotated logs that hold loopstats lines: "clock.log" is the newest,
// "clock.log.1", "clock.log.2.gz" ... older ones, so only the text can order them. It
// stands for the kind of reader the interface has to admit besides ntpd's.
class RotatedLogReader final : public LoopLinesReader
{
public:
    QString FormatName() const override { return QStringLiteral("rotated test log"); }
    QStringList DirectoryPatterns() const override { return { QStringLiteral("clock.log*") }; }
    NameClaim ExamineName(const QString& path) const override
    {
        const QString name = FileNamePart(path);
        if (!name.startsWith(QLatin1String("clock.log")))
            return {};
        return NameClaim { Verdict::Claimed, FileOrder { FolderPart(path) + QStringLiteral("clock.log") } };
    }
    bool MarksSinglePath(const QString& path) const override
    {
        return FileNamePart(path).startsWith(QLatin1String("clock.log"));
    }
    bool Recognises(const LineList&) const override { return false; }
    bool OrdersByText() const override { return true; }
    std::optional<double> FirstTime(const LineList& lines) const override
    {
        LoopRecord record;
        for (const std::string_view line : lines)
            if (ParseLoopLine(line, 0, record))
                return record.time;
        return std::nullopt;
    }
    bool ParseRecord(std::string_view line, double zoneOffset, LoopRecord& record) const override
    {
        return ParseLoopLine(line, zoneOffset, record);
    }
};

TEST_F(ReaderDiscoveryTest, AReaderMayOrderItsFilesByTheirText)
{
    const RotatedLogReader rotated;
    StatisticsFiles logs({ &rotated, &NtpPeerstats() });
    write(QStringLiteral("clock.log"), LoopLines(2, 61003));
    write(QStringLiteral("clock.log.1"), LoopLines(3, 61002));
    writeGzip(QStringLiteral("clock.log.2.gz"), LoopLines(4, 61001));
    write(QStringLiteral("clock.log.3"), ""); // no time stamp: after the others
    write(QStringLiteral("peerstats.20251207"), PeerLines(1));

    logs.OpenPath(dir.path());
    EXPECT_EQ(
        FileNames(logs.LoopFilesRead), (QStringList { "clock.log.2.gz", "clock.log.1", "clock.log", "clock.log.3" }));
    EXPECT_EQ(Records(logs), 9);
    EXPECT_TRUE(TimesAscend(logs));
    EXPECT_EQ(logs.PeerRecords.size(), 1u);

    logs.OpenFileList({ path(QStringLiteral("clock.log")), path(QStringLiteral("clock.log.2.gz")),
        path(QStringLiteral("clock.log.1")) });
    EXPECT_EQ(FileNames(logs.FileList), (QStringList { "clock.log.2.gz", "clock.log.1", "clock.log" }));
    EXPECT_TRUE(TimesAscend(logs));

    // Without ntpd's loop reader, a loopstats name is nobody's.
    write(QStringLiteral("loopstats.20251207"), LoopLines(6));
    logs.OpenPath(dir.path());
    EXPECT_EQ(Records(logs), 9);
}

} // namespace
