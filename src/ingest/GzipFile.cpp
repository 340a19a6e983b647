#include "GzipFile.h"

#include "EZDecompressionError.h"
#include "FileReading.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

constexpr unsigned char FlagHeaderCrc = 0x02;
constexpr unsigned char FlagExtra = 0x04;
constexpr unsigned char FlagName = 0x08;
constexpr unsigned char FlagComment = 0x10;
constexpr unsigned char FlagsReserved = 0xE0;

// Deflate cannot expand data much more than about 1000:1; a member claiming more is a
// decompression bomb, not a statistics file. Small members get some slack.
constexpr std::size_t MaxExpansion = 1000;
constexpr std::size_t MinOutputBound = std::size_t { 1 } << 20;
// The trailer's length only sizes the first buffer, and never beyond this.
constexpr std::size_t MaxFirstGuess = std::size_t { 64 } << 20;

[[noreturn]] void Fail(int code, const char* message)
{
    throw EZDecompressionError(code, message);
}

std::uint32_t ReadLe32(std::string_view data, std::size_t at)
{
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k)
        value = (value << 8) | static_cast<unsigned char>(data[at + static_cast<std::size_t>(k)]);
    return value;
}

// Position of the first byte after the header and its optional parts.
std::size_t SkipHeader(std::string_view data)
{
    if (data.size() < 10)
        Fail(Z_BUF_ERROR, "gzip header truncated");
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    if (byte(0) != 31 || byte(1) != 139 || byte(2) != 8)
        Fail(Z_DATA_ERROR, "not a gzip file");
    const unsigned char flags = byte(3);
    if (flags & FlagsReserved)
        Fail(Z_DATA_ERROR, "reserved gzip flags set");

    std::size_t pos = 10;
    if (flags & FlagExtra) {
        if (data.size() - pos < 2)
            Fail(Z_BUF_ERROR, "gzip extra field truncated");
        const std::size_t length = byte(pos) | (std::size_t { byte(pos + 1) } << 8);
        pos += 2;
        if (data.size() - pos < length)
            Fail(Z_BUF_ERROR, "gzip extra field truncated");
        pos += length;
    }
    for (const unsigned char flag : { FlagName, FlagComment }) {
        if (flags & flag) {
            // Ends at its zero byte or at the end of the data.
            const std::size_t zero = data.find('\0', pos);
            pos = zero == std::string_view::npos ? data.size() : zero + 1;
        }
    }
    if (flags & FlagHeaderCrc) {
        if (data.size() - pos < 2)
            Fail(Z_BUF_ERROR, "gzip header checksum truncated");
        pos += 2;
    }
    return pos;
}

// ISA-L's igzip inflates about three times as fast as zlib on our files and, unlike
// libdeflate, streams: the output can be watched as it grows, so a bomb is stopped after
// the mebibyte that gives it away instead of after the buffer its trailer asks for. Its
// state holds the decoding tables (tens of kilobytes), hence the heap.
class Inflater
{
public:
    Inflater()
        : state_(std::make_unique<inflate_state>())
    {
        isal_inflate_init(state_.get());
        // Raw deflate (the gzip wrapper is ours to check), and the CRC-32 of the output
        // computed as it is written.
        state_->crc_flag = ISAL_GZIP_NO_HDR;
    }
    inflate_state& state() { return *state_; }

private:
    std::unique_ptr<inflate_state> state_;
};

} // namespace

