#include "NtpLoopstatsReader.h"

#include "FileNames.h"
#include "TextRecognition.h"

QString NtpLoopstatsReader::FormatName() const
{
    return QStringLiteral("ntpd loopstats");
}

QStringList NtpLoopstatsReader::DirectoryPatterns() const
{
    return { QStringLiteral("loop*.2*") };
}

NameClaim NtpLoopstatsReader::ExamineName(const QString& path) const
{
    return NtpNameClaim(path, IsLoopFile(path));
}

bool NtpLoopstatsReader::MarksSinglePath(const QString& path) const
{
    const QString name = FileNamePart(path).toLower();
    return name.contains(QLatin1String("loops.2")) || name.contains(QLatin1String("loopstats"));
}

bool NtpLoopstatsReader::Recognises(const LineList& lines) const
{
    return FirstLinesAreRecords(lines, [](std::string_view line) {
        LoopRecord record;
        return ParseLoopLine(line, 0, record);
    });
}

bool NtpLoopstatsReader::ParseRecord(std::string_view line, double zoneOffset, LoopRecord& record) const
{
    return ParseLoopLine(line, zoneOffset, record);
}
