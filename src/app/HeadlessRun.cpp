#include "HeadlessRun.h"

#include "ChartAreaSize.h"
#include "ChartDataExport.h"
#include "ChartImageSaving.h"
#include "DirectoryAccess.h"
#include "DisplayCheck.h"
#include "DocumentImages.h"
#include "RedirectedImageHost.h"
#include "StatisticsDocument.h"
#include "StoredSettings.h"
#include "TallimerVersion.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

void PrintLine(std::FILE* stream, const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The directory as an absolute path ending in '/', or empty when files cannot be
// written into it.
QString WritableTarget(const QString& option, const QString& directory)
{
    const QString absolute = QDir::cleanPath(QFileInfo(directory).absoluteFilePath()) + QLatin1Char('/');
    if (QFileInfo(directory).isDir() && IsDirectoryWritable(absolute))
        return absolute;
    PrintLine(stderr, QStringLiteral("tallimer: %1: cannot write into \"%2\"").arg(option, directory));
    return QString();
}

// Run from cron, anything on standard error is mailed to the administrator: keep it for
// this program's own messages and the toolkit's serious ones, not its notices (such as
// a missing XDG_RUNTIME_DIR, which cron never sets).
void QuietToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        PrintLine(stderr, text);
}

// Reads the statistics as the window's start-up load would (the same arguments, the
// stored settings, the zone), rebuilds every chart and the table, and writes the asked
// files from the document: no window is made at all.
class HeadlessExport
{
public:
    HeadlessExport(const QString& imageDirectory, const QString& csvDirectory)
        : imageDirectory_(imageDirectory)
        , csvDirectory_(csvDirectory)
    { }

    int Run(const QStringList& arguments)
    {
        const StoredSettings stored = ReadStoredSettings();
        const DocumentSettings& settings = stored.Document;
        StatisticsDocument document;
        document.SetLocalTime(settings.LocalTime);
        document.OpenCommandLine(arguments, settings);
        const LoopRebuildOutcome loop = document.RebuildLoopCharts(settings, false, false);
        for (const QString& message : loop.Messages) {
            QString text = MessageForDisplay(message);
            if (text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            PrintLine(stderr, QStringLiteral("tallimer: ") + text);
        }
        document.RebuildPeerStatistics(settings);
        document.SetChartSize(ChartAreaSize(stored.ClientSize, QGuiApplication::font()));

        if (!imageDirectory_.isEmpty()) {
            DocumentImageHost documentHost(document);
            RedirectedImageHost host(documentHost, imageDirectory_);
            std::vector<ChartRow> rows;
            for (const DocumentChart& chart : document.Charts())
                rows.push_back(chart.Row);
            Report(SaveChartImages(host, rows, settings.SaveWithDatePrefix).SavedFiles, {});
        }
        if (!csvDirectory_.isEmpty()) {
            const ChartDataExportResult result = ExportChartData(document, csvDirectory_, settings.SaveWithDatePrefix);
            Report(result.SavedFiles, result.FailedFiles);
        }
        if (written_ > 0)
            return ExitCode::Success;
        if (document.Files().LoopDirectory.isEmpty())
            PrintLine(stderr, QStringLiteral("tallimer: no loop statistics were read; nothing written"));
        else
            PrintLine(stderr, QStringLiteral("tallimer: nothing written"));
        return ExitCode::NothingWritten;
    }

private:
    void Report(const QStringList& saved, const QStringList& failed)
    {
        for (const QString& name : saved)
            PrintLine(stdout, name);
        for (const QString& name : failed)
            PrintLine(stderr, QStringLiteral("tallimer: cannot write \"%1\"").arg(name));
        written_ += saved.size();
    }

    QString imageDirectory_;
    QString csvDirectory_;
    qsizetype written_ = 0;
};

} // namespace

int RunHeadless(const LongOptions& options, char* programName)
{
    QString imageDirectory;
    QString csvDirectory;
    if (!options.SaveImagesDirectory.isEmpty()
        && (imageDirectory = WritableTarget(QStringLiteral("--save-images"), options.SaveImagesDirectory)).isEmpty())
        return ExitCode::BadArguments;
    if (!options.ExportCsvDirectory.isEmpty()
        && (csvDirectory = WritableTarget(QStringLiteral("--export-csv"), options.ExportCsvDirectory)).isEmpty())
        return ExitCode::BadArguments;

    // A server has no desktop: draw off screen. A platform chosen by the user stays.
    if (!DisplayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Only the program name goes to the toolkit: it would take paths such as "-reverse"
    // for its own options.
    static int toolkitArgc = 1;
    static char* toolkitArgv[] = { programName, nullptr };
    qInstallMessageHandler(QuietToolkitMessages);
    BeginStartupGuard();
    QGuiApplication application(toolkitArgc, toolkitArgv);
    EndStartupGuard();
    QGuiApplication::setApplicationName(QStringLiteral("Tallimer"));
    QGuiApplication::setOrganizationName(QStringLiteral("Brannock"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TALLIMER_VERSION));

    return HeadlessExport(imageDirectory, csvDirectory).Run(options.Remaining);
}
