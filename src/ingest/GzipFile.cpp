#include "GzipFile.h"

#include "EZDecompressionError.h"
#include "FileReading.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr unsigned char FlagHeaderCrc = 0x02;
constexpr unsigned char FlagExtra = 0x04;
constexpr unsigned char FlagName = 0x08;
constexpr unsigned char FlagComment = 0x10;
constexpr unsigned char FlagsReserved = 0xE0;

// Deflate cannot expand data much more than about 1000:1; a member claiming more is a
// decompression bomb, not a statistics file. Small members get some slack.
constexpr std::size_t MaxExpansion = 1000;
constexpr std::size_t MinOutputBound = std::size_t{1} << 20;
// The trailer's length only sizes the first buffer, and never beyond this.
constexpr std::size_t MaxFirstGuess = std::size_t{64} << 20;

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
        const std::size_t length = byte(pos) | (std::size_t{byte(pos + 1)} << 8);
        pos += 2;
        if (data.size() - pos < length)
            Fail(Z_BUF_ERROR, "gzip extra field truncated");
        pos += length;
    }
    for (const unsigned char flag : {FlagName, FlagComment}) {
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

class Inflater
{
public:
    Inflater()
    {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK)
            Fail(Z_MEM_ERROR, "cannot start inflate");
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
};

} // namespace

std::size_t DecodeGzipMember(std::string_view data, std::string& buffer)
{
    const std::size_t start = SkipHeader(data);
    if (start >= data.size())
        Fail(Z_BUF_ERROR, "gzip file has no compressed data");
    const std::string_view deflated = data.substr(start);

    const std::size_t bound =
        std::min(MaxStatisticsBytes, std::max(MinOutputBound, deflated.size() * MaxExpansion));
    // The last four bytes of a single-member file are the length: a good first size,
    // trusted only as a hint and never beyond the bound.
    std::size_t guess = deflated.size() * 4;
    if (data.size() >= 4)
        guess = std::max<std::size_t>(guess, ReadLe32(data, data.size() - 4) + std::size_t{1});
    buffer.clear();
    buffer.resize(std::min({guess, bound, MaxFirstGuess}));

    Inflater inflater;
    z_stream& z = inflater.stream();
    std::size_t consumed = 0;
    std::size_t produced = 0;
    constexpr std::size_t MaxChunk = std::numeric_limits<uInt>::max();
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (produced == buffer.size()) {
            if (buffer.size() >= bound)
                Fail(Z_MEM_ERROR, "gzip member inflates beyond the sane bound");
            buffer.resize(std::min(bound, std::max(buffer.size() * 2, std::size_t{1} << 16)));
        }
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data() + consumed));
        z.avail_in = static_cast<uInt>(std::min(deflated.size() - consumed, MaxChunk));
        z.next_out = reinterpret_cast<Bytef*>(buffer.data() + produced);
        // Inflate a mebibyte at a time so that the ratio check below sees a bomb early.
        z.avail_out = static_cast<uInt>(std::min(buffer.size() - produced, MinOutputBound));
        const uInt inBefore = z.avail_in;
        const uInt outBefore = z.avail_out;
        result = inflate(&z, Z_NO_FLUSH);
        consumed += inBefore - z.avail_in;
        produced += outBefore - z.avail_out;
        // The whole member may be large enough to allow gigabytes; what was consumed so
        // far is not: refuse as soon as the output outruns 1000:1 of the input behind it.
        if (produced > std::max(MinOutputBound, consumed * MaxExpansion))
            Fail(Z_MEM_ERROR, "gzip member inflates beyond the sane ratio");
        if (result == Z_BUF_ERROR && consumed == deflated.size())
            Fail(Z_BUF_ERROR, "gzip data truncated");
        if (result != Z_STREAM_END && z.avail_in == inBefore && z.avail_out == outBefore)
            Fail(Z_BUF_ERROR, "gzip inflate made no progress");
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            Fail(result, "damaged gzip data");
    }
    buffer.resize(produced);

    const std::string_view rest = deflated.substr(consumed);
    if (rest.size() < 8)
        Fail(Z_BUF_ERROR, "gzip trailer truncated");
    uLong crc = crc32_z(0, nullptr, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(buffer.data()), buffer.size());
    if (ReadLe32(rest, 0) != static_cast<std::uint32_t>(crc))
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
