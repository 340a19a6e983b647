#include "OffsetScale.h"

#include <cmath>

double OffsetClipLimitFor(double meanAbsOffsetMs, bool clipOffsets, int dataSetCount)
{
    if (!clipOffsets || dataSetCount > 1)
        return 5000000;
    // Each step widens the limit; the tests run in order so the largest that holds wins.
    double limit = 500;
    if (meanAbsOffsetMs > 0.1)
        limit = 1500;
    if (meanAbsOffsetMs > 0.2)
        limit = 3000;
    if (meanAbsOffsetMs > 0.7)
        limit = 10000;
    if (meanAbsOffsetMs > 1.4)
        limit = 20000;
    if (meanAbsOffsetMs > 3)
        limit = 50000;
    return limit;
}

double OffsetScale::Drawn(double offsetMs) const
{
    double us = offsetMs * 1000;
    if (std::fabs(us) > ClipLimitUs)
        us = std::copysign(ClipLimitUs, us);
    return InMilliseconds() ? us / 1000 : us;
}

double OffsetScale::DrawnRms(double rmsMs, bool clipOffsets) const
{
    double r = rmsMs;
    if (clipOffsets && r * 1000 > ClipLimitUs)
        r = ClipLimitUs / 1000;
    return InMilliseconds() ? r : r * 1000;
}

const char* OffsetScale::AxisTitle() const
{
    return InMilliseconds() ? "Offset - ms" : "Offset - \u00b5s";
}
