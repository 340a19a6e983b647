// The inflate engines we could decode gzip statistics with, on the same generated files:
// zlib, ISA-L's igzip and libdeflate. Each one inflates the raw deflate data of one gzip
// member and computes the CRC-32 of the output, as the loader must, into a buffer that is
// already the right size. zlib and igzip stream the output a mebibyte at a time, as the
// loader does to watch the expansion ratio; libdeflate cannot stream and inflates the
// whole member in one call.
//
// Then the loader itself (DecodeGzipMember: header, inflate, checks and bomb guard, its
// own buffer) on the same data.

#include "GzipFile.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsGenerator.h"

#include <benchmark/benchmark.h>

#include <zlib.h>
#ifdef TALLIMER_BENCH_ISAL
#include <isa-l/igzip_lib.h>
#endif
#ifdef TALLIMER_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t Chunk = std::size_t { 1 } << 20;

struct Member
{
    std::string gzip; // the whole file
    std::string deflate; // the raw deflate data between header and trailer
    std::size_t size = 0; // uncompressed
    std::uint32_t crc = 0;
};

// Three days at benchmark density, loop or peer statistics, as the generator's gzip
// writer makes them (a 10-byte header without a name).
const Member& Day(bool peer)
{
    static const auto make = [](bool peerLines) {
        StatGenParams params = YearParams();
        params.days = 3;
        const std::string text = peerLines ? GeneratePeerLines(params) : GenerateLoopLines(params);
        Member m;
        m.gzip = GzipCompressed(text);
        m.deflate = m.gzip.substr(10, m.gzip.size() - 18);
        m.size = text.size();
        m.crc = static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
        return m;
    };
    static const Member loop = make(false);
    static const Member peers = make(true);
    return peer ? peers : loop;
}

void Check(const Member& m, std::size_t produced, std::uint32_t crc)
{
    if (produced != m.size || crc != m.crc)
        throw std::runtime_error("inflate gave the wrong bytes");
}

void Label(benchmark::State& state, const Member& m, bool peer)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * m.size));
    state.SetLabel(std::string(peer ? "peerstats" : "loopstats") + ", " + std::to_string(m.size / 1000) + " kB -> "
        + std::to_string(m.deflate.size() / 1000) + " kB");
}

void BM_InflateZlib(benchmark::State& state)
{
    const bool peer = state.range(0) != 0;
    const Member& m = Day(peer);
    std::string out(m.size, '\0');
    for (auto _ : state) {
        z_stream z {};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            throw std::runtime_error("inflateInit2");
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m.deflate.data()));
        z.avail_in = static_cast<uInt>(m.deflate.size());
        std::size_t produced = 0;
        int result = Z_OK;
        while (result == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            z.avail_out = static_cast<uInt>(std::min(Chunk, out.size() - produced));
            const uInt before = z.avail_out;
            result = inflate(&z, Z_NO_FLUSH);
            produced += before - z.avail_out;
        }
        inflateEnd(&z);
        const auto crc = static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(out.data()), produced));
        Check(m, produced, crc);
    }
    Label(state, m, peer);
}
BENCHMARK(BM_InflateZlib)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

#ifdef TALLIMER_BENCH_ISAL
void BM_InflateIsal(benchmark::State& state)
{
    const bool peer = state.range(0) != 0;
    const Member& m = Day(peer);
    std::string out(m.size, '\0');
    // The state holds its decoding tables (about 10 kB): allocated once, as the loader
    // could keep one per thread.
    const auto inflater = std::make_unique<inflate_state>();
    for (auto _ : state) {
        inflate_state& s = *inflater;
        isal_inflate_init(&s);
        s.crc_flag = ISAL_GZIP_NO_HDR; // CRC-32 of the output, computed as it goes
        s.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(m.deflate.data()));
        s.avail_in = static_cast<std::uint32_t>(m.deflate.size());
        std::size_t produced = 0;
        while (s.block_state != ISAL_BLOCK_FINISH) {
            s.next_out = reinterpret_cast<std::uint8_t*>(out.data() + produced);
            s.avail_out = static_cast<std::uint32_t>(std::min(Chunk, out.size() - produced));
            const std::uint32_t before = s.avail_out;
            if (isal_inflate(&s) != ISAL_DECOMP_OK)
                throw std::runtime_error("isal_inflate");
            produced += before - s.avail_out;
        }
        Check(m, produced, s.crc);
    }
    Label(state, m, peer);
}
BENCHMARK(BM_InflateIsal)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
#endif

#ifdef TALLIMER_BENCH_LIBDEFLATE
void BM_InflateLibdeflate(benchmark::State& state)
{
    const bool peer = state.range(0) != 0;
    const Member& m = Day(peer);
    std::string out(m.size, '\0');
    const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> d(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    for (auto _ : state) {
        std::size_t in = 0;
        std::size_t produced = 0;
        if (libdeflate_deflate_decompress_ex(
                d.get(), m.deflate.data(), m.deflate.size(), out.data(), out.size(), &in, &produced)
            != LIBDEFLATE_SUCCESS)
            throw std::runtime_error("libdeflate");
        Check(m, produced, libdeflate_crc32(0, out.data(), produced));
    }
    Label(state, m, peer);
}
BENCHMARK(BM_InflateLibdeflate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
#endif

// The loader as the program runs it, with its own buffer reused between calls.
void BM_DecodeGzipMember(benchmark::State& state)
{
    const bool peer = state.range(0) != 0;
    const Member& m = Day(peer);
    std::string buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeGzipMember(m.gzip, buffer));
    Label(state, m, peer);
}
BENCHMARK(BM_DecodeGzipMember)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
