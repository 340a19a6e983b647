#include "StatisticsFileLoader.h"

#include "FileNames.h"
#include "FileReading.h"
#include "GzipFile.h"
#include "TextDecoding.h"
#include "ZipArchive.h"

namespace {

// Archives with this many entries or more are not statistics archives.
constexpr std::int64_t TooManyZipEntries = 7;

LineList LinesOf(std::string&& bytes)
{
    LineList lines;
    lines.appendText(DecodeStatisticsText(std::move(bytes)));
    return lines;
}

void LoadGzip(const QString& name, LineList& lines, QStringList& filesRead)
{
    try {
        std::string buffer;
        LoadGzipFile(name, buffer);
        LineList decoded = LinesOf(std::move(buffer));
        lines = std::move(decoded);
        filesRead.append(name);
    } catch (const std::exception&) {
        // A damaged or unreadable gzip file reads as no file at all.
    }
}

void LoadZip(const QString& name, LineList& lines, QStringList& filesRead)
{
    lines.clear();
    const ZipArchive archive(name);
    const std::int64_t count = archive.entryCount();
    if (count >= TooManyZipEntries)
        return;
    filesRead.append(name);
    for (std::int64_t i = 0; i < count; ++i)
        lines.append(LinesOf(archive.extract(i)));
}

void LoadPlain(const QString& name, LineList& lines, QStringList& filesRead)
{
    LineList decoded = LinesOf(ReadRegularFile(name));
    lines = std::move(decoded);
    filesRead.append(name);
}

} // namespace

void LoadStatisticsFile(const QString& name, LineList& lines, QStringList& filesRead)
{
    const QString extension = FileExtension(name).toUpper();
    if (extension == QLatin1String(".GZ"))
        LoadGzip(name, lines, filesRead);
    else if (extension == QLatin1String(".ZIP"))
        LoadZip(name, lines, filesRead);
    else
        LoadPlain(name, lines, filesRead);
}

LoadedStatisticsFile LoadStatisticsText(const QString& name)
{
    LoadedStatisticsFile loaded;
    QStringList filesRead;
    try {
        LoadStatisticsFile(name, loaded.lines, filesRead);
    } catch (const std::exception&) {
        loaded.failed = true;
    }
    loaded.named = !filesRead.isEmpty();
    return loaded;
}
