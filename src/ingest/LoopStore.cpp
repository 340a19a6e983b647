#include "LoopStore.h"

#include "MappedColumn.h"

#include <algorithm>

namespace {

// Keeps the first array's memory: a reload reads about as many records as the reading
// before, and reusing the arrays spares growing them again.
template <typename T> void KeepOneEmpty(std::vector<LoopStore::Column<T>>& arrays)
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

namespace {
// Room grows fourfold, so a year's records are copied into fresh memory (which faults a
// page at a time) a few times rather than a dozen.
template <typename T> void Grow(LoopStore::Column<T>& column, std::size_t size, T fill)
{
    if (size > column.capacity())
        column.reserve(std::max(size, 4 * column.capacity()));
    column.resize(size, fill);
}
} // namespace

void LoopStore::Lengthen(std::size_t records)
{
    for (std::size_t s = 0; s < static_cast<std::size_t>(DataSetCount); ++s) {
        const std::size_t size = static_cast<std::size_t>(PointCounts[s]) + records;
        Grow(LoopTimes[s], size, 0.0);
        Grow(LoopOffsets[s], size, 0.0);
        Grow(LoopFrequencies[s], size, 0.0);
        Grow(LoopJitters[s], size, 0.0);
        Grow(LoopPollExponents[s], size, FillPollExponent);
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
