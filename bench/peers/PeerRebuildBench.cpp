// The peer rebuild over a year of peer records (8 peers, thresholds off) into the four
// charts, at a quarter, half and all of the year, to show the cost per record. The
// records are read from the generated lines once; the rebuild parses nothing.
#include "PeerRebuild.h"
#include "PeerRecordStore.h"
#include "StatisticsGenerator.h"
#include "TChart.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include <sys/resource.h>

namespace {
double ProcessCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const PeerRecordStore& YearOfPeerRecords()
{
    static const PeerRecordStore records = [] {
        StatGenParams params = YearParams();
        params.peers.push_back({ "192.168.1.20", StatGenPeerKind::Lan, 64, 0.0001 });
        StatisticsGenerator generator(params);
        PeerRecordStore all;
        while (!generator.atEnd()) {
            LineList day;
            day.appendText(std::move(generator.nextDay().peerText));
            all.appendLines(day);
        }
        return all;
    }();
    return records;
}

// Again: the charts show the last rebuild's series, as after reading the files, when
// "LAN peerstats", a threshold or the peer selection changes: a threshold text changes
// every time (between two texts for no threshold), so that each rebuild reads every
// record rather than going on from the last. With firstTime, into empty charts, as the
// first rebuild after reading.
void RebuildPeers(benchmark::State& state, bool firstTime)
{
    PeerRecordStore records = YearOfPeerRecords();
    records.truncate(std::size_t(state.range(0)));
    PeerRebuildInputs inputs;
    inputs.ThresholdTexts = { "0", "0", "0", "0" };
    PeerStore store;
    auto charts = std::make_unique<std::array<TChart, PeerChartCount>>();
    const auto targets = [&] { return PeerCharts { &(*charts)[0], &(*charts)[1], &(*charts)[2], &(*charts)[3] }; };
    double latestTime = 0;
    if (!firstTime)
        RebuildPeerStatistics(records, inputs, store, latestTime, targets());
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        if (firstTime) {
            state.PauseTiming();
            charts = std::make_unique<std::array<TChart, PeerChartCount>>();
            state.ResumeTiming();
        }
        latestTime = 0;
        inputs.ThresholdTexts[0] = inputs.ThresholdTexts[0].isEmpty() ? QStringLiteral("0") : QString();
        const PeerRebuildResult result = RebuildPeerStatistics(records, inputs, store, latestTime, targets());
        benchmark::DoNotOptimize(result.TableRows.data());
    }
    // The CPU time of every thread of the process (the column "CPU" counts this one's):
    // the rebuild fills the charts on the global thread pool.
    state.counters["processCpuMs"]
        = benchmark::Counter((ProcessCpuSeconds() - cpuBefore) * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["records"] = double(records.size());
    state.counters["peers"] = double(store.PeerNames.size());
    state.counters["ns/record"] = benchmark::Counter(
        double(records.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK_CAPTURE(RebuildPeers, again, false)
    ->Arg(750'000)
    ->Arg(1'500'000)
    ->Arg(3'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RebuildPeers, first, true)->Arg(3'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
