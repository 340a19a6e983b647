// A million loop offsets 16 s apart (about six months), white phase noise on a slow
// wander, with a missing hour now and then: the grid, then ADEV, MDEV and TDEV at every
// octave of tau; and the percentile summary of the same offsets.

#include "ClockStability.h"
#include "PercentileSummary.h"
#include "PhaseGrid.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t Samples = 1000000;

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

struct Series
{
    std::vector<double> Days;
    std::vector<double> Offsets;
};

const Series& Offsets()
{
    static const Series series = [] {
        Series s;
        Noise noise;
        double wander = 0;
        double seconds = 0;
        for (std::int64_t i = 0; i < Samples; ++i) {
            // Every 20,000 samples the daemon was down for an hour.
            seconds += i % 20000 == 0 && i > 0 ? 3600 : 16;
            wander += 1e-7 * noise.Centred();
            s.Days.push_back(60000 + seconds / 86400);
            s.Offsets.push_back(wander + 1e-5 * noise.Centred());
        }
        return s;
    }();
    return series;
}

void BM_Stability(benchmark::State& state)
{
    const Series& s = Offsets();
    std::size_t points = 0;
    for (auto _ : state) {
        const ClockStability result = EstimateClockStability(s.Days, s.Offsets);
        points = result.Adev.size() + result.Mdev.size() + result.Tdev.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_Stability)->Unit(benchmark::kMillisecond);

void BM_StabilityOnGrid(benchmark::State& state)
{
    const Series& s = Offsets();
    const PhaseGrid grid = SamplePhaseOnGrid(s.Days, s.Offsets);
    for (auto _ : state)
        benchmark::DoNotOptimize(EstimateClockStability(grid));
}
BENCHMARK(BM_StabilityOnGrid)->Unit(benchmark::kMillisecond);

void BM_PercentileSummary(benchmark::State& state)
{
    const Series& s = Offsets();
    for (auto _ : state)
        benchmark::DoNotOptimize(SummarisePercentiles(s.Offsets));
}
BENCHMARK(BM_PercentileSummary)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
