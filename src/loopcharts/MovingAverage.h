#pragma once

#include <array>
#include <cstdint>

// The moving average of the jitter: for each sample, a weighted mean of the jitters of the
// samples before it that lie within the averaging window.
//
// For sample j at time t the sum walks back from i = j while i > 0 and the last weight
// was above 0: the age t - time[i-1], in hundredths of the window and rounded half to
// even, picks a weight that multiplies jitter[i]. So the newest sample enters with the
// weight of its predecessor's age, the walk ends after the first zero weight, and a data
// set's first sample never contributes its own jitter (its average is 0). The sums are
// kept in single precision, as administrators compare these values with other tools.
class TMovingAverage
{
public:
    static constexpr int WeightCount = 101;
    using Weights = std::array<float, WeightCount>;

    // `weighted` falls the weight from 1 to about 0.01 across the window (0.1 at half of
    // it); otherwise every age below the window's end weighs 1. The last weight is 0.
    TMovingAverage(bool weighted, int hoursToAverage);

    const Weights& AverageWeights() const { return weights_; }
    double WindowDays() const { return windowDays_; }
    // The ages (days) that weigh 1 without weighting: from UnitAgeFloor up to, but not
    // including, UnitAgeEnd. Exactly the ages whose rounded index lies in 0..99.
    double UnitAgeFloor() const { return unitAgeFloor_; }
    double UnitAgeEnd() const { return unitAgeEnd_; }

    // The average at sample j in microseconds, unclipped; j from 0 to the sample count - 1.
    double At(const double* times, const double* jitters, std::int32_t j) const;

    // The averages of samples first..last into out[0 .. last-first], identical to At for
    // each sample, computed several samples at a time where the processor allows and
    // split across `threads` threads (0: one per core, from the global thread pool). Each
    // sample's value depends only on the stored samples and lands in its own slot, so the
    // result is the same bit for bit however the work is split.
    void Fill(const double* times, const double* jitters, std::int32_t first, std::int32_t last, double* out,
        int threads = 0) const;

private:
    // Fill's work for one stretch of samples, on the calling thread.
    void FillRange(
        const double* times, const double* jitters, std::int32_t first, std::int32_t last, double* out) const;

    Weights weights_ {};
    double windowDays_;
    bool weighted_;
    double unitAgeFloor_;
    double unitAgeEnd_;
};
