#include "PeerThreshold.h"

#include <cmath>
#include <cstdint>
#include <limits>

double ParsePeerThreshold(const QString& millisecondsText)
{
    bool ok = false;
    const qlonglong value = millisecondsText.trimmed().toLongLong(&ok, 10);
    if (!ok || value <= 0 || value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return double(value) / 1000.0;
}
