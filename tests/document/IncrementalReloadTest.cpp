// A reload reads only what changed: after every kind of change to a directory of
// statistics files, a reload gives exactly what reading the changed directory afresh
// gives, both in the reading's state and in every exported chart's data.
#include "ChartDataExport.h"
#include "FileStamp.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsDocument.h"
#include "StatisticsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <thread>

namespace {

// Three days; the first gzipped, the other two plain. Loop records every five minutes
// keep the directory small.
StatGenParams SmallParams(std::uint64_t seed = 7)
{
    StatGenParams params;
    params.days = 3;
    params.seed = seed;
    params.loopIntervalSeconds = 300;
    params.peers = DefaultPeers();
    params.peers.resize(3);
    params.gzipDays = { 0 };
    return params;
}

std::string Name(const QString& directory, const char* file)
{
    return QFile::encodeName(directory + QLatin1Char('/') + QLatin1String(file)).toStdString();
}

std::string Read(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void Append(const std::string& path, std::string_view text)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(text.data(), qint64(text.size()));
}

// Rewrites the file in place (same inode), as "cat new > file" does.
void Overwrite(const std::string& path, std::string_view text)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), qint64(text.size()));
}

// Replaces the file by a new one under the same name, as an editor or a copy does.
void Replace(const std::string& path, std::string_view text)
{
    WritePlainFile(path + ".new", text);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

// Two loop records and two peer records of the third day, after the generator's last.
const char* const LateLoop = "61043 86350.000 0.000021 -11.5 0.000031 0.002 8\n"
                             "61043 86390.000 0.000022 -11.6 0.000032 0.002 8\n";
const char* const LatePeer = "61043 86351.000 192.168.1.11 9614 0.00011 0.00052 0.00011 0.00003\n"
                             "61043 86391.000 192.168.1.11 9614 0.00012 0.00051 0.00012 0.00004\n";

const char* const Day2Loop = "loopstats.20260102";
const char* const Day3Loop = "loopstats.20260103";
const char* const Day3Peer = "peerstats.20260103";

struct Change
{
    const char* name;
    // Done to the directory before it is first read (a file being written, say).
    std::function<void(const QString&)> before;
    // The change a reload must pick up.
    std::function<void(const QString&)> after;
    // Read in another zone after the change.
    bool otherZone = false;
};

void PrintTo(const Change& change, std::ostream* out)
{
    *out << change.name;
}

std::vector<Change> Changes()
{
    const auto none = [](const QString&) {};
    // The last loop line cut short in the middle of a field (no line end after it).
    const auto cutLastLoopLine = [](const QString& dir) {
        std::string text = Read(Name(dir, Day3Loop)) + LateLoop;
        text.resize(text.size() - 12);
        Overwrite(Name(dir, Day3Loop), text);
    };
    return {
        { "nothing", none, none },
        { "lines appended", none,
            [](const QString& dir) {
                Append(Name(dir, Day3Loop), LateLoop);
                Append(Name(dir, Day3Peer), LatePeer);
            } },
        { "partial last line completed", cutLastLoopLine,
            [](const QString& dir) {
                Append(Name(dir, Day3Loop), std::string(LateLoop).substr(std::strlen(LateLoop) - 12));
            } },
        { "partial last line that reads as a record completed",
            [](const QString& dir) {
                // "... 10" cut to "... 1": a record, with another poll exponent.
                Append(Name(dir, Day3Loop), "61043 86395.000 0.000023 -11.7 0.000033 0.002 1");
            },
            [](const QString& dir) { Append(Name(dir, Day3Loop), "0\n"); } },
        { "partial last line not yet completed", cutLastLoopLine,
            [](const QString& dir) { Append(Name(dir, Day3Loop), "0"); } },
        { "last line without a line end completed by one",
            [](const QString& dir) {
                std::string text = Read(Name(dir, Day3Loop));
                text.pop_back();
                Overwrite(Name(dir, Day3Loop), text);
            },
            [](const QString& dir) { Append(Name(dir, Day3Loop), std::string("\n") + LateLoop); } },
        { "appended line not a record", none,
            [](const QString& dir) { Append(Name(dir, Day3Loop), "# restarted\n"); } },
        { "replaced", none,
            [](const QString& dir) {
                Replace(Name(dir, Day3Loop), Read(Name(dir, Day2Loop)));
                Replace(Name(dir, Day3Peer), LatePeer);
            } },
        { "rewritten in place, same size", none,
            [](const QString& dir) {
                std::string text = Read(Name(dir, Day3Loop));
                text[text.find(" 0.0") + 4] = text[text.find(" 0.0") + 4] == '1' ? '2' : '1';
                Overwrite(Name(dir, Day3Loop), text);
            } },
        { "rewritten in place, longer", none,
            [](const QString& dir) {
                // Another first record, the rest as it was, and more: not a file that grew.
                std::string text = Read(Name(dir, Day3Loop));
                text.replace(0, text.find('\n'), "61043 1.000 0.000021 -11.5 0.000031 0.002 8");
                Overwrite(Name(dir, Day3Loop), text + LateLoop);
            } },
        { "truncated", none,
            [](const QString& dir) {
                std::string text = Read(Name(dir, Day3Peer));
                Overwrite(Name(dir, Day3Peer), text.substr(0, text.find('\n', text.size() / 2) + 1));
            } },
        { "emptied", none, [](const QString& dir) { Overwrite(Name(dir, Day3Loop), ""); } },
        { "rotated", none,
            [](const QString& dir) {
                ASSERT_EQ(std::rename(Name(dir, Day3Loop).c_str(), Name(dir, "loopstats.20260104").c_str()), 0);
                ASSERT_EQ(std::rename(Name(dir, Day3Peer).c_str(), Name(dir, "peerstats.20260104").c_str()), 0);
                WritePlainFile(Name(dir, Day3Loop), LateLoop);
                WritePlainFile(Name(dir, Day3Peer), LatePeer);
            } },
        { "renamed to an earlier day", none,
            [](const QString& dir) {
                ASSERT_EQ(std::rename(Name(dir, Day3Loop).c_str(), Name(dir, "loopstats.20251231").c_str()), 0);
            } },
        { "last files deleted", none,
            [](const QString& dir) {
                ASSERT_EQ(std::remove(Name(dir, Day3Loop).c_str()), 0);
                ASSERT_EQ(std::remove(Name(dir, Day3Peer).c_str()), 0);
            } },
        { "middle file deleted", none,
            [](const QString& dir) { ASSERT_EQ(std::remove(Name(dir, Day2Loop).c_str()), 0); } },
        { "gzip file rewritten", none,
            [](const QString& dir) {
                const std::string other = Read(Name(dir, Day2Loop));
                WriteGzipFile(Name(dir, "loopstats.20260101.gz"), other.substr(0, other.size() / 3));
            } },
        { "gzip file damaged", none,
            [](const QString& dir) { Overwrite(Name(dir, "loopstats.20260101.gz"), "\x1f\x8b garbage"); } },
        { "new day", none,
            [](const QString& dir) {
                WritePlainFile(Name(dir, "loopstats.20260104"), LateLoop);
                WritePlainFile(Name(dir, "peerstats.20260104"), LatePeer);
            } },
        { "new file before the others", none,
            [](const QString& dir) {
                WritePlainFile(Name(dir, "loopstats.20251231"), LateLoop);
                WriteGzipFile(Name(dir, "peerstats.20251231.gz"), LatePeer);
            } },
        { "file became a directory", none,
            [](const QString& dir) {
                ASSERT_EQ(std::remove(Name(dir, Day3Peer).c_str()), 0);
                ASSERT_TRUE(QDir(dir).mkdir(QLatin1String(Day3Peer)));
            } },
        { "zone changed", none, none, true },
        { "zone changed and lines appended", none, [](const QString& dir) { Append(Name(dir, Day3Loop), LateLoop); },
            true },
    };
}

// Every field a reading sets, as text, the loop store up to its point count.

// A peer record as text: its flags, its peer's address and every value to the last bit.
std::string PeerRecordText(const PeerRecordStore& records, std::size_t i)
{
    const std::uint32_t peer = records.Peers()[i];
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(records.Flags()[i])
        .arg(peer == PeerRecordStore::NoPeer ? QStringLiteral("-") : QString::fromStdString(records.Address(peer)))
        .arg(records.UtcTimes()[i], 0, 'g', 17)
        .arg(records.Offsets()[i], 0, 'g', 17)
        .arg(records.Delays()[i], 0, 'g', 17)
        .arg(records.Dispersions()[i], 0, 'g', 17)
        .arg(records.Jitters()[i], 0, 'g', 17)
        .toStdString();
}

std::string Describe(const StatisticsFiles& files)
{
    std::string out;
    const auto add = [&](const char* name, const QString& value) {
        out += name;
        out += ": ";
        out += value.toStdString();
        out += '\n';
    };
    add("files", files.LoopFilesRead.join(' ') + " | " + files.PeerFilesRead.join(' '));
    add("directory", files.LoopDirectory + " | " + files.DirectoryLabel + " | " + files.Caption);
    add("latest", QString::number(files.LatestTime, 'g', 17));
    add("flags", QStringLiteral("%1 %2").arg(files.HavePeerData).arg(files.JitterScaleChosen));
    add("selected", files.SelectedPeers.join(' '));
    const LoopStore& loop = files.Loop;
    out += "data sets " + std::to_string(loop.DataSetCount) + "\n";
    for (std::int32_t s = 0; s < loop.DataSetCount; ++s) {
        out += loop.DataSetNames[s].toStdString() + " " + std::to_string(loop.PointCounts[s]) + "\n";
        for (std::int32_t i = 0; i < loop.PointCounts[s]; ++i)
            out += QStringLiteral("%1 %2 %3 %4 %5\n")
                       .arg(loop.LoopTimes[s][i], 0, 'g', 17)
                       .arg(loop.LoopOffsets[s][i], 0, 'g', 17)
                       .arg(loop.LoopFrequencies[s][i], 0, 'g', 17)
                       .arg(loop.LoopJitters[s][i], 0, 'g', 17)
                       .arg(loop.LoopPollExponents[s][i])
                       .toStdString();
    }
    out += "loop file lines " + std::to_string(files.LoopFileLines.size()) + "\n";
    for (const std::string_view line : files.LoopFileLines)
        (out += line) += '\n';
    out += "peer entries " + std::to_string(files.PeerRecords.size()) + "\n";
    for (std::size_t i = 0; i < files.PeerRecords.size(); ++i)
        (out += PeerRecordText(files.PeerRecords, i)) += '\n';
    return out;
}

// The exported data of every chart, file by file.
std::map<QString, QByteArray> Exported(StatisticsDocument& document)
{
    QTemporaryDir out;
    const ChartDataExportResult result = ExportChartData(document, out.path() + QLatin1Char('/'), false);
    EXPECT_TRUE(result.FailedFiles.isEmpty());
    std::map<QString, QByteArray> files;
    for (const QString& saved : result.SavedFiles) {
        QFile file(saved);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files[QFileInfo(saved).fileName()] = file.readAll();
    }
    return files;
}

// Nothing when the texts are equal, else where they first differ.
std::string FirstDifference(const std::string& got, const std::string& want)
{
    if (got == want)
        return {};
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    const std::size_t line = want.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = line == std::string::npos ? 0 : line + 1;
    const auto around = [&](const std::string& text) { return text.substr(from, 160); };
    return "line " + std::to_string(std::count(want.begin(), want.begin() + from, '\n') + 1) + "\n got: " + around(got)
        + "\nwant: " + around(want);
}

class IncrementalReloadTest : public ::testing::TestWithParam<Change>
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(dir.isValid());
        WriteStatisticsDirectory(QFile::encodeName(dir.path()).toStdString(), SmallParams());
        GetParam().before(dir.path());
        // Modification times are compared to the nanosecond, but a file system may keep
        // them coarser: let the clock move on before anything is changed.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    QTemporaryDir dir;
};

