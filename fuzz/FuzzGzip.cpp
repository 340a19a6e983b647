// Gzip member decoding, then text decoding and line splitting of what it gives. Checked
// against zlib's own gzip reader: every member zlib accepts must decode to the same bytes
// unless it inflates beyond the bound we put on decompression bombs.

#include "EZDecompressionError.h"
#include "FuzzCheck.h"
#include "GzipFile.h"
#include "LineList.h"
#include "TextDecoding.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// zlib's decoding of the first gzip member, or nothing when zlib refuses it or it would
// exceed maxOutput.
std::optional<std::string> ReferenceGunzip(std::string_view data, std::size_t maxOutput)
{
    z_stream z {};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    std::string out(std::min<std::size_t>(maxOutput, 1 << 16), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::size_t produced = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (produced == out.size()) {
            if (out.size() >= maxOutput)
                break;
            out.resize(std::min(maxOutput, out.size() * 2));
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(out.size() - produced);
        const uInt before = z.avail_out;
        result = inflate(&z, Z_NO_FLUSH);
        produced += before - z.avail_out;
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        return std::nullopt;
    out.resize(produced);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // However small its compressed data, a member may always inflate to 1 MiB before the
    // decoder calls it a bomb; compare with zlib up to that size.
    constexpr std::size_t AlwaysAllowed = std::size_t { 1 } << 20;

    std::string buffer;
    bool decoded = false;
    try {
        const std::size_t length = DecodeGzipMember(input, buffer);
        FuzzCheck(length == buffer.size(), "gzip result is the buffer's length");
        FuzzCheck(length <= std::max(AlwaysAllowed, size * 1000), "gzip output stays within the bomb bound");
        decoded = true;
    } catch (const EZDecompressionError&) {
        // Refused: the only failure the decoder may raise.
    }

    if (const auto reference = ReferenceGunzip(input, AlwaysAllowed)) {
        FuzzCheck(decoded, "a member zlib accepts is accepted");
        FuzzCheck(buffer == *reference, "decoded bytes equal zlib's");
    }

    if (decoded) {
        LineList lines;
        lines.appendText(DecodeStatisticsText(std::move(buffer)));
        for (const std::string_view line : lines)
            FuzzCheck(line.find_first_of("\r\n") == std::string_view::npos, "lines hold no line end");
    }
    return 0;
}
