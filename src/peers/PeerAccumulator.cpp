#include "PeerAccumulator.h"

#include <algorithm>
#include <cmath>
#include <limits>

void PeerAccumulator::Add(double offset, double delay, double dispersion, std::optional<double> jitter)
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

PeerStatistics ComputePeerStatistics(const PeerAccumulator& a)
{
    const double n = a.Count;
    return { a.OffsetSum / n, std::sqrt(a.OffsetSquareSum / n), a.OffsetMin, a.OffsetMax, a.DelaySum / n, a.DelayMin,
        a.DelayMax, a.DispersionSum / n,
        a.JitterCount > 0 ? a.JitterSum / a.JitterCount : std::numeric_limits<double>::quiet_NaN() };
}
