#pragma once

#include "MappedColumn.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The loop statistics as parallel arrays, one set of arrays per data set. Indices
// 0 .. PointCounts[s]-1 are valid; slots beyond hold the fill values (time 0, offset 0,
// frequency 0, jitter 0, poll exponent 6) and are never read.
struct LoopStore
{
    // A year of records is tens of MB per array: its memory comes in huge pages, which
    // fill with far fewer faults than the heap's.
    template <typename T> using Column = std::vector<T, MappedAllocator<T>>;

    std::int32_t DataSetCount = 0;
    std::vector<QString> DataSetNames;
    std::vector<std::int32_t> PointCounts;
    std::vector<Column<double>> LoopTimes; // date-time day numbers, zone-shifted
    std::vector<Column<double>> LoopOffsets; // milliseconds
    std::vector<Column<double>> LoopFrequencies; // ppm
    std::vector<Column<double>> LoopJitters; // milliseconds
    std::vector<Column<std::int32_t>> LoopPollExponents;

    static constexpr std::int32_t FillPollExponent = 6;
    // The poll exponent of a record that has none (chrony's tracking lines of a reference
    // clock): outside every interval a server polls at, so the poll chart draws no point.
    static constexpr std::int32_t NoPollExponent = std::numeric_limits<std::int32_t>::min();

    // Releases every data set and starts one empty data set named "loopstats" (the
    // arrays' memory is kept for it).
    void StartAfresh();
    // Makes every data set's arrays PointCounts[s] + records long, new slots holding the
    // fill values, so a file's records are stored without growing the arrays again.
    void Lengthen(std::size_t records);
    // Keeps the first `records` points of the only data set (all when it has fewer).
    void Truncate(std::size_t records);
};
