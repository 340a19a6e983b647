#pragma once

#include "LoopLinesReader.h"

// ntpd's loopstats files: "MJD seconds offset frequency jitter wander pollExponent".
// Named loop*.<period>[.gz] (loopstats.20251207, loopstats.202512, loopstats.2025W49,
// loopstats.2025); in a directory, the names matching "loop*.2*".
class NtpLoopstatsReader final : public LoopLinesReader
{
public:
    QString FormatName() const override;
    QStringList DirectoryPatterns() const override;
    NameClaim ExamineName(const QString& path) const override;
    bool MarksSinglePath(const QString& path) const override;
    bool Recognises(const LineList& lines) const override;
    bool ParseRecord(std::string_view line, double zoneOffset, LoopRecord& record) const override;
};
