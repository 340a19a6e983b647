// The program's --report run as a process: the page opened in headless Chromium with
// every image, data file and anchor resolved, bad input, and two runs at once.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct ProgramRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

QString Examples()
{
    return QStringLiteral(TALLIMER_SOURCE_DIR "/examples");
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Captures(const QString& text, const QString& pattern)
{
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(1));
    return found;
}

class ReportProcessTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(config.isValid() && web.isValid()); }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        return environment;
    }

    std::unique_ptr<QProcess> Start(const QStringList& args, const QString& zone = QStringLiteral("UTC")) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("TZ"), zone);
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(TALLIMER_EXE), args);
        return process;
    }

    static ProgramRun Finish(QProcess& process)
    {
        ProgramRun run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.Err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    ProgramRun Run(const QStringList& args, const QString& zone = QStringLiteral("UTC")) const
    {
        return Finish(*Start(args, zone));
    }

    QStringList WebFiles() const
    {
        return QDir(web.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString Index() const { return QString::fromUtf8(ReadBytes(web.filePath(QStringLiteral("index.html")))); }

    QTemporaryDir config;
    QTemporaryDir web;
};

// The page as a browser builds it: Chromium parses index.html, and every image, link
// and anchor of the resulting document must resolve to a file beside the page or an
// element of it.
TEST_F(ReportProcessTest, ThePageOpensInABrowserWithEveryLinkResolved)
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    ASSERT_FALSE(chromium.isEmpty()) << "chromium is needed (scripts/install-deps installs it)";
    const ProgramRun run = Run(
        { QStringLiteral("--report"), web.path(), QStringLiteral("--name"), QStringLiteral("<b>&\""), Examples() });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.trimmed().endsWith(web.filePath(QStringLiteral("index.html")))) << run.Out.toStdString();

    QTemporaryDir profile;
    QProcess browser;
    browser.start(chromium,
        { QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
            QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
            QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
            QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile.path(),
            QStringLiteral("--dump-dom"), QUrl::fromLocalFile(web.filePath(QStringLiteral("index.html"))).toString() });
    ASSERT_TRUE(browser.waitForFinished(120000)) << "chromium did not finish";
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    ASSERT_TRUE(dom.contains(QStringLiteral("</html>")))
        << QString::fromUtf8(browser.readAllStandardError()).toStdString();

    // The site name arrives as text, not as markup.
    EXPECT_TRUE(dom.contains(QStringLiteral("<h1>&lt;b&gt;&amp;\"</h1>"))) << dom.left(2000).toStdString();

    const QStringList ids = Captures(dom, QStringLiteral(" id=\"([^\"]+)\""));
    const QSet<QString> idSet(ids.begin(), ids.end());
    EXPECT_EQ(idSet.size(), ids.size()) << "ids are unique";
    const QStringList images = Captures(dom, QStringLiteral("<img [^>]*src=\"([^\"]+)\""));
    const QStringList links = Captures(dom, QStringLiteral("<a [^>]*href=\"([^\"]+)\""));
    EXPECT_GE(images.size(), 12); // seven loop charts, the histogram, four peer charts
    EXPECT_GE(links.filter(QRegularExpression(QStringLiteral("\\.csv$"))).size(), 13);
    QSet<QString> files;
    for (const QString& target : images + links) {
        if (target.startsWith(u'#')) {
            EXPECT_TRUE(idSet.contains(target.mid(1))) << "anchor " << target.toStdString();
            continue;
        }
        const QUrl url = QUrl(QUrl::fromLocalFile(web.filePath(QStringLiteral("index.html")))).resolved(QUrl(target));
        ASSERT_TRUE(url.isLocalFile()) << target.toStdString();
        const QString path = url.toLocalFile();
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(web.path()).absoluteFilePath()) << target.toStdString();
        const QByteArray bytes = ReadBytes(path);
        ASSERT_FALSE(bytes.isEmpty()) << "missing or empty: " << target.toStdString();
        if (target.endsWith(QStringLiteral(".png"))) {
            EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n")) << target.toStdString();
        }
        if (target.endsWith(QStringLiteral(".csv"))) {
            EXPECT_TRUE(bytes.endsWith('\n')) << target.toStdString();
        }
        files.insert(QFileInfo(path).fileName());
    }
    // Everything in the directory is the page or linked from it.
    files.insert(QStringLiteral("index.html"));
    const QStringList present = WebFiles();
    EXPECT_EQ(QSet<QString>(present.begin(), present.end()), files);
}

