#include "Interpolation.h"

#include <algorithm>
#include <cmath>

double InterpolateBetween(double a, double b, double f)
{
    const double difference = b - a;
    const double value = std::isfinite(difference) ? a + f * difference : (1 - f) * a + f * b;
    return std::clamp(value, std::min(a, b), std::max(a, b));
}
