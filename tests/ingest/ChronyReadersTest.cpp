// chrony's logs through discovery and the readers: which names each log's reader takes,
// how files of each log are ordered, and what a reading makes of a few hand-written lines
// of each log (signs, units, the poll and jitter lookups, banners, unsynchronised and
// damaged lines).
#include "ChronyLogGenerator.h"
#include "ChronyLogReader.h"
#include "ChronyLogSet.h"
#include "DateTime.h"
#include "FileNames.h"
#include "IngestTestFiles.h"
#include "PeerRecordStore.h"
#include "StatGenParams.h"
#include "StatisticsFiles.h"
#include "StatisticsNumber.h"
#include "StatisticsReaders.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <sstream>

namespace {

using Verdict = NameClaim::Verdict;

QStringList FileNames(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out.append(FileNamePart(p));
    return out;
}

std::string Shortest(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// A peer record as text: "time address offset delay dispersion jitter", the time as a
// UTC day number, every number in its shortest form; "none" for no jitter.
std::string PeerText(std::int32_t mjd, double seconds, const std::string& rest)
{
    return Shortest(DateTimeFromMjd(mjd, seconds)) + " " + rest;
}

std::vector<std::string> PeerLineTexts(const StatisticsFiles& files)
{
    const PeerRecordStore& records = files.PeerRecords;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint8_t flags = records.Flags()[i];
        std::string text = (flags & PeerRecordStore::HasTime) ? Shortest(records.UtcTimes()[i]) : "?";
        text += " " + records.Address(records.Peers()[i]);
        if (!(flags & PeerRecordStore::HasValues)) {
            texts.push_back(text + " unusable");
            continue;
        }
        text += " " + Shortest(records.Offsets()[i]) + " " + Shortest(records.Delays()[i]) + " "
            + Shortest(records.Dispersions()[i]) + " "
            + ((flags & PeerRecordStore::HasJitter) ? Shortest(records.Jitters()[i]) : "none");
        texts.push_back(text);
    }
    return texts;
}

std::int32_t Records(const StatisticsFiles& files)
{
    return files.Loop.DataSetCount ? files.Loop.PointCounts[0] : -1;
}

// 2025-12-07 (MJD 61016) at a time of day, as a day number.
double Dec7(int hour, int minute, double second)
{
    return DateTimeFromMjd(61016, hour * 3600.0 + minute * 60.0 + second);
}

const std::string TrackingBanner
    = "=================================================================================================\n"
      "   Date (UTC) Time     IP Address   St   Freq ppm   Skew ppm     Offset L Co  Offset sd Rem. corr. "
      "Root delay Root disp. Max. error\n"
      "=================================================================================================\n";

// The unsynchronised start, an update from a LAN server, one from a PPS refclock, a line
// with a damaged number and another update from the LAN server.
const std::string TrackingLog = TrackingBanner
    + "2025-12-07 00:00:02 0.0.0.0          0     14.800      0.000  0.000e+00 ?  0  0.000e+00  0.000e+00  "
      "0.000e+00  0.000e+00  0.000e+00\n"
      "2025-12-07 00:01:00 192.168.1.10     2     14.801      0.020  1.500e-06 N  2  2.000e-06 -4.000e-07  "
      "2.400e-04  1.000e-04  3.000e-04\n"
      "2025-12-07 00:02:00 PPS              1     -3.250      0.005 -2.000e-07 N  1  3.000e-07  0.000e+00  "
      "1.000e-09  2.000e-06  2.500e-06\n"
      "2025-12-07 00:03:00 192.168.1.10     2     14.790      0.020  x.000e-06 N  2  1.000e-06  0.000e+00  "
      "2.400e-04  1.000e-04  3.000e-04\n"
    + TrackingBanner
    + "2025-12-07 00:04:00 192.168.1.10     2     14.790      0.020  4.000e-06 N  2  1.000e-06  0.000e+00  "
      "2.400e-04  1.000e-04  3.000e-04\n";

// The LAN server polls at 2^6, then 2^7 (at the very second of the tracking line), then
// 2^8; the internet server at 2^10.
const std::string MeasurementsLog
    = "2025-12-07 00:00:30 192.168.1.10    N  1 111 111 1111   6  6 1.00  2.500e-05  2.400e-04  7.000e-06  "
      "0.000e+00  1.500e-04 50505300 4B K K\n"
      "2025-12-07 00:01:00 192.168.1.10    N  1 111 111 1111   7  7 1.00 -3.000e-05  2.600e-04  8.000e-06  "
      "0.000e+00  1.500e-04 50505300 4B K K\n"
      "2025-12-07 00:03:50 192.168.1.10    N  1 111 111 1111   8  8 1.00  1.000e-05  2.500e-04  9.000e-06  "
      "0.000e+00  1.500e-04 50505300 4B K K\n"
      "2025-12-07 00:03:55 192.0.2.123     N  2 111 111 1111  10 10 1.00  1.587e-03  2.069e-02  1.323e-05  "
      "1.000e-02  4.768e-04 C6336407 4B K K\n";

// The PPS regression at 00:03:30 is written before the one at 00:02:10, as chronyd does
// with a refclock's filtered samples.
const std::string StatisticsLog
    = "2025-12-07 00:01:00 192.168.1.10     1.716e-05 -3.000e-05  3.034e-06  3.371e-10  9.169e-09 4.4e-01  32   0  "
      "11  0.00\n"
      "2025-12-07 00:03:30 PPS              9.000e-07 -1.000e-07  1.000e-07  1.000e-10  1.000e-09 4.4e-01  16   0   "
      "8  0.00\n"
      "2025-12-07 00:02:10 PPS              4.000e-07 -1.200e-07  1.000e-07  1.000e-10  1.000e-09 4.4e-01  16   0   "
      "8  0.00\n"
      "2025-12-07 00:03:55 192.0.2.123      2.457e-04  1.587e-03  4.343e-05  2.782e-09  5.283e-09 4.4e-01  32   0  "
      "16  0.00\n";

const std::string RefclocksLog = "2025-12-07 00:02:05.500000 PPS     0 N 1  3.647479e-07  2.727479e-07  1.000e-06\n"
                                 "2025-12-07 00:02:20.250000 PPS     - N -             -  -1.250000e-07  1.000e-06\n";

class ChronyReadersTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, std::string_view text) const
    {
        WriteBytes(path(name), name.endsWith(QLatin1String(".gz")) ? GzipBytes(text) : std::string(text));
        return path(name);
    }
    void WriteHandWrittenLogs() const
    {
        write(QStringLiteral("tracking.log"), TrackingLog);
        write(QStringLiteral("measurements.log"), MeasurementsLog);
        write(QStringLiteral("statistics.log"), StatisticsLog);
        write(QStringLiteral("refclocks.log"), RefclocksLog);
    }

    QTemporaryDir dir;
    StatisticsFiles files;
};

