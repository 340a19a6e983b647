#pragma once

#include <cstdint>

// Positions of the jitter scale spinner, 0 (coarsest) to 17 (finest).
inline constexpr int JitterScaleMinPosition = 0;
inline constexpr int JitterScaleMaxPosition = 17;

// Full scale of the jitter axis in microseconds at a spinner position; positions outside
// the spinner's range are taken as its nearest end.
double JitterFullScaleAt(int position);

// The median jitter (milliseconds) of the last `plotHours` hours of a data set, thinned to
// samples more than 1024 s apart so that fast polling does not outweigh slow polling.
// The window is not cut to the plotting maximum. 0 for an empty data set.
double MedianJitter(const double* times, const double* jitters, std::int32_t count, int plotHours);

// The spinner position chosen automatically for a median jitter (milliseconds).
int JitterScaleForMedian(double medianMs);

// A jitter (milliseconds) as drawn in microseconds, clipped to the full scale.
double DrawnJitter(double jitterMs, double fullScaleUs);
