#include "PeerAccumulator.h"

#include <cmath>
#include <limits>

PeerStatistics ComputePeerStatistics(const PeerAccumulator& a)
{
    const double n = a.Count;
    return { a.OffsetSum / n, std::sqrt(a.OffsetSquareSum / n), a.OffsetMin, a.OffsetMax, a.DelaySum / n, a.DelayMin,
        a.DelayMax, a.DispersionSum / n,
        a.JitterCount > 0 ? a.JitterSum / a.JitterCount : std::numeric_limits<double>::quiet_NaN() };
}
