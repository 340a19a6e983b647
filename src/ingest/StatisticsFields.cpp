#include "StatisticsFields.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Blanks and control characters separate fields. NUL counts as one too, though
// decoding has already ended the text at the first NUL.
inline bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// The first byte at or after p (before end) that is blank or a comma. Runs eight bytes
// at a time: a field is usually a dozen characters.
inline const char* FieldEnd(const char* p, const char* end)
{
    static_assert(std::endian::native == std::endian::little, "the lowest flag must be the first byte");
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        // Bytes below 0x21 (high bit clear) and bytes equal to ','. Borrows can only
        // flag bytes after a real hit, so the lowest flag is exact.
        const std::uint64_t blank = (word - 0x21 * ones) & ~word & highs;
        const std::uint64_t commaBits = word ^ (',' * ones);
        const std::uint64_t comma = (commaBits - ones) & ~commaBits & highs;
        if (const std::uint64_t hits = blank | comma)
            return p + (__builtin_ctzll(hits) >> 3);
        p += 8;
    }
    while (p < end && !IsBlank(*p) && *p != ',')
        ++p;
    return p;
}

} // namespace

std::size_t SplitLoopFields(std::string_view line, std::span<std::string_view> fields)
{
    const std::size_t capacity = fields.size();
    std::size_t count = 0;
    const auto add = [&](const char* begin, const char* end) {
        if (count < capacity)
            fields[count] = std::string_view(begin, static_cast<std::size_t>(end - begin));
        ++count;
    };

    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end && IsBlank(*p))
        ++p;
    while (p < end && count <= capacity) {
        if (*p == '"') {
            const char* const start = p + 1;
            const void* close = std::memchr(start, '"', static_cast<std::size_t>(end - start));
            const char* const stop = close ? static_cast<const char*>(close) : end;
            add(start, stop);
            // Characters right after the closing quote start the next field.
            p = close ? stop + 1 : end;
        } else {
            const char* const start = p;
            p = FieldEnd(p, end);
            add(start, p);
        }
        while (p < end && IsBlank(*p))
            ++p;
        if (p < end && *p == ',') {
            ++p;
            if (p == end)
                add(p, p); // a comma at the end adds an empty field
            while (p < end && IsBlank(*p))
                ++p;
        }
    }
    return count;
}
