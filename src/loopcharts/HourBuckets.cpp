#include "HourBuckets.h"

#include <cmath>

void THourBuckets::Add(double time, double offsetMs, bool lastOfWindow)
{
    if (time > end || lastOfWindow) {
        if (end != 0 && count > 0)
            CloseOpenBucket(time);
        start = time;
        // The start of the clock hour after the one holding this sample.
        end = std::floor((time + 1.0 / 24) * 24) / 24;
        count = 0;
    }
    if (time < end && count < Capacity)
        offsets[static_cast<std::size_t>(count++)] = offsetMs;
}

void THourBuckets::CloseOpenBucket(double closingTime)
{
    double sum = 0;
    for (std::int32_t i = 0; i < count; ++i)
        sum += offsets[static_cast<std::size_t>(i)];
    const double mean = sum / count;
    double squares = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const double d = offsets[static_cast<std::size_t>(i)] - mean;
        squares += d * d;
    }
    records.push_back({start, closingTime - start, std::sqrt(squares / count)});
}

void THourBuckets::Reset()
{
    start = 0;
    end = 0;
    count = 0;
    records.clear();
}
