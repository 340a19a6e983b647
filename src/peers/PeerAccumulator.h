#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

// Running sums of one peer's accepted records, in seconds. Kept from one rebuild for the
// next when records are only appended in between.
struct PeerAccumulator
{
    std::int32_t Count = 0;
    double OffsetSum = 0;
    double OffsetSquareSum = 0;
    double OffsetMin = 1e10;
    double OffsetMax = -1e10;
    double DelaySum = 0;
    double DelayMin = 1e10;
    double DelayMax = -1e10;
    double DispersionSum = 0;
    // Records without a jitter (chrony's, before the source's first statistics line)
    // count everywhere but here: the mean jitter is over the records that have one. For
    // ntpd's records JitterCount always equals Count.
    std::int32_t JitterCount = 0;
    double JitterSum = 0;

    // Inline: the rebuild adds every record of a year of peer statistics.
    void Add(double offset, double delay, double dispersion, std::optional<double> jitter)
    {
        OffsetSum += offset;
        OffsetSquareSum += offset * offset;
        OffsetMin = std::min(OffsetMin, offset);
        OffsetMax = std::max(OffsetMax, offset);
        DelaySum += delay;
        DelayMin = std::min(DelayMin, delay);
        DelayMax = std::max(DelayMax, delay);
        DispersionSum += dispersion;
        if (jitter) {
            JitterSum += *jitter;
            if (JitterCount < std::numeric_limits<std::int32_t>::max())
                ++JitterCount;
        }
        if (Count < std::numeric_limits<std::int32_t>::max())
            ++Count;
    }
};

// The nine statistics of the table's columns 2 to 10, in column order, in seconds:
// mean, RMS (about zero), smallest and largest offset; mean, smallest and largest delay;
// mean dispersion; mean jitter. Only defined for Count above 0; the mean jitter is NaN
// when no record had a jitter.
using PeerStatistics = std::array<double, 9>;
PeerStatistics ComputePeerStatistics(const PeerAccumulator& accumulator);
