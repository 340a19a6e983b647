#include "HourBuckets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double Day = 43940; // 2020-04-19

// The date-time at a whole number of minutes after midnight, computed the way the bucket
// boundaries are, so that a sample "on the hour" is exactly on it.
double At(int minutes)
{
    return (Day * 1440 + minutes) / 1440;
}

struct Sample
{
    int Minutes;
    double OffsetMs;
};

std::vector<HourRms> Feed(const std::vector<Sample>& samples)
{
    THourBuckets buckets;
    for (std::size_t i = 0; i < samples.size(); ++i)
        buckets.Add(At(samples[i].Minutes), samples[i].OffsetMs, i + 1 == samples.size());
    return buckets.Records();
}

double PopulationSd(std::vector<double> xs)
{
    double mean = 0;
    for (double x : xs)
        mean += x;
    mean /= static_cast<double>(xs.size());
    double s = 0;
    for (double x : xs)
        s += (x - mean) * (x - mean);
    return std::sqrt(s / static_cast<double>(xs.size()));
}

TEST(HourBuckets, SamplesEveryTwentyMinutesFromFivePastTen)
{
    // 10:05, 10:25, 10:45 fill the first bucket; 11:05 closes it and, being the last
    // sample, opens one that is never closed.
    const auto records = Feed({ { 605, 1.0 }, { 625, 2.0 }, { 645, 4.0 }, { 665, 100.0 } });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_DOUBLE_EQ(records[0].Start, At(605));
    EXPECT_NEAR(records[0].Duration, 1.0 / 24, 1e-9);
    EXPECT_DOUBLE_EQ(records[0].Rms, PopulationSd({ 1.0, 2.0, 4.0 }));
}

TEST(HourBuckets, FollowClockHoursAndSkipSamplesOnTheBoundary)
{
    // Starts at 10:20; the samples at 11:00 and 12:00 sit exactly on bucket ends and
    // belong to no bucket; the last sample (12:40) is in no RMS value.
    const auto records = Feed({ { 620, 1.0 }, { 640, 3.0 }, { 660, 1000.0 }, { 680, 5.0 }, { 700, 9.0 },
        { 720, 1000.0 }, { 740, 7.0 }, { 760, 1000.0 } });
    ASSERT_EQ(records.size(), 3u);
    EXPECT_DOUBLE_EQ(records[0].Start, At(620));
    EXPECT_DOUBLE_EQ(records[0].Start + records[0].Duration, At(680));
    EXPECT_DOUBLE_EQ(records[0].Rms, 1.0);
    EXPECT_DOUBLE_EQ(records[1].Start, At(680));
    EXPECT_DOUBLE_EQ(records[1].Start + records[1].Duration, At(740));
    EXPECT_DOUBLE_EQ(records[1].Rms, 2.0);
    // A bucket of one sample has no spread.
    EXPECT_DOUBLE_EQ(records[2].Start, At(740));
    EXPECT_DOUBLE_EQ(records[2].Start + records[2].Duration, At(760));
    EXPECT_DOUBLE_EQ(records[2].Rms, 0.0);
}

TEST(HourBuckets, AFullBucketKeepsItsFirstOffsetsAndIsNotOverrun)
{
    THourBuckets buckets;
    const double start = At(600);
    const int extra = 100;
    for (int i = 0; i < THourBuckets::Capacity + extra; ++i) {
        // Alternating +-1 for the bucket's capacity, then wild values that no longer fit.
        const double offset = i < THourBuckets::Capacity ? (i % 2 ? 1.0 : -1.0) : 1e6;
        buckets.Add(start + i * 0.3 / 86400, offset, false);
    }
    buckets.Add(At(700), 0.0, true);
    ASSERT_EQ(buckets.Records().size(), 1u);
    EXPECT_DOUBLE_EQ(buckets.Records()[0].Rms, 1.0);
}

TEST(HourBuckets, ResetForgetsRecordsAndTheOpenBucket)
{
    THourBuckets buckets;
    buckets.Add(At(600), 1.0, false);
    buckets.Add(At(610), 2.0, false);
    buckets.Add(At(700), 3.0, true);
    ASSERT_EQ(buckets.Records().size(), 1u);
    buckets.Reset();
    EXPECT_TRUE(buckets.Records().empty());
    // A fresh start: the next sample opens a bucket without closing one.
    buckets.Add(At(800), 1.0, false);
    EXPECT_TRUE(buckets.Records().empty());
}

} // namespace