TEST(ChronyReaders, NamesEachLogClaims)
{
    const StatisticsReader* readers[]
        = { &ChronyTracking(), &ChronyMeasurements(), &ChronyStatistics(), &ChronyRefclocks() };
    const struct
    {
        const char* name;
        int reader; // index into readers of the one that claims it; -1 none
        Verdict verdict; // what that reader (or, for none, the tracking reader) says
    } cases[] = {
        { "tracking.log", 0, Verdict::Claimed },
        { "/var/log/chrony/tracking.log.1", 0, Verdict::Claimed },
        { "tracking.log.2.gz", 0, Verdict::Claimed },
        { "tracking.log-20251207", 0, Verdict::Claimed },
        { "tracking.log-20251207.gz", 0, Verdict::Claimed },
        { "TRACKING.LOG.12", 0, Verdict::Claimed },
        { "measurements.log.3.gz", 1, Verdict::Claimed },
        { "statistics.log-20260101", 2, Verdict::Claimed },
        { "refclocks.log", 3, Verdict::Claimed },
        // Of the log's family, but not a form it is read by in a directory or a list.
        { "tracking.log.zip", 0, Verdict::Family },
        { "tracking.log.old", 0, Verdict::Family },
        { "tracking.log-2025", 0, Verdict::Family },
        { "tracking.log.1.bz2", 0, Verdict::Family },
        { "tracking.txt", 0, Verdict::Family },
        { "refclocks.log.x", 3, Verdict::Family },
        // Nobody's.
        { "loopstats.20251207", -1, Verdict::Unknown },
        { "rtc.log", -1, Verdict::Unknown },
        { "mytracking.log", -1, Verdict::Unknown },
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        for (int r = 0; r < 4; ++r) {
            const Verdict expected = r == c.reader ? c.verdict : Verdict::Unknown;
            EXPECT_EQ(readers[r]->ExamineName(name).verdict, expected) << c.name << " by " << r;
        }
        EXPECT_EQ(NtpLoopstats().ExamineName(name).verdict == Verdict::Claimed, c.reader < 0 && c.name[0] == 'l')
            << c.name;
    }
    // Rotated files of one log share their place by name; their first time stamps order them.
    EXPECT_EQ(ChronyTracking().ExamineName(QStringLiteral("/c/tracking.log.2.gz")).order.text,
        ChronyTracking().ExamineName(QStringLiteral("/c/tracking.log")).order.text);
    EXPECT_TRUE(ChronyTracking().OrdersByText());
    EXPECT_EQ(ChronyTracking().Kind(), StatisticsKind::Loop);
    EXPECT_EQ(ChronyMeasurements().Kind(), StatisticsKind::Peer);
    EXPECT_EQ(ChronyRefclocks().Kind(), StatisticsKind::Peer);
    EXPECT_EQ(ChronyStatistics().Kind(), StatisticsKind::Supporting);
    EXPECT_TRUE(ChronyTracking().MarksSinglePath(QStringLiteral("/x/tracking.log.zip")));
    EXPECT_FALSE(ChronyTracking().MarksSinglePath(QStringLiteral("/tracking.log/notes")));
}

