#include "StatisticsFileLoader.h"

#include "FileNames.h"
#include "FileReading.h"
#include "GzipFile.h"
#include "TextDecoding.h"
#include "ZipArchive.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Up to maxBytes from the start of a regular file; empty when it cannot be read.
std::string ReadFileStart(const QString& name, std::size_t maxBytes)
{
    const QByteArray path = QFile::encodeName(name);
    // O_NONBLOCK: a FIFO put in the file's place must not make the open wait.
    const int fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes;
    struct stat st
    { };
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(maxBytes);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
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

LineList LoadStatisticsTextStart(const QString& name, std::size_t plainBytes)
{
    const QString extension = FileExtension(name).toUpper();
    if (extension == QLatin1String(".GZ") || extension == QLatin1String(".ZIP"))
        return LoadStatisticsText(name).lines;
    std::string bytes = ReadFileStart(name, plainBytes);
    if (bytes.size() == plainBytes) {
        // The last line may go on beyond what was read: leave it out rather than judge
        // the format by half a record.
        const std::size_t lineEnd = bytes.find_last_of("\r\n");
        bytes.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
    }
    LineList lines;
    lines.appendText(DecodeStatisticsText(std::move(bytes)));
    return lines;
}
