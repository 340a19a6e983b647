#include "HourBuckets.h"

#include <cmath>

void THourBuckets::Add(double time, double offsetMs, bool lastOfWindow)
{
    if (time > end_ || lastOfWindow) {
        if (end_ != 0 && count_ > 0)
            CloseOpenBucket(time);
        start_ = time;
        // The start of the clock hour after the one holding this sample.
        end_ = std::floor((time + 1.0 / 24) * 24) / 24;
        count_ = 0;
    }
    if (time < end_ && count_ < Capacity)
        offsets_[static_cast<std::size_t>(count_++)] = offsetMs;
}

void THourBuckets::CloseOpenBucket(double closingTime)
{
    double sum = 0;
    for (std::int32_t i = 0; i < count_; ++i)
        sum += offsets_[static_cast<std::size_t>(i)];
    const double mean = sum / count_;
    double squares = 0;
    for (std::int32_t i = 0; i < count_; ++i) {
        const double d = offsets_[static_cast<std::size_t>(i)] - mean;
        squares += d * d;
    }
    records_.push_back({ start_, closingTime - start_, std::sqrt(squares / count_) });
}

void THourBuckets::Reset()
{
    start_ = 0;
    end_ = 0;
    count_ = 0;
    records_.clear();
}