std::size_t DecodeGzipMember(std::string_view data, std::string& buffer, std::size_t maxBytes)
{
    const std::size_t start = SkipHeader(data);
    if (start >= data.size())
        Fail(Z_BUF_ERROR, "gzip file has no compressed data");
    const std::string_view deflated = data.substr(start);

    const std::size_t bound = std::min(maxBytes, std::max(MinOutputBound, deflated.size() * MaxExpansion));
    // The last four bytes of a single-member file are the length: a good first size,
    // trusted only as a hint and never beyond the bound.
    std::size_t guess = deflated.size() * 4;
    if (data.size() >= 4)
        guess = std::max<std::size_t>(guess, ReadLe32(data, data.size() - 4) + std::size_t { 1 });
    buffer.clear();
    GrowBuffer(buffer, 0, std::min({ guess, bound, MaxFirstGuess }));

    Inflater inflater;
    inflate_state& s = inflater.state();
    const auto* const in = reinterpret_cast<const std::uint8_t*>(deflated.data());
    std::size_t taken = 0; // bytes handed over, including a few held in igzip's bit buffer
    std::size_t produced = 0;
    constexpr std::size_t MaxChunk = std::numeric_limits<std::uint32_t>::max();
    while (s.block_state != ISAL_BLOCK_FINISH) {
        if (produced == buffer.size()) {
            // Refused before the buffer grows past the bound: a file beyond the largest
            // we hold never gets the memory.
            if (buffer.size() >= bound)
                Fail(Z_MEM_ERROR, "gzip member inflates beyond the sane bound");
            GrowTowardsBound(
                buffer, produced, std::min(bound, std::max(buffer.size() * 2, std::size_t { 1 } << 16)), bound);
        }
        s.next_in = const_cast<std::uint8_t*>(in + taken);
        s.avail_in = static_cast<std::uint32_t>(std::min(deflated.size() - taken, MaxChunk));
        s.next_out = reinterpret_cast<std::uint8_t*>(buffer.data() + produced);
        // Inflate a mebibyte at a time so that the ratio check below sees a bomb early.
        s.avail_out = static_cast<std::uint32_t>(std::min(buffer.size() - produced, MinOutputBound));
        const std::uint32_t inBefore = s.avail_in;
        const std::uint32_t outBefore = s.avail_out;
        const int result = isal_inflate(&s);
        taken += inBefore - s.avail_in;
        produced += outBefore - s.avail_out;
        if (result != ISAL_DECOMP_OK)
            Fail(Z_DATA_ERROR, "damaged gzip data");
        // The whole member may be large enough to allow gigabytes; what was consumed so
        // far is not: refuse as soon as the output outruns 1000:1 of the input behind it.
        if (produced > std::max(MinOutputBound, taken * MaxExpansion))
            Fail(Z_MEM_ERROR, "gzip member inflates beyond the sane ratio");
        if (s.block_state == ISAL_BLOCK_FINISH)
            break;
        // igzip returns with room left in the output only when the input ran out.
        if (s.avail_out > 0 && taken == deflated.size())
            Fail(Z_BUF_ERROR, "gzip data truncated");
        if (s.avail_in == inBefore && s.avail_out == outBefore)
            Fail(Z_BUF_ERROR, "gzip inflate made no progress");
    }
    buffer.resize(produced);
    ReleaseSpareRoom(buffer);

    // igzip reads ahead in whole bytes; those still in its bit buffer after the last
    // block belong to the trailer.
    const auto readAhead = static_cast<std::size_t>(std::max(s.read_in_length, 0) / 8);
    const std::size_t consumed = taken - std::min(taken, readAhead);
    const std::string_view rest = deflated.substr(consumed);
    if (rest.size() < 8)
        Fail(Z_BUF_ERROR, "gzip trailer truncated");
    if (ReadLe32(rest, 0) != s.crc)
        Fail(Z_DATA_ERROR, "gzip CRC-32 mismatch");
    if (ReadLe32(rest, 4) != static_cast<std::uint32_t>(produced))
        Fail(Z_DATA_ERROR, "gzip length mismatch");
    return produced;
}

std::size_t LoadGzipFile(const QString& name, std::string& buffer)
{
    std::string data;
    try {
        data = ReadRegularFile(name);
    } catch (const std::exception& e) {
        throw EZDecompressionError(Z_ERRNO, e.what());
    }
    return DecodeGzipMember(data, buffer);
}
