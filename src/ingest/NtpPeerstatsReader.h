#pragma once

#include "StatisticsReader.h"

#include <string_view>

// ntpd's peerstats files: "MJD seconds address status offset delay dispersion jitter",
// the status in hexadecimal. Named peer*.<period>[.gz] like the loopstats files; in a
// directory, the names matching "peer*.2*". Every line becomes a peer record
// (PeerRecordStore), parsed as it is read.
class NtpPeerstatsReader final : public StatisticsReader
{
public:
    QString FormatName() const override;
    StatisticsKind Kind() const override { return StatisticsKind::Peer; }
    QStringList DirectoryPatterns() const override;
    NameClaim ExamineName(const QString& path) const override;
    bool MarksSinglePath(const QString& path) const override;
    bool Recognises(const LineList& lines) const override;
    void Read(const LineList& lines, StatisticsSink& sink) const override;
    std::shared_ptr<const ParsedStatistics> Parse(const LineList& lines, double zoneOffset) const override;
    void StoreParsed(const ParsedStatistics& parsed, StatisticsSink& sink) const override;

    // Whether one line is a full peerstats record: eight fields, the first an integer,
    // the second a number, the fourth one to four hexadecimal digits, the last four
    // numbers.
    static bool IsRecord(std::string_view line);
};
