// The peer rebuild over a year of peerstats lines (8 peers, thresholds off) into the
// four charts, at a quarter, half and all of the year, to show the cost per line.
#include "LineList.h"
#include "PeerRebuild.h"
#include "StatisticsGenerator.h"
#include "TChart.h"

#include <benchmark/benchmark.h>

#include <span>

namespace {
const LineList& YearOfPeerLines()
{
    static const LineList lines = [] {
        StatGenParams params = YearParams();
        params.peers.push_back({ "192.168.1.20", StatGenPeerKind::Lan, 64, 0.0001 });
        StatisticsGenerator generator(params);
        LineList all;
        while (!generator.atEnd())
            all.appendText(std::move(generator.nextDay().peerText));
        return all;
    }();
    return lines;
}

void RebuildPeers(benchmark::State& state)
{
    const LineList& year = YearOfPeerLines();
    const auto count = std::min<std::size_t>(std::size_t(state.range(0)), year.size());
    const std::span<const std::string_view> lines(year.begin(), year.begin() + std::ptrdiff_t(count));
    TChart offset, delay, dispersion, jitter;
    const PeerCharts charts { &offset, &delay, &dispersion, &jitter };
    PeerRebuildInputs inputs;
    inputs.ThresholdTexts = { "0", "0", "0", "0" };
    PeerStore store;
    for (auto _ : state) {
        double latestTime = 0;
        const PeerRebuildResult result = RebuildPeerStatistics(lines, inputs, store, latestTime, charts);
        benchmark::DoNotOptimize(result.TableRows.data());
    }
    state.counters["lines"] = double(count);
    state.counters["peers"] = double(store.PeerNames.size());
    state.counters["ns/line"] = benchmark::Counter(
        double(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK(RebuildPeers)->Arg(750'000)->Arg(1'500'000)->Arg(3'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
