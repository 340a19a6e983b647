#include "LoopLinesReader.h"

#include <cstdint>
#include <limits>

void LoopLinesReader::Read(const LineList& lines, StatisticsSink& sink) const
{
    if (sink.Loop.DataSetCount == 0)
        return; // nothing to append to: the caller starts the store first
    StoreParsed(*Parse(lines, sink.ZoneOffset), sink);
}

std::shared_ptr<const ParsedStatistics> LoopLinesReader::Parse(const LineList& lines, double zoneOffset) const
{
    auto parsed = std::make_shared<ParsedLoopLines>();
    parsed->lineCount = lines.size();
    parsed->records.reserve(lines.size());
    LoopRecord record;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!ParseRecord(lines[i], zoneOffset, record))
            continue;
        parsed->records.push_back(record);
        parsed->lastLineIsRecord = i + 1 == lines.size();
    }
    return parsed;
}

void LoopLinesReader::StoreParsed(const ParsedStatistics& what, StatisticsSink& sink) const
{
    const auto& parsed = static_cast<const ParsedLoopLines&>(what);
    LoopStore& loop = sink.Loop;
    if (loop.DataSetCount == 0)
        return; // nothing to append to: the caller starts the store first
    const std::int32_t stored = loop.PointCounts[0];
    if (parsed.lineCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - stored))
        return; // more records than the store can count
    loop.Lengthen(parsed.lineCount);

    const auto at = static_cast<std::size_t>(stored);
    double* times = loop.LoopTimes[0].data() + at;
    double* offsets = loop.LoopOffsets[0].data() + at;
    double* frequencies = loop.LoopFrequencies[0].data() + at;
    double* jitters = loop.LoopJitters[0].data() + at;
    std::int32_t* polls = loop.LoopPollExponents[0].data() + at;
    for (std::size_t i = 0; i < parsed.records.size(); ++i) {
        const LoopRecord& record = parsed.records[i];
        times[i] = record.time;
        offsets[i] = record.offset;
        frequencies[i] = record.frequency;
        jitters[i] = record.jitter;
        polls[i] = record.pollExponent;
    }
    if (parsed.lastLineIsRecord)
        sink.LatestTime = parsed.records.back().time;
    loop.PointCounts[0] = stored + static_cast<std::int32_t>(parsed.records.size());
}
