// The built program run as a process without a display: long options, exit codes and
// the files that --save-images and --export-csv write.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct ProgramRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// The loop offset of sample i, in seconds, and the peer offset, in seconds: small and
// distinct enough that a wrong sample or unit shows in the CSV.
double LoopOffset(int i)
{
    return (i % 7 - 3) * 1e-6;
}

double PeerOffset(int i)
{
    return (i % 3) * 1e-4;
}

constexpr int SampleSeconds = 1800;

class HeadlessProcessTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(stats.isValid() && config.isValid() && images.isValid() && csv.isValid()); }

    // One day of statistics, 7 March 2021 (MJD 59280), a sample every half hour.
    void WriteStatistics(int loopSamples, int peerSamples)
    {
        QString loop;
        for (int i = 0; i < loopSamples; ++i)
            loop += QStringLiteral("59280 %1.000 %2 -12.5 0.000002 0.001 6\n")
                        .arg(i * SampleSeconds)
                        .arg(LoopOffset(i), 0, 'f', 9);
        Write(stats.filePath(QStringLiteral("loopstats.20210307")), loop);
        QString peer;
        for (int i = 0; i < peerSamples; ++i)
            peer += QStringLiteral("59280 %1.000 192.168.1.10 963a %2 0.000500 0.001000 0.000020\n")
                        .arg(i * SampleSeconds)
                        .arg(PeerOffset(i), 0, 'f', 9);
        if (peerSamples > 0)
            Write(stats.filePath(QStringLiteral("peerstats.20210307")), peer);
    }

    static void Write(const QString& name, const QString& text)
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    static QByteArray Read(const QString& name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString StoreFile() const { return config.filePath(QStringLiteral("Brannock/registry.reg")); }

    ProgramRun Run(const QStringList& args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TALLIMER_EXE), args);
        ProgramRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.Err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QTemporaryDir stats;
    QTemporaryDir config;
    QTemporaryDir images;
    QTemporaryDir csv;
};

QStringList Lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Lists compared as text, so that a failure shows the names.
std::string Joined(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

QStringList Named(const QString& dir, const QString& prefix, const QStringList& suffixes)
{
    QStringList names;
    for (const QString& suffix : suffixes)
        names << dir + QLatin1Char('/') + prefix + suffix;
    return names;
}

const QStringList ImageSuffixes = { "_offset.png", "_offset-tod.png", "_abs_frequency.png", "_frequency.png",
    "_frequency-tod.png", "_jitter.png", "_poll_int.png", "_stability.png", "_summary.png", "_peerstats.png",
    "_peer_offset.png", "_peer_delay.png", "_peer_dispersion.png", "_peer_jitter.png" };

const QStringList CsvSuffixes = { "_offset.csv", "_offset-tod.csv", "_abs_frequency.csv", "_frequency.csv",
    "_frequency-tod.csv", "_jitter.csv", "_poll_int.csv", "_histogram.csv", "_stability.csv", "_summary.csv",
    "_peerstats.csv", "_peer_offset.csv", "_peer_delay.csv", "_peer_dispersion.csv", "_peer_jitter.csv" };

TEST_F(HeadlessProcessTest, HelpAndVersionPrintAndSucceedWithoutADisplay)
{
    const ProgramRun help = Run({ QStringLiteral("--help") });
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.startsWith(QStringLiteral("Usage: tallimer"))) << help.Out.toStdString();
    EXPECT_TRUE(help.Out.contains(QStringLiteral("--save-images DIR")));
    EXPECT_TRUE(help.Err.isEmpty()) << help.Err.toStdString();

    const ProgramRun version = Run({ QStringLiteral("/ntp"), QStringLiteral("--version") });
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Tallimer \\d+\\.\\d+\\.\\d+\\.\\d+\n$")).match(version.Out).hasMatch())
        << version.Out.toStdString();
}

TEST_F(HeadlessProcessTest, BadArgumentsEndWithCodeTwoAndWriteNothing)
{
    WriteStatistics(48, 0);
    const QString notWritable = stats.filePath(QStringLiteral("loopstats.20210307")); // a file, no directory
    const QStringList cases[] = {
        { "--bogus", stats.path() },
        { "--help", "--sav-images", images.path() },
        { stats.path(), "--save-images" },
        { "--save-images", "--export-csv", csv.path(), stats.path() },
        { "--save-images", images.path(), "--save-images", images.path() },
        { "--save-images", images.path() + "/missing", stats.path() },
        { "--export-csv", notWritable, stats.path() },
        { "--save-images", images.path(), "--export-csv", "/proc", stats.path() },
    };
    for (const QStringList& args : cases) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
        EXPECT_TRUE(run.Err.startsWith(QStringLiteral("tallimer: "))) << run.Err.toStdString();
    }
    EXPECT_TRUE(QDir(images.path()).isEmpty());
    EXPECT_TRUE(QDir(csv.path()).isEmpty());
}

