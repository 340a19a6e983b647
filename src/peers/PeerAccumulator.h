#pragma once

#include <array>
#include <cstdint>
#include <optional>

// Running sums of one peer's accepted records, in seconds. Lives for one rebuild.
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

    void Add(double offset, double delay, double dispersion, std::optional<double> jitter);
};

// The nine statistics of the table's columns 2 to 10, in column order, in seconds:
// mean, RMS (about zero), smallest and largest offset; mean, smallest and largest delay;
// mean dispersion; mean jitter. Only defined for Count above 0; the mean jitter is NaN
// when no record had a jitter.
using PeerStatistics = std::array<double, 9>;
PeerStatistics ComputePeerStatistics(const PeerAccumulator& accumulator);
