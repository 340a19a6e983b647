#include "ChronyLogReader.h"

#include "ChronyLogLines.h"
#include "ChronyLogSet.h"
#include "FileNames.h"
#include "TextRecognition.h"

namespace {

bool IsDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// What may follow the log's name: nothing (the current log), ".N" (logrotate's numbered
// rotation) or "-YYYYMMDD" (its dateext), then ".gz" for a compressed one.
bool IsRotationSuffix(QStringView suffix)
{
    if (suffix.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive))
        suffix.chop(3);
    if (suffix.isEmpty())
        return true;
    if (suffix.front() == QLatin1Char('.'))
        return suffix.size() <= 10 && IsDigits(suffix.mid(1));
    if (suffix.front() == QLatin1Char('-'))
        return suffix.size() == 9 && IsDigits(suffix.mid(1));
    return false;
}

} // namespace

ChronyLogReader::ChronyLogReader(Log log)
    : log_(log)
{
    switch (log_) {
    case Log::Tracking:
        base_ = QStringLiteral("tracking.log");
        break;
    case Log::Measurements:
        base_ = QStringLiteral("measurements.log");
        break;
    case Log::Statistics:
        base_ = QStringLiteral("statistics.log");
        break;
    case Log::Refclocks:
        base_ = QStringLiteral("refclocks.log");
        break;
    }
}

QString ChronyLogReader::FormatName() const
{
    return QStringLiteral("chrony ") + base_;
}

StatisticsKind ChronyLogReader::Kind() const
{
    switch (log_) {
    case Log::Tracking:
        return StatisticsKind::Loop;
    case Log::Measurements:
    case Log::Refclocks:
        return StatisticsKind::Peer;
    case Log::Statistics:
        break;
    }
    return StatisticsKind::Supporting;
}

QStringList ChronyLogReader::DirectoryPatterns() const
{
    return { base_ + QLatin1Char('*') };
}

NameClaim ChronyLogReader::ExamineName(const QString& path) const
{
    const QString name = FileNamePart(path);
    if (name.startsWith(base_, Qt::CaseInsensitive) && IsRotationSuffix(QStringView(name).mid(base_.size())))
        return NameClaim { NameClaim::Verdict::Claimed, FileOrder { FolderPart(path) + base_ } };
    // "tracking.log.zip", "tracking.log.old", "tracking.txt": this log by name, read when
    // given alone and its text is this log's.
    const QString stem = base_.left(base_.size() - 4); // without ".log"
    if (name.startsWith(stem, Qt::CaseInsensitive))
        return NameClaim { NameClaim::Verdict::Family, {} };
    return {};
}

bool ChronyLogReader::MarksSinglePath(const QString& path) const
{
    return FileNamePart(path).contains(base_, Qt::CaseInsensitive);
}

bool ChronyLogReader::IsBannerLine(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    if (line[first] == '=')
        return line.find_first_not_of("= \t\r", first) == std::string_view::npos;
    return line.substr(first).starts_with("Date (UTC)");
}

bool ChronyLogReader::ParseTime(std::string_view line, double& time) const
{
    switch (log_) {
    case Log::Tracking: {
        ChronyTrackingLine r;
        if (!ParseChronyTrackingLine(line, r))
            return false;
        time = r.time;
        return true;
    }
    case Log::Measurements: {
        ChronyMeasurementLine r;
        if (!ParseChronyMeasurementLine(line, r))
            return false;
        time = r.time;
        return true;
    }
    case Log::Statistics: {
        ChronyStatisticsLine r;
        if (!ParseChronyStatisticsLine(line, r))
            return false;
        time = r.time;
        return true;
    }
    case Log::Refclocks: {
        ChronyRefclockLine r;
        if (!ParseChronyRefclockLine(line, r))
            return false;
        time = r.time;
        return true;
    }
    }
    return false;
}

bool ChronyLogReader::Recognises(const LineList& lines) const
{
    // The banner at the top of every file says nothing about which log it is: the
    // records after it do.
    LineList records;
    for (std::size_t i = 0; i < lines.size() && records.size() < 2 * RecognitionLineCount; ++i)
        if (!IsBannerLine(lines[i]))
            records.appendLine(lines[i]);
    return FirstLinesAreRecords(records, [this](std::string_view line) {
        double time = 0;
        return ParseTime(line, time);
    });
}

std::optional<double> ChronyLogReader::FirstTime(const LineList& lines) const
{
    for (const std::string_view line : lines) {
        double time = 0;
        if (ParseTime(line, time))
            return time;
    }
    return std::nullopt;
}

void ChronyLogReader::Read(const LineList& lines, StatisticsSink& sink) const
{
    if (!sink.Chrony)
        return;
    switch (log_) {
    case Log::Tracking:
        sink.Chrony->AddTracking(lines, sink.ZoneOffset, sink.Loop, sink.LatestTime);
        break;
    case Log::Measurements:
        sink.Chrony->AddMeasurements(lines);
        break;
    case Log::Statistics:
        sink.Chrony->AddStatistics(lines);
        break;
    case Log::Refclocks:
        sink.Chrony->AddRefclocks(lines);
        break;
    }
}