TEST_F(ReportProcessTest, BadTargetsAndMissingDataWriteNoPage)
{
    QTemporaryDir stats;
    QFile plain(stats.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const struct
    {
        QStringList Args;
        int Code;
    } cases[] = {
        { { "--report", web.path() + "/missing", Examples() }, 2 },
        { { "--report", plain.fileName(), Examples() }, 2 },
        { { "--report", web.path(), "--hours", "7", Examples() }, 2 },
        { { "--report", web.path(), "--image-format", "jpeg", Examples() }, 2 },
        // No loop statistics: exit 1, and no page at all (an old one would stay).
        { { "--report", web.path(), stats.path() }, 1 },
        { { "--report", web.path(), "--", "--no-such-dir" }, 1 },
    };
    for (const auto& c : cases) {
        const ProgramRun run = Run(c.Args);
        EXPECT_EQ(run.ExitCode, c.Code) << c.Args.join(u' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
        EXPECT_TRUE(run.Err.startsWith(QStringLiteral("tallimer: "))) << run.Err.toStdString();
        EXPECT_TRUE(WebFiles().isEmpty()) << WebFiles().join(u' ').toStdString();
    }
}

TEST_F(ReportProcessTest, DirectoryNamesWithMarkupAreShownAsText)
{
    QTemporaryDir parent;
    const QString odd = parent.filePath(QStringLiteral("a&<i>\"b'"));
    ASSERT_TRUE(QDir().mkpath(odd));
    for (const QString& name : QDir(Examples()).entryList({ QStringLiteral("*stats.2026010[45]*") }, QDir::Files))
        ASSERT_TRUE(QFile::copy(Examples() + u'/' + name, odd + u'/' + name));
    const ProgramRun run = Run({ QStringLiteral("--report"), web.path(), odd });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QString html = Index();
    EXPECT_FALSE(html.contains(QStringLiteral("<i>")));
    EXPECT_TRUE(html.contains(QStringLiteral("a&amp;&lt;i&gt;&quot;b&#39;/loopstats.20260105")));
    EXPECT_TRUE(html.contains(QStringLiteral("a&amp;&lt;i&gt;&quot;b&#39;/peerstats.20260104")));
}

// Runs into one directory at once publish one after the other: the page that stays
// belongs with the data beside it. The two runs differ in the hours they plot, which
// shows in the page's period and in the first time of the offset data.
TEST_F(ReportProcessTest, TwoRunsAtOnceNeverLeaveAMixedPage)
{
    const QRegularExpression period(QStringLiteral("<dt>Period shown</dt><dd>(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d) to"));
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const char* hours : { "12", "96", "24" })
            runs.push_back(Start({ QStringLiteral("--report"), web.path(), QStringLiteral("--hours"),
                QLatin1String(hours), Examples() }));
        for (auto& process : runs)
            ASSERT_EQ(Finish(*process).ExitCode, 0);

        const QRegularExpressionMatch shown = period.match(Index());
        ASSERT_TRUE(shown.hasMatch()) << Index().left(3000).toStdString();
        const QString csv = QString::fromUtf8(ReadBytes(web.filePath(QStringLiteral("_offset.csv"))));
        // The earliest time of any series; the times are ISO texts, ordered as text.
        QString earliest;
        for (const QString& row : csv.split(u'\n', Qt::SkipEmptyParts).mid(1)) {
            const QString x = row.section(u',', -2, -2);
            if (earliest.isEmpty() || x < earliest)
                earliest = x;
        }
        EXPECT_EQ(earliest.left(16).replace(u'T', u' '), shown.captured(1)) << "round " << round;
        EXPECT_TRUE(WebFiles().filter(QStringLiteral(".tallimer-staging-")).isEmpty());
    }
}

