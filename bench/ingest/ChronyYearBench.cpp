// Reading a year of chronyd's logs against reading a year of ntpd's statistics, both the
// way the program does (one directory scan), in MB of files per second. The chrony year
// is dense: tracking and a PPS refclock every 16 s and two NTP sources, about 2 million
// tracking lines and 4 million refclock lines; the ntpd year has about 0.8 million loop
// lines and 3 million peer lines. Then the peer files alone: refclocks.log, a line per
// sample, against peerstats, per MB.
#include "BenchData.h"
#include "StatisticsFiles.h"
#include "StatisticsReaders.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

namespace {

constexpr int Days = 365;

void ReadDirectory(benchmark::State& state, const BenchDirectory& data)
{
    for (auto _ : state) {
        StatisticsFiles files;
        files.OpenPath(data.path);
        benchmark::DoNotOptimize(files.PeerRecords.size());
        state.counters["loopRecords"] = files.Loop.PointCounts.empty() ? 0 : files.Loop.PointCounts[0];
        state.counters["peerLines"] = static_cast<double>(files.PeerRecords.size());
    }
    state.counters["filesMB"] = static_cast<double>(data.loopBytes + data.peerBytes) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (data.loopBytes + data.peerBytes)));
}

void BM_ReadNtpdYear(benchmark::State& state)
{
    ReadDirectory(state, YearDensityDirectory(Days, false));
}
BENCHMARK(BM_ReadNtpdYear)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadChronyYear(benchmark::State& state)
{
    ReadDirectory(state, ChronyDenseDirectory(Days));
}
BENCHMARK(BM_ReadChronyYear)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CollectPeerstatsYear(benchmark::State& state)
{
    const BenchDirectory& data = YearDensityDirectory(Days, false);
    StatisticsFiles files;
    for (auto _ : state) {
        bool first = true;
        for (const QString& name : data.peerFiles) {
            files.ReadPeerFile(name, first);
            first = false;
        }
        benchmark::DoNotOptimize(files.PeerRecords.size());
        state.counters["peerLines"] = static_cast<double>(files.PeerRecords.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.peerBytes));
}
BENCHMARK(BM_CollectPeerstatsYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// The refclock logs, raw and filtered samples, into peer lines (without statistics.log:
// every record without a jitter, which costs the same).
void BM_ReadRefclocksYear(benchmark::State& state)
{
    const BenchDirectory& data = ChronyDenseDirectory(Days);
    QStringList names;
    std::uint64_t bytes = 0;
    for (const QString& name : data.peerFiles)
        if (QFileInfo(name).fileName().startsWith(QLatin1String("refclocks"))) {
            names.append(name); // written oldest first, as their times order them
            bytes += static_cast<std::uint64_t>(QFileInfo(name).size());
        }
    StatisticsFiles files;
    for (auto _ : state) {
        bool first = true;
        for (const QString& name : names) {
            files.ReadFile(ChronyRefclocks(), name, first);
            first = false;
        }
        files.FinishReading();
        benchmark::DoNotOptimize(files.PeerRecords.size());
        state.counters["peerLines"] = static_cast<double>(files.PeerRecords.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadRefclocksYear)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
