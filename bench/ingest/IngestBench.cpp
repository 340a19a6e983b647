// Throughput of reading statistics: plain loop files parsed into the loop store, plain
// peer files collected as lines, and gzip decoding against zlib's own gzip inflate.
#include "BenchData.h"
#include "GzipFile.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsFiles.h"
#include "StatisticsGenerator.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <stdexcept>

namespace {

constexpr int Days = 30;

void BM_ReadLoopFilesPlain(benchmark::State& state)
{
    const BenchDirectory& data = YearDensityDirectory(Days, false);
    // One object read again and again, as the main window reloads its files.
    StatisticsFiles files;
    for (auto _ : state) {
        bool first = true;
        for (const QString& name : data.loopFiles) {
            files.ReadLoopFile(name, first);
            first = false;
        }
        benchmark::DoNotOptimize(files.Loop.PointCounts[0]);
        state.counters["records"] = files.Loop.PointCounts[0];
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.loopBytes));
}
BENCHMARK(BM_ReadLoopFilesPlain)->Unit(benchmark::kMillisecond);

// The first reading: a new object, so every array and list grows from nothing.
void BM_ReadLoopFilesPlainFirstTime(benchmark::State& state)
{
    const BenchDirectory& data = YearDensityDirectory(Days, false);
    for (auto _ : state) {
        StatisticsFiles files;
        bool first = true;
        for (const QString& name : data.loopFiles) {
            files.ReadLoopFile(name, first);
            first = false;
        }
        benchmark::DoNotOptimize(files.Loop.PointCounts[0]);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.loopBytes));
}
BENCHMARK(BM_ReadLoopFilesPlainFirstTime)->Unit(benchmark::kMillisecond);

void BM_CollectPeerFilesPlain(benchmark::State& state)
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
        state.counters["lines"] = static_cast<double>(files.PeerRecords.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.peerBytes));
}
BENCHMARK(BM_CollectPeerFilesPlain)->Unit(benchmark::kMillisecond);

// One day of year-density peer statistics, gzip-compressed, in memory.
const std::pair<std::string, std::size_t>& GzipDay()
{
    static const std::pair<std::string, std::size_t> day = [] {
        StatGenParams params = YearParams();
        params.days = 3;
        const std::string text = GeneratePeerLines(params);
        return std::make_pair(GzipCompressed(text), text.size());
    }();
    return day;
}

void BM_GzipDecodeOurs(benchmark::State& state)
{
    const auto& [gz, size] = GzipDay();
    std::string buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeGzipMember(gz, buffer));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_GzipDecodeOurs)->Unit(benchmark::kMicrosecond);

// The reference: zlib parses the gzip wrapper and checks the CRC itself, into a buffer
// of the right size allocated each time, as ours does.
void BM_GzipDecodeZlibReference(benchmark::State& state)
{
    const auto& [gz, size] = GzipDay();
    for (auto _ : state) {
        std::string buffer(size, '\0');
        z_stream z {};
        if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
            throw std::runtime_error("inflateInit2");
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
        z.avail_in = static_cast<uInt>(gz.size());
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = static_cast<uInt>(buffer.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END)
            throw std::runtime_error("inflate");
        inflateEnd(&z);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_GzipDecodeZlibReference)->Unit(benchmark::kMicrosecond);

void BM_ReadPeerFilesGzip(benchmark::State& state)
{
    const BenchDirectory& data = YearDensityDirectory(Days, true);
    StatisticsFiles files;
    for (auto _ : state) {
        bool first = true;
        for (const QString& name : data.peerFiles) {
            files.ReadPeerFile(name, first);
            first = false;
        }
        benchmark::DoNotOptimize(files.PeerRecords.size());
    }
    state.counters["compressedMB"] = static_cast<double>(data.peerBytes) / 1e6;
}
BENCHMARK(BM_ReadPeerFilesGzip)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