// The first and last time of a chart's CSV data, as written ("2026-01-05T23:59:00.000").
std::pair<QString, QString> TimeSpan(const QString& csv)
{
    QString first;
    QString last;
    for (const QString& row : csv.split(u'\n', Qt::SkipEmptyParts).mid(1)) {
        const QString x = row.section(u',', -2, -2);
        if (first.isEmpty() || x < first)
            first = x;
        if (last.isEmpty() || x > last)
            last = x;
    }
    return { first, last };
}

double HoursBetween(const std::pair<QString, QString>& span)
{
    const QDateTime first = QDateTime::fromString(span.first, Qt::ISODateWithMs);
    const QDateTime last = QDateTime::fromString(span.second, Qt::ISODateWithMs);
    return first.msecsTo(last) / 3600000.0;
}

// --hours, --local-time / --utc and --weighted take the place of the stored settings for
// one run, and the store is left as it was.
TEST_F(ReportProcessTest, OverridesReplaceTheStoredSettingsForOneRun)
{
    ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("Brannock"))));
    const QByteArray store = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\Brannock\\tallimer]\n"
                             "\"PlotHours\"=dword:00000018\n"
                             "\"LocalTime\"=dword:00000001\n";
    const QString storeFile = config.filePath(QStringLiteral("Brannock/registry.reg"));
    QFile file(storeFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(store);
    file.close();

    // Three days of loop statistics, a record every 5 minutes, with a jitter that varies
    // within the jitter chart's scale so that its moving average shows how it is weighted.
    QTemporaryDir stats;
    for (int day = 0; day < 3; ++day) {
        QByteArray loop;
        for (int i = 0; i < 288; ++i)
            loop += QByteArray::number(61000 + day) + ' ' + QByteArray::number(i * 300) + ".000 "
                + QByteArray::number((i % 5 - 2) * 1e-6) + " -12.5 " + QByteArray::number(((i * 7) % 9 + 1) * 1e-6)
                + " 0.001 6\n";
        QFile dayFile(stats.filePath(QStringLiteral("loopstats.2025112%1").arg(day + 1)));
        ASSERT_TRUE(dayFile.open(QIODevice::WriteOnly));
        dayFile.write(loop);
    }
    const QString zone = QStringLiteral("Asia/Kolkata"); // UTC+5:30 all year
    const auto exportCsv = [&](const QStringList& options, const char* name) {
        QTemporaryDir csv;
        const ProgramRun run = Run(QStringList { QStringLiteral("--export-csv"), csv.path() } + options
                << QStringLiteral("--") << stats.path(),
            zone);
        EXPECT_EQ(run.ExitCode, 0) << name << ": " << run.Err.toStdString();
        return std::pair { QString::fromUtf8(ReadBytes(csv.filePath(QStringLiteral("_offset.csv")))),
            QString::fromUtf8(ReadBytes(csv.filePath(QStringLiteral("_jitter.csv")))) };
    };

    const auto stored = exportCsv({}, "stored");
    const auto utc48 = exportCsv({ QStringLiteral("--hours"), QStringLiteral("48"), QStringLiteral("--utc") }, "utc");
    const auto weighted = exportCsv({ QStringLiteral("--weighted") }, "weighted");

    // The stored 24 hours in local time; 48 hours in UTC, ending 5:30 earlier by the clock.
    const auto storedSpan = TimeSpan(stored.first);
    const auto utcSpan = TimeSpan(utc48.first);
    EXPECT_GT(HoursBetween(storedSpan), 20.0);
    EXPECT_LE(HoursBetween(storedSpan), 24.0);
    EXPECT_GT(HoursBetween(utcSpan), 44.0);
    EXPECT_LE(HoursBetween(utcSpan), 48.0);
    EXPECT_EQ(QDateTime::fromString(utcSpan.second, Qt::ISODateWithMs)
                  .secsTo(QDateTime::fromString(storedSpan.second, Qt::ISODateWithMs)),
        5 * 3600 + 1800);
    // Weighting changes the jitter's moving average and nothing of the offsets.
    EXPECT_EQ(weighted.first, stored.first);
    EXPECT_NE(weighted.second, stored.second);

    EXPECT_EQ(ReadBytes(storeFile), store);
}

} // namespace
