#include "NtpPeerstatsReader.h"

#include "FileNames.h"
#include "StatisticsFields.h"
#include "TextRecognition.h"

#include <array>
#include <cstdint>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsHexStatus(std::string_view field)
{
    if (field.empty() || field.size() > 4)
        return false;
    for (const char c : field)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

} // namespace

QString NtpPeerstatsReader::FormatName() const
{
    return QStringLiteral("ntpd peerstats");
}

QStringList NtpPeerstatsReader::DirectoryPatterns() const
{
    return { QStringLiteral("peer*.2*") };
}

NameClaim NtpPeerstatsReader::ExamineName(const QString& path) const
{
    return NtpNameClaim(path, IsPeerFile(path));
}

bool NtpPeerstatsReader::MarksSinglePath(const QString& path) const
{
    const QString name = FileNamePart(path).toLower();
    return name.contains(QLatin1String("peers.2")) || name.contains(QLatin1String("peerstats"));
}

bool NtpPeerstatsReader::IsRecord(std::string_view line)
{
    std::array<std::string_view, 8> fields;
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (count == fields.size())
            return false; // a ninth field
        fields[count++] = line.substr(start, i - start);
    }
    if (count != fields.size())
        return false;
    std::int32_t day = 0;
    double number = 0;
    if (!ParseStatisticsInteger(fields[0], day) || !ParseStatisticsNumber(fields[1], number) || !IsHexStatus(fields[3]))
        return false;
    for (std::size_t f = 4; f < fields.size(); ++f)
        if (!ParseStatisticsNumber(fields[f], number))
            return false;
    return true;
}

bool NtpPeerstatsReader::Recognises(const LineList& lines) const
{
    return FirstLinesAreRecords(lines, IsRecord);
}

void NtpPeerstatsReader::Read(const LineList& lines, StatisticsSink& sink) const
{
    sink.PeerRecords.appendLines(lines);
}

namespace {
struct ParsedPeerLines final : ParsedStatistics
{
    PeerRecordStore records;
};
} // namespace

// The time stamps are UTC: the zone is applied when the statistics are built.
std::shared_ptr<const ParsedStatistics> NtpPeerstatsReader::Parse(const LineList& lines, double) const
{
    auto parsed = std::make_shared<ParsedPeerLines>();
    parsed->records.appendLines(lines);
    return parsed;
}

void NtpPeerstatsReader::StoreParsed(const ParsedStatistics& parsed, StatisticsSink& sink) const
{
    sink.PeerRecords.append(static_cast<const ParsedPeerLines&>(parsed).records);
}
