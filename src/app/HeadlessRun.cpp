#include "HeadlessRun.h"

#include "ChartAreaSize.h"
#include "ChartDataExport.h"
#include "ChartImageSaving.h"
#include "DirectoryAccess.h"
#include "DisplayCheck.h"
#include "DocumentImages.h"
#include "HtmlReport.h"
#include "RedirectedImageHost.h"
#include "RowImageFile.h"
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

// The directories a run without a window writes into, each an absolute path ending in
// '/', empty when not asked for.
struct HeadlessTargets
{
    QString Images;
    QString Csv;
    QString Report;
};

// Reads the statistics as the window's start-up load would (the same arguments, the
// stored settings with the command line's overrides, the zone), rebuilds every chart and
// the table, and writes the asked files from the document: no window is made at all.
class HeadlessExport
{
public:
    HeadlessExport(const LongOptions& options, const HeadlessTargets& targets)
        : options_(options)
        , targets_(targets)
    { }

    int Run(const QStringList& arguments)
    {
        const StoredSettings stored = ReadStoredSettings(options_.Overrides);
        const DocumentSettings& settings = stored.Document;
        StatisticsDocument document;
        document.Files().ReturnFreedMemory = false;
        document.SetLocalTime(settings.LocalTime);
        document.OpenCommandLine(arguments, settings);
        {
            // Nothing is rebuilt here afterwards: each kind's records go as soon as its
            // charts are built, so the loop records are gone before the peer charts are
            // made, and the peer records go while the peer charts are made, which take
            // their memory.
            const StatisticsDocument::AnalysisBatch batch(document);
            const LoopRebuildOutcome loop = document.RebuildLoopCharts(settings, false, false);
            document.ReleaseRecords(StatisticsKind::Loop);
            for (const QString& message : loop.Messages) {
                QString text = MessageForDisplay(message);
                if (text.endsWith(QLatin1Char('\n')))
                    text.chop(1);
                PrintLine(stderr, QStringLiteral("tallimer: ") + text);
            }
            document.RebuildPeerStatistics(settings, StatisticsDocument::Records::Released);
        }
        document.SetChartSize(ChartAreaSize(stored.ClientSize, QGuiApplication::font()));

        if (!targets_.Images.isEmpty())
            SaveImages(document, settings.SaveWithDatePrefix);
        if (!targets_.Csv.isEmpty()) {
            const ChartDataExportResult result = ExportChartData(document, targets_.Csv, settings.SaveWithDatePrefix);
            Report(result.SavedFiles, result.FailedFiles);
        }
        if (!targets_.Report.isEmpty())
            WriteReport(document);
        if (written_ > 0 && !reportFailed_)
            return ExitCode::Success;
        if (reportFailed_)
            return ExitCode::NothingWritten;
        if (document.Files().LoopDirectory.isEmpty())
            PrintLine(stderr, QStringLiteral("tallimer: no loop statistics were read; nothing written"));
        else
            PrintLine(stderr, QStringLiteral("tallimer: nothing written"));
        return ExitCode::NothingWritten;
    }

private:
    void SaveImages(const StatisticsDocument& document, bool withDatePrefix)
    {
        DocumentImageHost documentHost(document);
        RedirectedImageHost host(documentHost, targets_.Images);
        std::vector<ChartRow> rows;
        for (const DocumentChart& chart : document.Charts())
            rows.push_back(chart.Row);
        if (!options_.SvgImages) {
            Report(SaveChartImages(host, rows, withDatePrefix).SavedFiles, {});
            return;
        }
        const auto writeSvg = [&document](const ChartRow& row, const QString& name) {
            return SaveRowImage(document, row, name, ImageFormat::Svg);
        };
        Report(SaveChartImages(host, rows, withDatePrefix, ImageExtension(ImageFormat::Svg), writeSvg).SavedFiles, {});
    }

    // The page is written whole or not at all: a failure leaves the page that was there.
    void WriteReport(StatisticsDocument& document)
    {
        HtmlReportOptions report;
        report.Directory = targets_.Report;
        report.SiteName = options_.SiteName;
        report.Format = options_.SvgImages ? ImageFormat::Svg : ImageFormat::Png;
        const HtmlReportResult result = WriteHtmlReport(document, report);
        Report(result.PublishedFiles, {});
        if (result.Result == HtmlReportResult::Outcome::Failed) {
            reportFailed_ = true;
            PrintLine(stderr,
                QStringLiteral("tallimer: --report: cannot write the page into \"%1\"; the page there is unchanged")
                    .arg(options_.ReportDirectory));
        }
    }

    void Report(const QStringList& saved, const QStringList& failed)
    {
        for (const QString& name : saved)
            PrintLine(stdout, name);
        for (const QString& name : failed)
            PrintLine(stderr, QStringLiteral("tallimer: cannot write \"%1\"").arg(name));
        written_ += saved.size();
    }

    const LongOptions& options_;
    HeadlessTargets targets_;
    qsizetype written_ = 0;
    bool reportFailed_ = false;
};

} // namespace

int RunHeadless(const LongOptions& options, char* programName)
{
    HeadlessTargets targets;
    const struct
    {
        const char* Option;
        const QString& Given;
        QString& Target;
    } directories[] = {
        { "--save-images", options.SaveImagesDirectory, targets.Images },
        { "--export-csv", options.ExportCsvDirectory, targets.Csv },
        { "--report", options.ReportDirectory, targets.Report },
    };
    for (const auto& directory : directories)
        if (!directory.Given.isEmpty()
            && (directory.Target = WritableTarget(QLatin1String(directory.Option), directory.Given)).isEmpty())
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

    return HeadlessExport(options, targets).Run(options.Remaining);
}
