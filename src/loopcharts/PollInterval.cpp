#include "PollInterval.h"

std::optional<double> PollIntervalSeconds(std::int32_t exponent)
{
    if (exponent < 0 || exponent > 30)
        return std::nullopt;
    return static_cast<double>(std::int32_t { 1 } << exponent);
}
