#pragma once

#include "LoopLineParser.h"
#include "StatisticsReader.h"

#include <cstddef>
#include <string_view>
#include <vector>

// A file's lines parsed as loop records ahead of storing them.
struct ParsedLoopLines final : ParsedStatistics
{
    std::vector<LoopRecord> records; // in line order, skipped lines left out
    std::size_t lineCount = 0;
    bool lastLineIsRecord = false;
};

// A reader whose files hold one loop record per line. It stores a file's records in
// data set 0 of the loop store: the arrays grow once, by the file's number of lines,
// before parsing, so a skipped line leaves a slot of fill values at the end; the "up
// to" time follows the file's last line when that line is a record.
class LoopLinesReader : public StatisticsReader
{
public:
    StatisticsKind Kind() const override { return StatisticsKind::Loop; }
    void Read(const LineList& lines, StatisticsSink& sink) const override;

    std::shared_ptr<const ParsedStatistics> Parse(const LineList& lines, double zoneOffset) const override;
    void StoreParsed(const ParsedStatistics& parsed, StatisticsSink& sink) const override;

    // One line as a record; false for a line to skip. zoneOffset (days) is subtracted
    // from the UTC time stamp.
    virtual bool ParseRecord(std::string_view line, double zoneOffset, LoopRecord& record) const = 0;
};
