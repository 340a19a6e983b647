#include "LoopStore.h"

void LoopStore::StartAfresh()
{
    DataSetCount = 1;
    DataSetNames.assign(1, QStringLiteral("loopstats"));
    PointCounts.assign(1, 0);
    LoopTimes.assign(1, {});
    LoopOffsets.assign(1, {});
    LoopFrequencies.assign(1, {});
    LoopJitters.assign(1, {});
    LoopPollExponents.assign(1, {});
}

void LoopStore::Lengthen(std::size_t records)
{
    for (std::size_t s = 0; s < static_cast<std::size_t>(DataSetCount); ++s) {
        const std::size_t size = static_cast<std::size_t>(PointCounts[s]) + records;
        LoopTimes[s].resize(size, 0.0);
        LoopOffsets[s].resize(size, 0.0);
        LoopFrequencies[s].resize(size, 0.0);
        LoopJitters[s].resize(size, 0.0);
        LoopPollExponents[s].resize(size, FillPollExponent);
    }
}