TEST(ChronyReaders, EachLogIsRecognisedByItsRecordsPastTheBanner)
{
    const std::string loop = "61000 0.000 0.000010 -15.000 0.000020 0.001 6\n";
    const struct
    {
        const char* what;
        std::string text;
        int reader; // 0..3 tracking, measurements, statistics, refclocks; -1 none of them
    } cases[] = {
        { "tracking with its banners", TrackingLog, 0 },
        { "tracking, only unsynchronised lines so far",
            TrackingBanner
                + "2025-12-07 00:00:02 0.0.0.0          0     14.800      0.000  0.000e+00 ?  0  0.000e+00  "
                  "0.000e+00  0.000e+00  0.000e+00  0.000e+00\n",
            0 },
        { "measurements", MeasurementsLog, 1 },
        { "statistics", StatisticsLog, 2 },
        { "refclocks", RefclocksLog, 3 },
        { "a banner alone", TrackingBanner, -1 },
        { "loopstats", loop + loop, -1 },
        { "garbage", "hello\nworld\n", -1 },
    };
    const StatisticsReader* readers[]
        = { &ChronyTracking(), &ChronyMeasurements(), &ChronyStatistics(), &ChronyRefclocks() };
    for (const auto& c : cases) {
        LineList lines;
        lines.appendText(std::string(c.text));
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(readers[r]->Recognises(lines), r == c.reader) << c.what << " by " << r;
        EXPECT_FALSE(NtpLoopstats().Recognises(lines) && c.reader >= 0) << c.what;
        EXPECT_FALSE(NtpPeerstats().Recognises(lines)) << c.what;
    }
    LineList tracking;
    tracking.appendText(std::string(TrackingLog));
    EXPECT_EQ(ChronyTracking().FirstTime(tracking), Dec7(0, 0, 2));
}

