// A year of loop statistics, 0.8 million samples, whose last nine days come from a GPS
// reference clock polled every 8 s: with a week's plot window the window is cut to
// 57,601 samples, and a six-hour moving average reaches back 2,700 samples from each.

#include "ChartConfiguration.h"
#include "LoopChartRebuild.h"
#include "LoopStore.h"
#include "MovingAverage.h"
#include "TChart.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t YearSamples = 800000;
constexpr double FastSeconds = 8;
constexpr double FastDays = 9;

// Deterministic noise without any library: a 64-bit linear congruential generator.
class Noise
{
public:
    double Uniform()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
    double Centred() { return Uniform() - 0.5; }

private:
    std::uint64_t state = 20200419;
};

const LoopStore& YearStore()
{
    static const LoopStore store = [] {
        LoopStore s;
        s.DataSetCount = 1;
        s.DataSetNames = { QStringLiteral("loopstats") };
        const std::int32_t fast = static_cast<std::int32_t>(FastDays * 86400 / FastSeconds);
        const std::int32_t slow = YearSamples - fast;
        const double start = 45658; // 2025-01-01
        const double slowStep = (365 - FastDays) / slow;
        s.PointCounts = { YearSamples };
        s.LoopTimes.assign(1, {});
        s.LoopOffsets.assign(1, {});
        s.LoopFrequencies.assign(1, {});
        s.LoopJitters.assign(1, {});
        s.LoopPollExponents.assign(1, {});
        auto& times = s.LoopTimes[0];
        auto& offsets = s.LoopOffsets[0];
        auto& frequencies = s.LoopFrequencies[0];
        auto& jitters = s.LoopJitters[0];
        auto& polls = s.LoopPollExponents[0];
        times.reserve(YearSamples);
        Noise noise;
        double offset = 0;
        double frequency = -15;
        for (std::int32_t i = 0; i < YearSamples; ++i) {
            const bool isFast = i >= slow;
            times.push_back(isFast ? start + 365 - FastDays + (i - slow) * FastSeconds / 86400 : start + i * slowStep);
            offset = offset * 0.98 + noise.Centred() * (isFast ? 0.004 : 0.04);
            frequency += noise.Centred() * 0.002;
            offsets.push_back(offset);
            frequencies.push_back(frequency);
            jitters.push_back(std::fabs(noise.Centred()) * (isFast ? 0.006 : 0.08));
            polls.push_back(isFast ? 3 : 6);
        }
        return s;
    }();
    return store;
}

struct Charts
{
    Charts()
    {
        const ChartId ids[] = { ChartId::Offsets, ChartId::OffsetVsTOD, ChartId::AbsFrequency, ChartId::Frequency,
            ChartId::FreqVsTOD, ChartId::Jitter, ChartId::LoopstatsPollInterval };
        for (int i = 0; i < 7; ++i)
            ConfigureChart(all[i], ids[i]);
    }
    LoopChartSet Set() { return { &all[0], &all[1], &all[2], &all[3], &all[4], &all[5], &all[6] }; }
    TChart all[7];
};

void BM_FullRebuild(benchmark::State& state)
{
    const LoopStore& store = YearStore();
    Charts charts;
    LoopRebuildInputs inputs;
    inputs.Store = &store;
    inputs.LatestTime = store.LoopTimes[0].back();
    inputs.PlotHours = 168;
    inputs.HoursToAverage = static_cast<int>(state.range(1));
    inputs.ExponentialAverage = state.range(0) != 0;
    std::int32_t plotted = 0;
    for (auto _ : state) {
        const LoopRebuildResults results = BuildLoopCharts(inputs, charts.Set());
        plotted = results.PlottedPointCount;
        benchmark::DoNotOptimize(results.OffsetCopy.get());
    }
    state.counters["plotted"] = plotted;
    state.SetLabel(std::string(inputs.ExponentialAverage ? "weighted" : "unweighted") + ", "
        + std::to_string(inputs.HoursToAverage) + " h average");
}
// Six hours is the default; five hours has no exact reciprocal and divides. The CPU
// column is the whole process's, so work handed to other threads is counted; the time
// column is the wall clock.
BENCHMARK(BM_FullRebuild)
    ->Args({ 0, 6 })
    ->Args({ 1, 6 })
    ->Args({ 0, 5 })
    ->Args({ 1, 5 })
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(2.0);

// The moving average alone over the same window: Fill on every core, Fill on one thread
// (eight samples at a time where the processor allows), and sample by sample.
void BM_MovingAverage(benchmark::State& state)
{
    const LoopStore& store = YearStore();
    const TMovingAverage average(state.range(0) != 0, 6);
    const std::int32_t last = YearSamples - 1;
    const std::int32_t first = last - 57600;
    std::vector<double> out(57601);
    const double* times = store.LoopTimes[0].data();
    const double* jitters = store.LoopJitters[0].data();
    const auto mode = state.range(1);
    for (auto _ : state) {
        if (mode != 0) {
            average.Fill(times, jitters, first, last, out.data(), mode == 1 ? 0 : 1);
        } else {
            for (std::int32_t j = first; j <= last; ++j)
                out[static_cast<std::size_t>(j - first)] = average.At(times, jitters, j);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::string(state.range(0) ? "weighted" : "unweighted")
        + (mode == 1        ? ", every core"
                : mode == 2 ? ", one thread"
                            : ", one by one"));
}
BENCHMARK(BM_MovingAverage)
    ->Args({ 0, 1 })
    ->Args({ 1, 1 })
    ->Args({ 0, 2 })
    ->Args({ 1, 2 })
    ->Args({ 0, 0 })
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