TEST_F(HeadlessProcessTest, WritesEveryImageAndItsDataOnceLoaded)
{
    WriteStatistics(48, 48);
    const ProgramRun run = Run(
        { QStringLiteral("--save-images"), images.path(), QStringLiteral("--export-csv"), csv.path(), stats.path() });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();

    // The names printed are the files written, in the order written, and nothing else.
    const QStringList pngs = Named(images.path(), QString(), ImageSuffixes);
    const QStringList csvs = Named(csv.path(), QString(), CsvSuffixes);
    EXPECT_EQ(Joined(Lines(run.Out)), Joined(pngs + csvs));
    EXPECT_EQ(QDir(images.path()).entryList(QDir::Files).size(), pngs.size());
    EXPECT_EQ(QDir(csv.path()).entryList(QDir::Files).size(), csvs.size());

    for (const QString& name : pngs) {
        const QByteArray png = Read(name);
        ASSERT_GE(png.size(), 24) << name.toStdString();
        EXPECT_EQ(png.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8)) << name.toStdString();
        EXPECT_EQ(png.mid(12, 4), QByteArray("IHDR"));
        const auto width = qFromBigEndian<quint32>(png.constData() + 16);
        const auto height = qFromBigEndian<quint32>(png.constData() + 20);
        EXPECT_GT(width, 100u) << name.toStdString();
        EXPECT_GT(height, 50u) << name.toStdString();
    }

    // The last loop sample is at 23:30; offsets are drawn in microseconds, the peer
    // offsets in milliseconds.
    const int last = 47;
    const QStringList offsets = Lines(QString::fromUtf8(Read(csv.filePath("_offset.csv"))));
    ASSERT_GE(offsets.size(), 2);
    EXPECT_EQ(offsets.front(), QStringLiteral("series,x,y"));
    const QStringList lastOffset = offsets.back().split(QLatin1Char(','));
    ASSERT_EQ(lastOffset.size(), 3) << offsets.back().toStdString();
    EXPECT_EQ(lastOffset[1], QStringLiteral("2021-03-07T23:30:00.000"));
    EXPECT_DOUBLE_EQ(lastOffset[2].toDouble(), LoopOffset(last) * 1e6);

    const QString folded = QString::fromUtf8(Read(csv.filePath("_offset-tod.csv")));
    EXPECT_TRUE(folded.contains(QStringLiteral(",23:30:00.000,%1\n").arg(LoopOffset(last) * 1e6)))
        << folded.toStdString();

    const QStringList peerOffsets = Lines(QString::fromUtf8(Read(csv.filePath("_peer_offset.csv"))));
    ASSERT_GE(peerOffsets.size(), 2);
    const QStringList lastPeer = peerOffsets.back().split(QLatin1Char(','));
    ASSERT_EQ(lastPeer.size(), 3);
    EXPECT_EQ(lastPeer[1], QStringLiteral("2021-03-07T23:30:00.000"));
    EXPECT_DOUBLE_EQ(lastPeer[2].toDouble(), PeerOffset(last) * 1e3);

    const QStringList table = Lines(QString::fromUtf8(Read(csv.filePath("_peerstats.csv"))));
    ASSERT_EQ(table.size(), 2);
    EXPECT_TRUE(table[0].contains(QStringLiteral("Mean Offset (ms)")));
    EXPECT_TRUE(table[1].startsWith(QStringLiteral("192.168.1.10"))) << table[1].toStdString();
    EXPECT_TRUE(table[1].contains(QStringLiteral(",48,"))) << table[1].toStdString();

    // Every loop offset lands in one bin of the histogram.
    const QStringList bins = Lines(QString::fromUtf8(Read(csv.filePath("_histogram.csv"))));
    ASSERT_GE(bins.size(), 2);
    EXPECT_EQ(bins.front(), QStringLiteral("offset,count"));
    int counted = 0;
    for (qsizetype i = 1; i < bins.size(); ++i)
        counted += bins[i].section(QLatin1Char(','), 1).toInt();
    EXPECT_EQ(counted, offsets.size() - 1);
}

TEST_F(HeadlessProcessTest, UsesTheStoredSettingsAndNeverWritesThem)
{
    WriteStatistics(48, 48);
    ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("Brannock"))));
    const QByteArray store = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\Brannock\\tallimer]\n"
                             "\"SaveWithDatePrefix\"=dword:00000001\n";
    Write(StoreFile(), QString::fromUtf8(store));

    const ProgramRun run = Run({ QStringLiteral("--save-images"), images.path(), stats.path() });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(Joined(Lines(run.Out)), Joined(Named(images.path(), QStringLiteral("2021-03-07"), ImageSuffixes)));
    EXPECT_EQ(Read(StoreFile()), store);
}

TEST_F(HeadlessProcessTest, LoopMessagesGoToStandardErrorAndNothingReadWritesNothing)
{
    WriteStatistics(5, 0);
    const ProgramRun few = Run({ QStringLiteral("--export-csv"), csv.path(), stats.path() });
    EXPECT_TRUE(few.Err.contains(QStringLiteral("Too few data points (5), at least 16 are required.")))
        << few.Err.toStdString();
    EXPECT_EQ(few.ExitCode, 0);

    QTemporaryDir empty;
    const ProgramRun none = Run({ QStringLiteral("--save-images"), images.path(), empty.path() });
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_TRUE(none.Out.isEmpty());
    EXPECT_TRUE(none.Err.contains(QStringLiteral("nothing written"))) << none.Err.toStdString();
    EXPECT_TRUE(QDir(images.path()).isEmpty());
    EXPECT_FALSE(QFile::exists(StoreFile()));
}

} // namespace
