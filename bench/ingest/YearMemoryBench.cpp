// Peak memory of reading a year of statistics (about 0.8 million loop lines and
// 3 million peer records) the way the program does: one directory scan. Its own program,
// because the peak resident size of a process only ever grows.
#include "BenchData.h"
#include "StatisticsFiles.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

double PeakResidentMB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
}

void BM_ReadYearDirectory(benchmark::State& state)
{
    const BenchDirectory& data = YearDensityDirectory(365, false);
    const double before = PeakResidentMB();
    std::size_t heldBytes = 0;
    for (auto _ : state) {
        StatisticsFiles files;
        files.OpenPath(data.path);
        // What stays held: every peer record, the last loop file's text.
        heldBytes = files.PeerRecords.size() * PeerRecordStore::BytesPerRecord;
        for (const std::string_view line : files.LoopFileLines)
            heldBytes += line.size() + 1;
        state.counters["loopRecords"] = files.Loop.PointCounts.empty() ? 0 : files.Loop.PointCounts[0];
        state.counters["peerRecords"] = static_cast<double>(files.PeerRecords.size());
    }
    const double heldMB = static_cast<double>(heldBytes) / (1024.0 * 1024.0);
    const double filesMB = static_cast<double>(data.loopBytes + data.peerBytes) / (1024.0 * 1024.0);
    const double peak = PeakResidentMB();
    state.counters["filesMB"] = filesMB;
    state.counters["heldMB"] = heldMB;
    state.counters["peakRssBeforeMB"] = before;
    state.counters["peakRssMB"] = peak;
    state.counters["limitMB"] = 1.5 * filesMB + 100;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (data.loopBytes + data.peerBytes)));
}
BENCHMARK(BM_ReadYearDirectory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
