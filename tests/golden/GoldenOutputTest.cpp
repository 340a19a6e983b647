// What the program writes must not drift: --save-images and --export-csv of the bundled
// examples and of a generated week are compared with manifests recorded earlier. A CSV
// file is compared byte for byte (by its SHA-256), an image by its size and pixels (the
// PNG's time chunk may differ between runs).
//
// To record the manifests anew after an intended change of the output, run this test
// with TALLIMER_GOLDEN_UPDATE=1; it then writes tests/golden/*.manifest instead.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString SourceDir = QStringLiteral(TALLIMER_SOURCE_DIR);

QByteArray Read(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// "name size-or-dimensions sha256" for one output file.
QByteArray Fingerprint(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.endsWith(QStringLiteral(".png"))) {
        QImage image(path);
        if (image.isNull())
            return name.toUtf8() + " unreadable";
        image = image.convertToFormat(QImage::Format_ARGB32);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int y = 0; y < image.height(); ++y)
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4));
        return name.toUtf8() + ' ' + QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height()) + ' '
            + hash.result().toHex();
    }
    const QByteArray bytes = Read(path);
    return name.toUtf8() + ' ' + QByteArray::number(bytes.size()) + ' '
        + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

struct GoldenCase
{
    const char* Name; // the manifest is tests/golden/<Name>.manifest
    const char* Statistics; // "examples" or "week" (generated)
    const char* Store; // settings store contents after the key line; may be empty
    const char* Zone; // TZ of the run
};

// Default settings; and a second look at the examples with most options changed, a
// stored window size and local time in a zone with daylight saving.
const GoldenCase Cases[] = {
    { "examples-defaults", "examples", "", "UTC" },
    { "week-defaults", "week", "", "UTC" },
    { "examples-options", "examples",
        "\"SaveWithDatePrefix\"=dword:00000001\n"
        "\"LocalTime\"=dword:00000001\n"
        "\"ExponentialAverage\"=dword:00000001\n"
        "\"PlotHours\"=dword:00000030\n"
        "\"HoursToAverage\"=dword:00000003\n"
        "\"ClipOffsets\"=dword:00000000\n"
        "\"IgnoreDataGaps\"=dword:00000001\n"
        "\"WhitePlotBackground\"=dword:00000001\n"
        "\"PeerstatsLAN\"=dword:00000000\n"
        "\"MaxPeerOffset\"=\"3\"\n"
        "\"FormClientWidth\"=dword:00000500\n"
        "\"FormClientHeight\"=dword:00000280\n",
        "America/New_York" },
};

class GoldenOutputTest : public ::testing::TestWithParam<GoldenCase>
{
protected:
    void SetUp() override { ASSERT_TRUE(config.isValid() && images.isValid() && csv.isValid() && week.isValid()); }

    QString StatisticsDir(const GoldenCase& golden)
    {
        if (QByteArray(golden.Statistics) == "examples")
            return SourceDir + QStringLiteral("/examples");
        // A fixed name: the directory's name is part of the chart titles.
        const QString directory = week.filePath(QStringLiteral("week"));
        QProcess statgen;
        statgen.start(QStringLiteral(STATGEN_EXE),
            { QStringLiteral("--out"), directory, QStringLiteral("--days"), QStringLiteral("7"),
                QStringLiteral("--start"), QStringLiteral("2026-03-02") });
        EXPECT_TRUE(statgen.waitForFinished(60000) && statgen.exitCode() == 0);
        return directory;
    }

    int Run(const GoldenCase& golden, const QString& statistics)
    {
        if (*golden.Store) {
            EXPECT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("Brannock"))));
            const QByteArray store = QByteArray("Windows Registry Editor Version 5.00\n\n"
                                                "[HKEY_CURRENT_USER\\Software\\Brannock\\tallimer]\n")
                + golden.Store;
            EXPECT_TRUE(Write(config.filePath(QStringLiteral("Brannock/registry.reg")), store));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("TZ"), QString::fromLatin1(golden.Zone));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TALLIMER_EXE),
            { QStringLiteral("--save-images"), images.path(), QStringLiteral("--export-csv"), csv.path(), statistics });
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QByteArray Manifest() const
    {
        QByteArray manifest;
        for (const QTemporaryDir* dir : { &images, &csv })
            for (const QString& name : QDir(dir->path()).entryList(QDir::Files, QDir::Name))
                manifest += Fingerprint(dir->filePath(name)) + '\n';
        return manifest;
    }

    QTemporaryDir config;
    QTemporaryDir images;
    QTemporaryDir csv;
    QTemporaryDir week;
};

TEST_P(GoldenOutputTest, ImagesAndDataMatchTheRecordedOutput)
{
    const GoldenCase& golden = GetParam();
    ASSERT_EQ(Run(golden, StatisticsDir(golden)), 0);
    const QByteArray actual = Manifest();
    const QString manifestFile
        = SourceDir + QStringLiteral("/tests/golden/") + QLatin1String(golden.Name) + QStringLiteral(".manifest");
    if (qEnvironmentVariableIsSet("TALLIMER_GOLDEN_UPDATE")) {
        ASSERT_TRUE(Write(manifestFile, actual));
        return;
    }
    const QByteArray expected = Read(manifestFile);
    ASSERT_FALSE(expected.isEmpty()) << "no manifest " << manifestFile.toStdString();
    // Line by line, so that a failure names the files that changed.
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    EXPECT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
        EXPECT_EQ(got[i].toStdString(), want[i].toStdString());
}

INSTANTIATE_TEST_SUITE_P(Outputs, GoldenOutputTest, ::testing::ValuesIn(Cases), [](const auto& info) {
    QString name = QString::fromLatin1(info.param.Name);
    return name.remove(QLatin1Char('-')).toStdString();
});

} // namespace
