#pragma once

#include <QString>

// The value-axis range of a peer chart, from the extremes of its series (milliseconds),
// whether its value axis is floored at zero and its spinner position (scale step).
struct PeerAxisScale
{
    double Minimum = 0; // the ends as handed to SetRange, which orders them
    double Maximum = 0;
    bool Microseconds = false; // the points are to be shown × 1000, in µs
    QString Unit; // "ms" or "µs"
};

// Each scale step shrinks the range by 1.6 towards zero; once it lies within ±0.5 ms the
// axis changes to microseconds. At step 0 the range is the full data range plus 2 % at
// the top. haveSeries false (no peers shown) gives the empty chart's range.
PeerAxisScale ComputePeerAxisScale(bool haveSeries, double highestY, double lowestY, bool floorAtZero, int position);

// "Offset - ms", "Jitter - µs".
QString PeerAxisTitle(const QString& name, const QString& unit);
