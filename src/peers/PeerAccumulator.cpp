#include "PeerAccumulator.h"

#include <algorithm>
#include <cmath>
#include <limits>

void PeerAccumulator::Add(double offset, double delay, double dispersion, double jitter)
{
    OffsetSum += offset;
    OffsetSquareSum += offset * offset;
    OffsetMin = std::min(OffsetMin, offset);
    OffsetMax = std::max(OffsetMax, offset);
    DelaySum += delay;
    DelayMin = std::min(DelayMin, delay);
    DelayMax = std::max(DelayMax, delay);
    DispersionSum += dispersion;
    JitterSum += jitter;
    if (Count < std::numeric_limits<std::int32_t>::max())
        ++Count;
}

PeerStatistics ComputePeerStatistics(const PeerAccumulator& a)
{
    const double n = a.Count;
    return { a.OffsetSum / n, std::sqrt(a.OffsetSquareSum / n), a.OffsetMin, a.OffsetMax, a.DelaySum / n, a.DelayMin,
        a.DelayMax, a.DispersionSum / n, a.JitterSum / n };
}