TEST_F(ChronyReadersTest, HandWrittenLogsGiveLoopRecordsAndPeerLines)
{
    WriteHandWrittenLogs();
    files.OpenPath(dir.path());

    // Tracking: the '?' line, the banners and the damaged line add nothing. The offset
    // and frequency are negated into corrections, offset and jitter are in ms; the poll
    // is the latest of the reference's measurements at or before the line, and a
    // refclock reference has none.
    ASSERT_EQ(Records(files), 3);
    const LoopStore& loop = files.Loop;
    const struct
    {
        double time, offset, frequency, jitter;
        std::int32_t poll;
    } expected[] = {
        { Dec7(0, 1, 0), -1.5e-3, -14.801, 2e-3, 7 },
        { Dec7(0, 2, 0), 2e-4, 3.25, 3e-4, LoopStore::NoPollExponent },
        { Dec7(0, 4, 0), -4e-3, -14.79, 1e-3, 8 },
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(loop.LoopTimes[0][i], expected[i].time);
        EXPECT_DOUBLE_EQ(loop.LoopOffsets[0][i], expected[i].offset);
        EXPECT_DOUBLE_EQ(loop.LoopFrequencies[0][i], expected[i].frequency);
        EXPECT_DOUBLE_EQ(loop.LoopJitters[0][i], expected[i].jitter);
        EXPECT_EQ(loop.LoopPollExponents[0][i], expected[i].poll);
    }
    EXPECT_DOUBLE_EQ(files.LatestTime, Dec7(0, 4, 0));

    // Peers: measurements and filtered refclock samples in time order, as peerstats
    // lines. θ and the cooked error keep their sign; a refclock's delay is 0; the jitter
    // is the latest statistics line of the source at or before the record (the PPS line
    // written out of order included), and the first LAN record, older than any of its
    // statistics, has none.
    EXPECT_EQ(PeerLineTexts(files),
        (std::vector<std::string> {
            PeerText(61016, 30, "192.168.1.10 2.5e-05 0.00024 7e-06 none"),
            PeerText(61016, 60, "192.168.1.10 -3e-05 0.00026 8e-06 1.716e-05"),
            PeerText(61016, 140.25, "PPS -1.25e-07 0 1e-06 4e-07"),
            PeerText(61016, 230, "192.168.1.10 1e-05 0.00025 9e-06 1.716e-05"),
            PeerText(61016, 235, "192.0.2.123 0.001587 0.02069 1.323e-05 0.0002457"),
        }));
    EXPECT_TRUE(files.HavePeerData);

    // What the files hint and the captions name: tracking logs are the loop files,
    // measurements and refclocks the peer files; statistics.log is in neither.
    EXPECT_EQ(FileNames(files.LoopFilesRead), QStringList { "tracking.log" });
    EXPECT_EQ(FileNames(files.PeerFilesRead), (QStringList { "measurements.log", "refclocks.log" }));
    EXPECT_EQ(files.LoopDirectory, WithTrailingSeparator(dir.path()));
    EXPECT_TRUE(files.Caption.contains(QStringLiteral("up to: 2025-Dec-07 00:04 UTC"))) << files.Caption.toStdString();

    // A reload reads the same again, from nothing.
    files.RereadLastOpened();
    EXPECT_EQ(Records(files), 3);
    EXPECT_EQ(files.PeerRecords.size(), 5u);
}

TEST_F(ChronyReadersTest, LocalTimeShiftsTheLoopRecordsButNotTheLookups)
{
    WriteHandWrittenLogs();
    files.ZoneOffset = -1.0 / 24;
    files.OpenPath(dir.path());
    ASSERT_EQ(Records(files), 3);
    EXPECT_DOUBLE_EQ(files.Loop.LoopTimes[0][0], Dec7(1, 1, 0));
    EXPECT_EQ(files.Loop.LoopPollExponents[0][0], 7);
    EXPECT_EQ(files.Loop.LoopPollExponents[0][2], 8);
    // Peer records stay in UTC: the peer statistics shift them as they do ntpd's.
    EXPECT_EQ(PeerLineTexts(files)[1], PeerText(61016, 60, "192.168.1.10 -3e-05 0.00026 8e-06 1.716e-05"));
}

