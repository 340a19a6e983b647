#include "ChartImageSaving.h"

#include "ChartImageHost.h"
#include "DirectoryAccess.h"
#include "ImageFileNaming.h"
#include "SaveImageFile.h"

PngTextMetadata ChartImageMetadata()
{
    return { QStringLiteral("Brannock"), QStringLiteral("NTP performance data"), QStringLiteral("Ferncastle Software"),
        QStringLiteral("NTP performance data") };
}

namespace {

void SaveGroup(ChartImageHost& host, std::span<const ChartRow> rows, ChartGroup group, const QString& directory,
    bool withDatePrefix, const QString& extension, const RowImageWriter& write, QStringList& savedFiles)
{
    for (const ChartRow& row : rows) {
        if (row.Group != group || !row.SavedAsImage)
            continue;
        host.ShowImagePage(row);
        if (host.LoopDirectory().isEmpty() || directory.isEmpty())
            continue;
        const QString prefix = withDatePrefix ? DatePrefix(host.ReferenceHighestX(group)) : QString();
        const QString name = ImageFileName(directory, prefix, QString::fromLatin1(row.FileSuffix) + extension);
        if (write(row, name))
            savedFiles.append(name);
    }
    host.EndGroup(group);
}

} // namespace

ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix)
{
    const PngTextMetadata metadata = ChartImageMetadata();
    return SaveChartImages(host, rows, withDatePrefix, QStringLiteral(".png"),
        [&host, &metadata](
            const ChartRow& row, const QString& name) { return SaveImageFile(host.RenderImage(row), name, metadata); });
}

ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix,
    const QString& extension, const RowImageWriter& write)
{
    ChartImageSaveResult result;
    result.Directory = ImageTargetDirectory(host.LoopDirectory());
    host.BeginSaving();
    SaveGroup(host, rows, ChartGroup::Loop, result.Directory, withDatePrefix, extension, write, result.SavedFiles);
    SaveGroup(host, rows, ChartGroup::Analysis, result.Directory, withDatePrefix, extension, write, result.SavedFiles);
    if (host.HavePeerData())
        SaveGroup(host, rows, ChartGroup::Peer, result.Directory, withDatePrefix, extension, write, result.SavedFiles);
    host.EndSaving();
    result.Message = SaveResultMessage(result.SavedFiles, result.Directory);
    result.DisplayMessage = MessageForDisplay(result.Message);
    return result;
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
