#pragma once

#include <cstdint>
#include <optional>

// The poll interval in seconds for a poll exponent: 1 shifted left by the exponent, for
// exponents 0 to 30. Any other exponent is not an interval a server can poll at (and no
// 32-bit shift gives it), so it has no value and the sample draws no poll point.
std::optional<double> PollIntervalSeconds(std::int32_t exponent);
