#include "ChartImageSaving.h"

#include "ChartImageHost.h"
#include "DirectoryAccess.h"
#include "ImageFileNaming.h"
#include "SaveImageFile.h"
#include "SharedWork.h"

#include <QThreadPool>

#include <utility>
#include <vector>

PngTextMetadata ChartImageMetadata()
{
    return { QStringLiteral("Brannock"), QStringLiteral("NTP performance data"), QStringLiteral("Ferncastle Software"),
        QStringLiteral("NTP performance data") };
}

namespace {

// One image to write: its row, its file's name and, from a host that draws only in
// turn, the image drawn already.
struct ImageJob
{
    const ChartRow* row;
    QString name;
    QImage image;
};

// Shows each of the group's pages in turn, as the host expects, and lists its images.
void ListGroup(ChartImageHost& host, std::span<const ChartRow> rows, ChartGroup group, const QString& directory,
    bool withDatePrefix, const QString& extension, bool drawNow, std::vector<ImageJob>& jobs)
{
    for (const ChartRow& row : rows) {
        if (row.Group != group || !row.SavedAsImage)
            continue;
        host.ShowImagePage(row);
        if (host.LoopDirectory().isEmpty() || directory.isEmpty())
            continue;
        const QString prefix = withDatePrefix ? DatePrefix(host.ReferenceHighestX(group)) : QString();
        ImageJob job { &row, ImageFileName(directory, prefix, QString::fromLatin1(row.FileSuffix) + extension), {} };
        if (drawNow)
            job.image = host.RenderImage(row);
        jobs.push_back(std::move(job));
    }
    host.EndGroup(group);
}

// Lists every image in the host's order, then draws (where the host allows) and writes
// them all at once on every core; the files written are named in the listed order.
ChartImageSaveResult SaveImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix,
    const QString& extension, bool drawNow, const std::function<bool(ImageJob&)>& write)
{
    ChartImageSaveResult result;
    result.Directory = ImageTargetDirectory(host.LoopDirectory());
    std::vector<ImageJob> jobs;
    host.BeginSaving();
    ListGroup(host, rows, ChartGroup::Loop, result.Directory, withDatePrefix, extension, drawNow, jobs);
    ListGroup(host, rows, ChartGroup::Analysis, result.Directory, withDatePrefix, extension, drawNow, jobs);
    if (host.HavePeerData())
        ListGroup(host, rows, ChartGroup::Peer, result.Directory, withDatePrefix, extension, drawNow, jobs);
    host.EndSaving();

    // The peer charts, listed last, hold the most points: started first, they do not
    // leave one core drawing alone at the end. One worker more than there are cores: a
    // file written waits for the disk before it replaces the old one, and meanwhile the
    // others keep every core drawing.
    std::vector<char> written(jobs.size(), 0);
    const int workers = QThreadPool::globalInstance()->maxThreadCount() + 1;
    RunSharedWork(
        jobs.size(),
        [&](std::size_t item) {
            const std::size_t k = jobs.size() - 1 - item;
            written[k] = write(jobs[k]);
            jobs[k].image = QImage(); // its memory goes as soon as it is written
        },
        workers);
    for (std::size_t k = 0; k < jobs.size(); ++k)
        if (written[k])
            result.SavedFiles.append(jobs[k].name);
    result.Message = SaveResultMessage(result.SavedFiles, result.Directory);
    result.DisplayMessage = MessageForDisplay(result.Message);
    return result;
}

} // namespace

ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix)
{
    const PngTextMetadata metadata = ChartImageMetadata();
    const bool drawNow = !host.DrawsFromAnyThread();
    return SaveImages(host, rows, withDatePrefix, QStringLiteral(".png"), drawNow, [&](ImageJob& job) {
        return SaveImageFile(drawNow ? std::move(job.image) : host.RenderImage(*job.row), job.name, metadata);
    });
}

ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix,
    const QString& extension, const RowImageWriter& write)
{
    return SaveImages(
        host, rows, withDatePrefix, extension, false, [&write](ImageJob& job) { return write(*job.row, job.name); });
}

QString SaveResultMessage(const QStringList& savedFiles, const QString& directory)
{
    if (savedFiles.isEmpty())
        return QStringLiteral("No image files saved, check for write access to: ") + directory;
    QString message = QStringLiteral("Image files saved to:\r\r");
    for (const QString& name : savedFiles)
        message += name + QStringLiteral("\r\n");
    return message;
}

QString MessageForDisplay(const QString& message)
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
