#include "HeadlessRun.h"

#include "ChartDataExport.h"
#include "ChartImageSaving.h"
#include "DirectoryAccess.h"
#include "DisplayCheck.h"
#include "RedirectedImageHost.h"
#include "THeadlessTallimer.h"
#include "TallimerImageHost.h"
#include "TallimerVersion.h"
#include "TkstCheckBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

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

class HeadlessExport
{
public:
    HeadlessExport(THeadlessTallimer& form, const QString& imageDirectory, const QString& csvDirectory)
        : form_(form), imageDirectory_(imageDirectory), csvDirectory_(csvDirectory)
    {
    }

    int Run()
    {
        const bool withDatePrefix = form_.CheckBoxSaveWithDatePrefix->isChecked();
        if (!imageDirectory_.isEmpty()) {
            TallimerImageHost windowHost(form_);
            RedirectedImageHost host(windowHost, imageDirectory_);
            Report(SaveChartImages(host, withDatePrefix).SavedFiles, {});
        }
        if (!csvDirectory_.isEmpty()) {
            const ChartDataExportResult result = ExportChartData(form_, csvDirectory_, withDatePrefix);
            Report(result.SavedFiles, result.FailedFiles);
        }
        if (written_ > 0)
            return ExitCode::Success;
        if (form_.Statistics().LoopDirectory.isEmpty())
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

    THeadlessTallimer& form_;
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
    QApplication application(toolkitArgc, toolkitArgv);
    EndStartupGuard();
    QApplication::setApplicationName(QStringLiteral("Tallimer"));
    QApplication::setOrganizationName(QStringLiteral("Brannock"));
    QApplication::setApplicationVersion(QStringLiteral(TALLIMER_VERSION));

    int exitCode = ExitCode::NothingWritten;
    QTemporaryDir discardedSettings;
    {
        THeadlessTallimer form(options.Remaining);
        QObject::connect(&form, &TFormTallimer::StartupLoadFinished, &application, [&] {
            form.TimerAutoUpdate.stop();
            exitCode = HeadlessExport(form, imageDirectory, csvDirectory).Run();
            application.exit(exitCode);
        });
        form.show();
        application.exec();

        // The window writes its settings when it goes. A run from cron must leave the
        // user's store alone: the values are only those it read, and writing them back
        // could undo a change made in the meantime in a running window.
        if (discardedSettings.isValid())
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(discardedSettings.path()));
        form.hide();
    }
    return exitCode;
}
