#pragma once

#include "StatisticsReader.h"

// One of the logs chronyd writes with "log tracking measurements statistics refclocks":
// tracking.log feeds the loop store, measurements.log (NTP sources) and refclocks.log
// (reference clocks) the peer records, and statistics.log only supplies the jitter of
// those records. Each log is named <log>.log, rotated as <log>.log.1, <log>.log.2.gz or
// <log>.log-20251207[.gz]; such names do not give the files' order, so the first time
// stamp of each file does.
//
// The lines are parsed as the files are read, into the reading's ChronyLogSet, which
// connects the logs once the reading ends (StatisticsFiles::FinishReading).
class ChronyLogReader final : public StatisticsReader
{
public:
    enum class Log { Tracking, Measurements, Statistics, Refclocks };

    explicit ChronyLogReader(Log log);

    QString FormatName() const override;
    QString Daemon() const override { return QStringLiteral("chronyd"); }
    StatisticsKind Kind() const override;
    QStringList DirectoryPatterns() const override;
    NameClaim ExamineName(const QString& path) const override;
    bool MarksSinglePath(const QString& path) const override;
    bool Recognises(const LineList& lines) const override;
    bool OrdersByText() const override { return true; }
    std::optional<double> FirstTime(const LineList& lines) const override;
    void Read(const LineList& lines, StatisticsSink& sink) const override;

    // Whether a line is one of the banner's: a rule of '=' or the column titles.
    static bool IsBannerLine(std::string_view line);

private:
    // One line of this log as a record; its UTC time in time.
    bool ParseTime(std::string_view line, double& time) const;

    Log log_;
    QString base_; // "tracking.log"
};
