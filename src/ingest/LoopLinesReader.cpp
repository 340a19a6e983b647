#include "LoopLinesReader.h"

#include <cstdint>
#include <limits>

void LoopLinesReader::Read(const LineList& lines, StatisticsSink& sink) const
{
    LoopStore& loop = sink.Loop;
    if (loop.DataSetCount == 0)
        return; // nothing to append to: the caller starts the store first
    const std::size_t lineCount = lines.size();
    const std::int32_t stored = loop.PointCounts[0];
    if (lineCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - stored))
        return; // more records than the store can count
    loop.Lengthen(lineCount);

    double* times = loop.LoopTimes[0].data();
    double* offsets = loop.LoopOffsets[0].data();
    double* frequencies = loop.LoopFrequencies[0].data();
    double* jitters = loop.LoopJitters[0].data();
    std::int32_t* polls = loop.LoopPollExponents[0].data();
    std::int32_t count = stored;
    LoopRecord record;
    for (std::size_t i = 0; i < lineCount; ++i) {
        if (!ParseRecord(lines[i], sink.ZoneOffset, record))
            continue;
        times[count] = record.time;
        offsets[count] = record.offset;
        frequencies[count] = record.frequency;
        jitters[count] = record.jitter;
        polls[count] = record.pollExponent;
        if (i + 1 == lineCount)
            sink.LatestTime = record.time;
        ++count;
    }
    loop.PointCounts[0] = count;
}
