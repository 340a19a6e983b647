#include "PeerAxisScale.h"

#include <algorithm>
#include <cmath>
#include <limits>

PeerAxisScale ComputePeerAxisScale(bool haveSeries, double highestY, double lowestY, bool floorAtZero, int position)
{
    double hi = haveSeries ? highestY : -1e20;
    double lo = haveSeries ? lowestY : 1e20;
    if (floorAtZero)
        lo = 0;
    // Headroom above the highest point. When every value is negative, scaling the top
    // by 1.02 would move it below the highest point and cut that point off.
    if (haveSeries && hi < 0)
        hi += std::fabs(hi) * 0.02;
    else
        hi *= 1.02;
    // Values near the largest double overflow with the headroom; keep the axis finite.
    if (std::isinf(hi))
        hi = std::numeric_limits<double>::max();

    PeerAxisScale scale;
    scale.Unit = QStringLiteral("ms");
    const int step = std::clamp(position, 0, 100);
    if (step > 0) {
        const double f = std::pow(1.6, step);
        hi /= f;
        lo /= f;
        if (hi < 0.5 && lo > -0.5) {
            hi *= 1000;
            lo *= 1000;
            scale.Microseconds = true;
            scale.Unit = QStringLiteral("µs");
        }
    }
    scale.Minimum = lo;
    scale.Maximum = hi;
    return scale;
}

QString PeerAxisTitle(const QString& name, const QString& unit)
{
    return name + QStringLiteral(" - ") + unit;
}
