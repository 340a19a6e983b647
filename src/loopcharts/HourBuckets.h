#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One closed hour bucket of the RMS line.
struct HourRms
{
    double Start = 0; // date-time of the bucket's first sample
    double Duration = 0; // days from Start to the sample that closed the bucket
    double Rms = 0; // population standard deviation of its offsets, milliseconds
};

// Groups the offsets of a plot window by clock hour and records the RMS of each hour.
// The first bucket starts at the window's first sample; each later one at the first
// sample after an hour boundary. A sample exactly on a bucket's end is in no bucket, and
// the window's last sample opens a bucket that is never closed.
class THourBuckets
{
public:
    // Most offsets kept per bucket. Samples of an hour beyond this (more than two a
    // second) are still plotted but left out of that hour's RMS.
    static constexpr std::int32_t Capacity = 7200;

    // Feed one sample of the window, in order, before its points are added.
    void Add(double time, double offsetMs, bool lastOfWindow);
    const std::vector<HourRms>& Records() const { return records_; }
    // Empty the records and close the open bucket, ready for the next data set.
    void Reset();

private:
    void CloseOpenBucket(double closingTime);

    double start_ = 0;
    double end_ = 0; // 0 while no bucket is open
    std::int32_t count_ = 0;
    std::array<double, Capacity> offsets_ {};
    std::vector<HourRms> records_;
};
