#include "LoopStore.h"

namespace {

// Keeps the first array's memory: a reload reads about as many records as the reading
// before, and reusing the arrays spares growing them again.
template <typename T> void KeepOneEmpty(std::vector<std::vector<T>>& arrays)
{
    arrays.resize(1);
    arrays[0].clear();
}

} // namespace

void LoopStore::StartAfresh()
{
    DataSetCount = 1;
    DataSetNames.assign(1, QStringLiteral("loopstats"));
    PointCounts.assign(1, 0);
    KeepOneEmpty(LoopTimes);
    KeepOneEmpty(LoopOffsets);
    KeepOneEmpty(LoopFrequencies);
    KeepOneEmpty(LoopJitters);
    KeepOneEmpty(LoopPollExponents);
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

void LoopStore::Truncate(std::size_t records)
{
    if (DataSetCount != 1 || records >= static_cast<std::size_t>(PointCounts[0]))
        return;
    PointCounts[0] = static_cast<std::int32_t>(records);
    LoopTimes[0].resize(records);
    LoopOffsets[0].resize(records);
    LoopFrequencies[0].resize(records);
    LoopJitters[0].resize(records);
    LoopPollExponents[0].resize(records);
}