TEST_P(IncrementalReloadTest, ReadingAgainEqualsAFreshReading)
{
    const Change& change = GetParam();
    StatisticsFiles reloaded;
    reloaded.OpenPath(dir.path());
    ASSERT_GT(reloaded.Loop.DataSetCount, 0);
    reloaded.RereadLastOpened(); // nothing changed yet: a reading built on the last one
    change.after(dir.path());
    if (change.otherZone)
        reloaded.ZoneOffset = -5.5 / 24;
    reloaded.RereadLastOpened();

    StatisticsFiles fresh;
    fresh.ZoneOffset = reloaded.ZoneOffset;
    fresh.OpenPath(dir.path());
    EXPECT_EQ(FirstDifference(Describe(reloaded), Describe(fresh)), "");

    // Once more, with nothing changed since.
    reloaded.RereadLastOpened();
    EXPECT_EQ(FirstDifference(Describe(reloaded), Describe(fresh)), "");
}

TEST_P(IncrementalReloadTest, ReloadedDocumentExportsWhatAFreshOneDoes)
{
    const Change& change = GetParam();
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Kolkata");
    DocumentSettings settings;
    const auto load = [&](StatisticsDocument& document) {
        document.SetLocalTime(settings.LocalTime);
        document.OpenCommandLine({ dir.path() }, settings);
        document.RebuildLoopCharts(settings, false, false);
        document.RebuildPeerStatistics(settings);
    };
    StatisticsDocument reloaded;
    load(reloaded);
    change.after(dir.path());
    if (change.otherZone) {
        settings.LocalTime = true;
        reloaded.SetLocalTime(true);
        EXPECT_NE(reloaded.ZoneOffset(), 0.0);
    }
    reloaded.ReloadAll(settings, false);

    // A reload does not choose the jitter scale anew, as a first reading does: the fresh
    // document is reloaded too, with nothing changed.
    StatisticsDocument fresh;
    load(fresh);
    fresh.ReloadAll(settings, false);
    qputenv("TZ", zone);
    EXPECT_EQ(reloaded.Caption().toStdString(), fresh.Caption().toStdString());
    const auto got = Exported(reloaded);
    const auto want = Exported(fresh);
    ASSERT_FALSE(want.empty());
    for (const auto& [name, data] : want) {
        ASSERT_TRUE(got.count(name)) << name.toStdString();
        EXPECT_EQ(FirstDifference(got.at(name).toStdString(), data.toStdString()), "") << name.toStdString();
    }
    EXPECT_EQ(got.size(), want.size());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, IncrementalReloadTest, ::testing::ValuesIn(Changes()), [](const ::testing::TestParamInfo<Change>& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(IncrementalReload, AGrownFileIsReadOnlyFromWhereItEnded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    StatGenParams params = SmallParams();
    params.loopIntervalSeconds = 16; // a large last loop file, beside the checked bytes
    WriteStatisticsDirectory(QFile::encodeName(dir.path()).toStdString(), params);
    const std::string loop = Name(dir.path(), Day3Loop);
    const std::size_t size = Read(loop).size();
    ASSERT_GT(size, 200000u);

    StatisticsFiles files;
    files.OpenPath(dir.path());
    const std::int32_t points = files.Loop.PointCounts[0];
    const StampedReadCounts before = StampedReads();
    Append(loop, LateLoop);
    Append(Name(dir.path(), Day3Peer), LatePeer);
    files.RereadLastOpened();
    const StampedReadCounts after = StampedReads();

    EXPECT_EQ(after.wholeFiles, before.wholeFiles); // no file read again whole
    EXPECT_EQ(after.appendedTexts - before.appendedTexts, 2u);
    // The appended bytes and the few checked at the start and where the file ended.
    EXPECT_LE(after.appendedBytesRead - before.appendedBytesRead,
        std::strlen(LateLoop) + std::strlen(LatePeer) + 4 * std::uint64_t(GrowthCheckBytes));
    EXPECT_EQ(files.Loop.PointCounts[0], points + 2);
    PeerRecordStore late;
    late.appendLine(std::string_view(LatePeer).substr(std::strlen(LatePeer) / 2, std::strlen(LatePeer) / 2 - 1));
    EXPECT_EQ(PeerRecordText(files.PeerRecords, files.PeerRecords.size() - 1), PeerRecordText(late, 0));

    // Nothing changed: nothing is read at all.
    files.RereadLastOpened();
    EXPECT_EQ(StampedReads().wholeFiles, after.wholeFiles);
    EXPECT_EQ(StampedReads().appendedTexts, after.appendedTexts);

    // The same through the document, its charts rebuilt between the readings.
    StatisticsDocument document;
    const DocumentSettings settings;
    document.OpenCommandLine({ dir.path() }, settings);
    document.RebuildLoopCharts(settings, false, false);
    document.RebuildPeerStatistics(settings);
    const StampedReadCounts opened = StampedReads();
    Append(loop, LateLoop);
    document.ReloadAll(settings, false);
    EXPECT_EQ(StampedReads().wholeFiles, opened.wholeFiles);
    EXPECT_EQ(StampedReads().appendedTexts, opened.appendedTexts + 1);
}

// A reading run on the thread pool's only thread loads its files itself rather than wait
// for loads queued behind it, and reads what a reading on the main thread reads.
TEST(IncrementalReload, AReadingOnThePoolsOnlyThreadFinishes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteStatisticsDirectory(QFile::encodeName(dir.path()).toStdString(), SmallParams());
    StatisticsFiles here;
    here.OpenPath(dir.path());

    QThreadPool& pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    StatisticsFiles there;
    QSemaphore done;
    pool.start([&] {
        there.OpenPath(dir.path());
        done.release();
    });
    const bool finished = done.tryAcquire(1, 60000);
    pool.setMaxThreadCount(threads);
    ASSERT_TRUE(finished);
    EXPECT_EQ(FirstDifference(Describe(there), Describe(here)), "");
}

} // namespace
