#include "MovingAverage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr double Day = 43940;

TEST(MovingAverage, WeightTables)
{
    const TMovingAverage plain(false, 6);
    const TMovingAverage weighted(true, 6);
    for (int k = 0; k < 100; ++k)
        EXPECT_EQ(plain.AverageWeights()[k], 1.0f) << k;
    EXPECT_EQ(plain.AverageWeights()[100], 0.0f);
    EXPECT_EQ(weighted.AverageWeights()[0], 1.0f);
    EXPECT_FLOAT_EQ(weighted.AverageWeights()[50], 0.1f);
    EXPECT_NEAR(weighted.AverageWeights()[99], 0.0105, 1e-4);
    EXPECT_EQ(weighted.AverageWeights()[100], 0.0f);
    EXPECT_DOUBLE_EQ(weighted.WindowDays(), 0.25);
}

TEST(MovingAverage, UnitWeightAgesEndExactlyWhereTheRoundedIndexLeaves0To99)
{
    for (int hours = 1; hours <= 12; ++hours) {
        SCOPED_TRACE(hours);
        const TMovingAverage average(false, hours);
        const double w = average.WindowDays();
        const auto index = [w](double age) { return std::nearbyint(age / w * 100); };
        const double floor = average.UnitAgeFloor();
        const double end = average.UnitAgeEnd();
        EXPECT_EQ(index(floor), 0);
        EXPECT_EQ(index(std::nextafter(floor, -1.0)), -1);
        EXPECT_EQ(index(end), 100);
        EXPECT_EQ(index(std::nextafter(end, 0.0)), 99);
    }
}

TEST(MovingAverage, UnweightedIsThePlainMeanOfTheSamplesWithinTheWindow)
{
    // Three minutes apart, six-hour window: predecessors 1..119 steps old round to at most
    // 99 hundredths (119 x 0.833 = 99.2), the 120th to 100 ends the walk. So the average
    // at a sample is the mean of its own jitter and the 118 before it.
    std::vector<double> times, jitters;
    for (int i = 0; i < 400; ++i) {
        times.push_back(Day + i * 3.0 / 1440);
        jitters.push_back(i);
    }
    const TMovingAverage average(false, 6);
    const int j = 300;
    double sum = 0;
    for (int i = j - 118; i <= j; ++i)
        sum += jitters[i];
    EXPECT_DOUBLE_EQ(average.At(times.data(), jitters.data(), j), sum / 119 * 1000);
}

TEST(MovingAverage, NewerJitterTakesTheWeightOfItsPredecessorsAge)
{
    // Sample 2's predecessor is half a window old (weight 0.1) and multiplies sample 2's
    // jitter; sample 0 is 0.8 windows old (weight 100^-0.8) and multiplies sample 1's.
    const double t2 = Day + 0.5;
    const std::vector<double> times = {t2 - 0.2, t2 - 0.125, t2};
    const std::vector<double> jitters = {7.0, 0.0, 1.0};
    const TMovingAverage average(true, 6);
    const float w50 = average.AverageWeights()[50];
    const float w80 = average.AverageWeights()[80];
    EXPECT_NEAR(average.At(times.data(), jitters.data(), 2), 1000.0 * w50 / (w50 + w80), 1e-3);
}

TEST(MovingAverage, AgesOnAHalfHundredthRoundToEven)
{
    // The predecessor's age is 2.5 hundredths of the window: it takes weight 2, not 3.
    const double t2 = 1.0;
    const double tieAge = 0.00625;
    ASSERT_EQ(tieAge / 0.25 * 100, 2.5);
    const std::vector<double> times = {t2 - 0.125, t2 - tieAge, t2};
    const std::vector<double> jitters = {0.0, 0.0, 1.0};
    const TMovingAverage average(true, 6);
    const float w2 = average.AverageWeights()[2];
    const float w50 = average.AverageWeights()[50];
    EXPECT_NEAR(average.At(times.data(), jitters.data(), 2), 1000.0 * w2 / (w2 + w50), 1e-3);
}

TEST(MovingAverage, FirstSampleAveragesToZero)
{
    const std::vector<double> times = {Day, Day + 0.01};
    const std::vector<double> jitters = {5.0, 3.0};
    for (bool weighted : {false, true}) {
        const TMovingAverage average(weighted, 6);
        EXPECT_EQ(average.At(times.data(), jitters.data(), 0), 0.0);
        EXPECT_DOUBLE_EQ(average.At(times.data(), jitters.data(), 1), 3000.0);
    }
}

TEST(MovingAverage, SumsAreKeptInSinglePrecision)
{
    // 0.1 ms is not a float; summed as float it differs from the double mean.
    std::vector<double> times, jitters;
    for (int i = 0; i < 60; ++i) {
        times.push_back(Day + i / 1440.0);
        jitters.push_back(0.1);
    }
    const TMovingAverage average(false, 6);
    float sum = 0;
    float weights = 0;
    for (int i = 59; i > 0; --i) {
        sum += 1.0f * jitters[i];
        weights += 1.0f;
    }
    EXPECT_EQ(average.At(times.data(), jitters.data(), 59), sum * 1000.0 / weights);
}

// Fill computes eight samples at a time where it can; every value must be bit for bit
// what At gives, including rounding ties, out-of-order and equal stamps, gaps, unusual
// jitters and the samples near the data set's start.
TEST(MovingAverage, FillMatchesTheSampleBySampleDefinition)
{
    std::mt19937_64 random(20200419);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> times, jitters;
    double t = Day;
    for (int i = 0; i < 6000; ++i) {
        const double r = unit(random);
        if (r < 0.02)
            t += 0.3;  // a long gap
        else if (r < 0.04)
            t -= 0.01;  // a stamp out of order
        else if (r < 0.08)
            t += 0;  // an equal stamp
        else if (r < 0.12)
            t += 0.00625;  // a rounding tie at six hours
        else
            t += unit(random) * 0.004;
        times.push_back(t);
        const double q = unit(random);
        jitters.push_back(q < 0.01 ? -q : q < 0.02 ? 1e30 : q * 3);
    }
    for (bool weighted : {false, true}) {
        for (int hours : {1, 5, 6, 12}) {
            const TMovingAverage average(weighted, hours);
            for (std::int32_t first : {0, 1, 5, 2000}) {
                const std::int32_t last = static_cast<std::int32_t>(times.size()) - 1 - first % 3;
                std::vector<double> out(static_cast<std::size_t>(last - first + 1));
                average.Fill(times.data(), jitters.data(), first, last, out.data());
                for (std::int32_t j = first; j <= last; ++j) {
                    const double expected = average.At(times.data(), jitters.data(), j);
                    ASSERT_EQ(std::memcmp(&out[j - first], &expected, sizeof expected), 0)
                        << "weighted " << weighted << " hours " << hours << " j " << j;
                }
            }
        }
    }
}

}  // namespace