TEST_F(ChronyReadersTest, WithoutMeasurementsNoPollAndWithoutStatisticsNoJitter)
{
    write(QStringLiteral("tracking.log"), TrackingLog);
    write(QStringLiteral("refclocks.log"), RefclocksLog);
    files.OpenPath(dir.path());
    ASSERT_EQ(Records(files), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(files.Loop.LoopPollExponents[0][std::size_t(i)], LoopStore::NoPollExponent);
    EXPECT_EQ(
        PeerLineTexts(files), (std::vector<std::string> { PeerText(61016, 140.25, "PPS -1.25e-07 0 1e-06 none") }));
}

TEST_F(ChronyReadersTest, RotatedLogsAreReadInTheOrderOfTheirFirstTimeStamps)
{
    for (const ChronyRotation rotation : { ChronyRotation::Numbered, ChronyRotation::Dated }) {
        SCOPED_TRACE(int(rotation));
        QTemporaryDir logs;
        ChronyGenParams params;
        params.days = 3;
        params.rotation = rotation;
        WriteChronyDirectory(QFile::encodeName(logs.path()).toStdString(), params);

        // What the logs hold, counted from the generator's text.
        const auto days = GenerateChronyLogs(params);
        int trackingRecords = 0;
        std::size_t peerRecords = 0;
        for (const ChronyLogDay& day : days) {
            std::istringstream tracking(day.tracking);
            for (std::string line; std::getline(tracking, line);)
                trackingRecords += line.starts_with("20") && line.find(" ? ") == std::string::npos;
            std::istringstream measurements(day.measurements);
            for (std::string line; std::getline(measurements, line);)
                peerRecords += line.starts_with("20");
            std::istringstream refclocks(day.refclocks);
            for (std::string line; std::getline(refclocks, line);)
                peerRecords += line.starts_with("20") && ChronyLogSet::IsFilteredRefclockLine(line);
        }

        StatisticsFiles scanned;
        scanned.OpenPath(logs.path());
        const QStringList newestLast = rotation == ChronyRotation::Numbered
            ? QStringList { "tracking.log.2.gz", "tracking.log.1", "tracking.log" }
            : QStringList { "tracking.log-" + QString::fromStdString(DateTextFromMjd(params.startMjd + 1)) + ".gz",
                  "tracking.log-" + QString::fromStdString(DateTextFromMjd(params.startMjd + 2)), "tracking.log" };
        EXPECT_EQ(FileNames(scanned.LoopFilesRead), newestLast);
        EXPECT_EQ(scanned.PeerFilesRead.size(), 6);
        EXPECT_EQ(Records(scanned), trackingRecords);
        // chronyd stamps a refclock update with the mean time of its samples, so tracking
        // lines may go back by a poll interval; a file read out of its order would go back
        // by a day.
        const auto& times = scanned.Loop.LoopTimes[0];
        for (std::int32_t i = 1; i < Records(scanned); ++i)
            ASSERT_GT(times[std::size_t(i)], times[std::size_t(i) - 1] - 300.0 / 86400) << i;
        EXPECT_EQ(scanned.PeerRecords.size(), peerRecords);

        // Both references appear: the PPS refclock (no poll) and the LAN server during the
        // start and the outage (a measured poll).
        const auto& polls = scanned.Loop.LoopPollExponents[0];
        const auto end = polls.begin() + Records(scanned);
        EXPECT_GT(std::count(polls.begin(), end, LoopStore::NoPollExponent), 0);
        EXPECT_GT(std::count_if(polls.begin(), end, [](std::int32_t p) { return p >= 6 && p <= 10; }), 0);

        // The same files as a list, in any order, read the same.
        QStringList list = QDir(logs.path()).entryList(QDir::Files);
        std::reverse(list.begin(), list.end());
        for (QString& name : list)
            name = logs.filePath(name);
        StatisticsFiles listed;
        listed.OpenFileList(list);
        EXPECT_EQ(FileNames(listed.LoopFilesRead), newestLast);
        EXPECT_EQ(Records(listed), trackingRecords);
        EXPECT_EQ(listed.PeerRecords.size(), peerRecords);
        EXPECT_EQ(PeerLineTexts(listed), PeerLineTexts(scanned));
    }
}

TEST_F(ChronyReadersTest, NtpdFilesTakePrecedenceAndListsMixKinds)
{
    WriteHandWrittenLogs();
    const QString loopstats = write(QStringLiteral("loopstats.20251207"), LoopLines(2, 61016));

    // A directory with ntpd's files is ntpd's, as it always was.
    files.OpenPath(dir.path());
    EXPECT_EQ(FileNames(files.LoopFilesRead), QStringList { "loopstats.20251207" });
    EXPECT_EQ(Records(files), 2);
    EXPECT_TRUE(files.PeerRecords.empty());

    // A list goes file by file to the reader that claims or recognises it: a chrony
    // tracking log under a name that says nothing included.
    const QString renamed = write(QStringLiteral("server-a"), TrackingLog);
    StatisticsFiles listed;
    listed.OpenFileList({ path(QStringLiteral("refclocks.log")), renamed, loopstats,
        path(QStringLiteral("statistics.log")), path(QStringLiteral("measurements.log")) });
    EXPECT_EQ(FileNames(listed.LoopFilesRead), (QStringList { "loopstats.20251207", "server-a" }));
    EXPECT_EQ(Records(listed), 2 + 3);
    EXPECT_EQ(listed.Loop.LoopPollExponents[0][2], 7); // the tracking records have their polls
    EXPECT_EQ(FileNames(listed.PeerFilesRead), (QStringList { "measurements.log", "refclocks.log" }));
    EXPECT_EQ(listed.PeerRecords.size(), 5u);

    // Given alone, a log is read by itself: the loop records without polls.
    StatisticsFiles single;
    single.OpenPath(path(QStringLiteral("tracking.log")));
    EXPECT_EQ(Records(single), 3);
    EXPECT_EQ(single.Loop.LoopPollExponents[0][0], LoopStore::NoPollExponent);
    EXPECT_EQ(single.SingleFileName, path(QStringLiteral("tracking.log")));

    // A ZIP archive is read when it is given alone with the log's name in its own.
    const QString zipped = path(QStringLiteral("tracking.log.zip"));
    WriteZip(zipped, { { "tracking.log", TrackingLog } });
    StatisticsFiles archive;
    archive.OpenPath(zipped);
    EXPECT_EQ(Records(archive), 3);
    StatisticsFiles zipInList;
    zipInList.OpenFileList({ zipped, path(QStringLiteral("measurements.log")) });
    EXPECT_EQ(zipInList.Loop.DataSetCount, 0);
}

TEST_F(ChronyReadersTest, BadLinesAreSkippedAndEveryGoodLineKept)
{
    const std::string good1 = "2025-12-07 00:01:00 192.168.1.10     2     14.801      0.020  1.500e-06 N  2  "
                              "2.000e-06 -4.000e-07  2.400e-04  1.000e-04  3.000e-04";
    const std::string good2 = "2025-12-07 00:05:00 192.168.1.10     2     14.801      0.020  1.500e-06 N  2  "
                              "2.000e-06 -4.000e-07  2.400e-04  1.000e-04  3.000e-04";
    // After a clock step back by an hour: kept, in file order, as ntpd's would be.
    const std::string stepped = "2025-12-06 23:10:00 192.168.1.10     2     14.801      0.020  1.500e-06 N  2  "
                                "2.000e-06 -4.000e-07  2.400e-04  1.000e-04  3.000e-04";
    const std::string tracking = good1 + "\n"
        + "2025-12-07 00:02:00 192.168.1.10 2 14.801 0.020 nan N 2 2e-06 0 0 0 0\n"
        + "2025-12-07 00:02:10 192.168.1.10 2 14.801 0.020 inf N 2 2e-06 0 0 0 0\n"
        + "2025-12-07 00:02:20 192.168.1.10 2 14.801 0.020 1e400 N 2 2e-06 0 0 0 0\n"
        + "2025-12-07 00:02:30 192.168.1.10 2 14.801 0.020 1e306 N 2 2e-06 0 0 0 0\n" // overflows in ms
        + "2025-12-07 00:02:40 192.168.1.10 2 14,801 0.020 1e-06 N 2 2e-06 0 0 0 0\n"
        + "2025-13-07 00:02:50 192.168.1.10 2 14.801 0.020 1e-06 N 2 2e-06 0 0 0 0\n"
        + "2025-12-07 24:00:00 192.168.1.10 2 14.801 0.020 1e-06 N 2 2e-06 0 0 0 0\n"
        + "2025-12-07 00:03:00 192.168.1.10 2 14.801 0.020 1e-06 X 2 2e-06 0 0 0 0\n"
        + "2025-12-07 00:03:10 192.168.1.10 2 14.801 0.020 1e-06 N 2 2e-06 0 0 0\n"
        + "2025-12-07 00:03:20 192.168.1.10 2 14.801 0.020 1e-06 N 2 2e-06 0 0 0 0 0\n"
        + "61016 0.000 0.000010 -15.000 0.000020 0.001 6\n" + "\x01\x02\xff garbage\n" + "\n"
        + "2025-12-07 00:04:00\t192.168.1.10\t2\t14.801\t0.020\t1.5e-06\tN\t2\t2e-06\t0\t0\t0\t0\r\n" + good2 + "\n"
        + stepped + "\n" + "2025-12-07 00:06:00 192.168.1.10 2 14.801";
    write(QStringLiteral("tracking.log"), tracking);
    // Measurements with a damaged line between good ones; refclock lines out of order by
    // a little, and one damaged filtered line.
    write(QStringLiteral("measurements.log"),
        MeasurementsLog
            + "2025-12-07 00:04:30 192.168.1.10    N  1 111 111 1111   x  8 1.00  1.000e-05  2.500e-04  "
              "9.000e-06  0.000e+00  1.500e-04 50505300 4B K K\n");
    write(QStringLiteral("refclocks.log"),
        RefclocksLog
            + "2025-12-07 00:02:19.000000 PPS     - N -             -  -1.000000e-07  1.000e-06\n"
              "2025-12-07 00:02:40.000000 PPS     - N -             -  nan  1.000e-06\n"
              "2025-12-07 00:02:41.000000 PPS     - N 1             -  -1.000000e-07  1.000e-06\n");
    write(QStringLiteral("statistics.log"), StatisticsLog + "2025-12-07 00:02:15 PPS 1e-06 0 0 0 0 0.1 16 0 x 0.00\n");
    files.OpenPath(dir.path());

    ASSERT_EQ(Records(files), 4);
    const auto& times = files.Loop.LoopTimes[0];
    EXPECT_DOUBLE_EQ(times[0], Dec7(0, 1, 0));
    EXPECT_DOUBLE_EQ(times[1], Dec7(0, 4, 0)); // the tab-separated line with a CR
    EXPECT_DOUBLE_EQ(times[2], Dec7(0, 5, 0));
    EXPECT_DOUBLE_EQ(times[3], DateTimeFromMjd(61015, 23 * 3600.0 + 600));
    EXPECT_EQ(files.Loop.LoopPollExponents[0][2], 8);
    // The stepped line is older than every measurement of its source.
    EXPECT_EQ(files.Loop.LoopPollExponents[0][3], LoopStore::NoPollExponent);

    // Every good peer record is there; the refclock's, in file order, with the jitter of
    // the PPS line at 00:02:10 (the damaged one at 00:02:15 does not count).
    const std::vector<std::string> lines = PeerLineTexts(files);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], PeerText(61016, 140.25, "PPS -1.25e-07 0 1e-06 4e-07"));
    EXPECT_EQ(lines[3], PeerText(61016, 139, "PPS -1e-07 0 1e-06 4e-07"));
}

