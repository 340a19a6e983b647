#include "MovingAverage.h"

#include <QThreadPool>

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
    const std::vector<double> times = { t2 - 0.2, t2 - 0.125, t2 };
    const std::vector<double> jitters = { 7.0, 0.0, 1.0 };
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
    const std::vector<double> times = { t2 - 0.125, t2 - tieAge, t2 };
    const std::vector<double> jitters = { 0.0, 0.0, 1.0 };
    const TMovingAverage average(true, 6);
    const float w2 = average.AverageWeights()[2];
    const float w50 = average.AverageWeights()[50];
    EXPECT_NEAR(average.At(times.data(), jitters.data(), 2), 1000.0 * w2 / (w2 + w50), 1e-3);
}

TEST(MovingAverage, FirstSampleAveragesToZero)
{
    const std::vector<double> times = { Day, Day + 0.01 };
    const std::vector<double> jitters = { 5.0, 3.0 };
    for (bool weighted : { false, true }) {
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

// Irregular samples: long gaps, stamps out of order and equal, rounding ties at six hours,
// negative and huge jitters.
void MakeIrregularSamples(std::vector<double>& times, std::vector<double>& jitters)
{
    std::mt19937_64 random(20200419);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double t = Day;
    for (int i = 0; i < 6000; ++i) {
        const double r = unit(random);
        if (r < 0.02)
            t += 0.3; // a long gap
        else if (r < 0.04)
            t -= 0.01; // a stamp out of order
        else if (r < 0.08)
            t += 0; // an equal stamp
        else if (r < 0.12)
            t += 0.00625; // a rounding tie at six hours
        else
            t += unit(random) * 0.004;
        times.push_back(t);
        const double q = unit(random);
        jitters.push_back(q < 0.01 ? -q : q < 0.02 ? 1e30 : q * 3);
    }
}

// Fill computes eight samples at a time where it can; every value must be bit for bit
// what At gives, including rounding ties, out-of-order and equal stamps, gaps, unusual
// jitters and the samples near the data set's start.
TEST(MovingAverage, FillMatchesTheSampleBySampleDefinition)
{
    std::vector<double> times, jitters;
    MakeIrregularSamples(times, jitters);
    for (bool weighted : { false, true }) {
        for (int hours : { 1, 5, 6, 12 }) {
            const TMovingAverage average(weighted, hours);
            for (std::int32_t first : { 0, 1, 5, 2000 }) {
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

// However the samples are shared out among threads, every value is the one At gives: a
// walk reaches back across the stretches of other threads, and a thread count that does
// not divide the samples leaves a short last stretch.
TEST(MovingAverage, FillIsTheSameOnAnyNumberOfThreads)
{
    std::vector<double> times, jitters;
    MakeIrregularSamples(times, jitters);
    for (bool weighted : { false, true }) {
        const TMovingAverage average(weighted, 5);
        for (std::int32_t first : { 0, 37 }) {
            const auto last = static_cast<std::int32_t>(times.size()) - 1;
            std::vector<double> expected;
            for (std::int32_t j = first; j <= last; ++j)
                expected.push_back(average.At(times.data(), jitters.data(), j));
            for (int threads : { 0, 1, 2, 3, 7, 64 }) {
                std::vector<double> out(expected.size(), -1.0);
                average.Fill(times.data(), jitters.data(), first, last, out.data(), threads);
                ASSERT_EQ(std::memcmp(out.data(), expected.data(), out.size() * sizeof(double)), 0)
                    << "weighted " << weighted << " first " << first << " threads " << threads;
            }
        }
    }
    // Nothing to do, and a single sample.
    const TMovingAverage average(true, 6);
    double one = -1;
    average.Fill(times.data(), jitters.data(), 5, 4, &one, 4);
    EXPECT_EQ(one, -1.0);
    average.Fill(times.data(), jitters.data(), 5, 5, &one, 4);
    EXPECT_EQ(one, average.At(times.data(), jitters.data(), 5));
}

// Fills started from inside the pool's own threads, more of them than the pool has
// threads, all finish: a caller never waits for a helper that could not start.
TEST(MovingAverage, FillFromEveryPoolThreadAtOnceFinishes)
{
    std::vector<double> times, jitters;
    MakeIrregularSamples(times, jitters);
    const TMovingAverage average(true, 6);
    const auto last = static_cast<std::int32_t>(times.size()) - 1;
    std::vector<double> expected(times.size());
    average.Fill(times.data(), jitters.data(), 0, last, expected.data(), 1);

    QThreadPool* pool = QThreadPool::globalInstance();
    const int callers = pool->maxThreadCount() + 2;
    std::vector<std::vector<double>> outs(static_cast<std::size_t>(callers), std::vector<double>(times.size()));
    for (auto& out : outs)
        pool->start([&, o = out.data()] { average.Fill(times.data(), jitters.data(), 0, last, o); });
    ASSERT_TRUE(pool->waitForDone(120000));
    for (const auto& out : outs)
        EXPECT_EQ(std::memcmp(out.data(), expected.data(), out.size() * sizeof(double)), 0);
}

} // namespace