TEST(ChronyReaders, OnlyFilteredRefclockLinesArePeerRecords)
{
    const struct
    {
        const char* line;
        bool filtered;
    } cases[] = {
        { "2025-12-07 00:02:20.250000 PPS     - N -             -  -1.250000e-07  1.000e-06", true },
        { "2025-12-07 00:02:20.250000\tPPS\t-\tN", true },
        { "2025-12-07 00:02:05.500000 PPS     0 N 1  3.647479e-07  2.727479e-07  1.000e-06", false },
        { "2025-12-07 00:02:05.500000 PPS     -1 N 1", false },
        { "2025-12-07 00:02:05.500000 PPS     -", false }, // a line cut short
        { "===============", false },
        { "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChronyLogSet::IsFilteredRefclockLine(c.line), c.filtered) << c.line;
}

TEST(ChronyReaders, PeerRecordsKeepTheirValuesExactly)
{
    // Values that need all seventeen digits, and extremes, are kept as they are; a value
    // that is not finite makes the record unusable, and one without a time has none.
    const double values[]
        = { 0.1 + 0.2, -1.2345678901234567e-7, 2.2250738585072014e-308, 1.7976931348623157e308, 0, 86399.999999 };
    PeerRecordStore records;
    for (const double v : values) {
        records.appendRecord(61016, std::fabs(std::fmod(v, 86400)), "PPS", v, -v, v, v);
        const std::size_t i = records.size() - 1;
        EXPECT_EQ(
            records.Flags()[i], PeerRecordStore::HasTime | PeerRecordStore::HasValues | PeerRecordStore::HasJitter);
        EXPECT_EQ(records.Address(records.Peers()[i]), "PPS");
        EXPECT_EQ(records.UtcTimes()[i], DateTimeFromMjd(61016, std::fabs(std::fmod(v, 86400))));
        EXPECT_EQ(records.Offsets()[i], v);
        EXPECT_EQ(records.Delays()[i], -v);
        EXPECT_EQ(records.Dispersions()[i], v);
        EXPECT_EQ(records.Jitters()[i], v);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        double seconds, offset, delay, dispersion;
        std::optional<double> jitter;
        std::uint8_t flags;
    } cases[] = {
        { 1.5, 1e-6, 2e-4, 3e-6, std::nullopt, PeerRecordStore::HasTime | PeerRecordStore::HasValues },
        { nan, 1e-6, 2e-4, 3e-6, 4e-6, PeerRecordStore::HasValues | PeerRecordStore::HasJitter },
        { 1.5, inf, 2e-4, 3e-6, 4e-6, PeerRecordStore::HasTime },
        { 1.5, 1e-6, -inf, 3e-6, std::nullopt, PeerRecordStore::HasTime },
        { 1.5, 1e-6, 2e-4, nan, 4e-6, PeerRecordStore::HasTime },
        { 1.5, 1e-6, 2e-4, 3e-6, inf, PeerRecordStore::HasTime },
    };
    for (const auto& c : cases) {
        records.appendRecord(61016, c.seconds, "192.168.1.10", c.offset, c.delay, c.dispersion, c.jitter);
        EXPECT_EQ(records.Flags()[records.size() - 1], c.flags) << records.size();
    }
    EXPECT_EQ(records.AddressCount(), 2u);
}

} // namespace
