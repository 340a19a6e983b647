#include "StatisticsNumber.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// After an optional sign, a number starts with a digit or a point. This keeps out "inf"
// and "nan", which from_chars would take, and steps over a '+', which it would not.
const char* NumberStart(const char* p, const char* end)
{
    if (end - p >= 2 && *p == '+' && p[1] != '-' && p[1] != '+')
        ++p;
    const char* digits = p < end && *p == '-' ? p + 1 : p;
    if (digits >= end || !((*digits >= '0' && *digits <= '9') || *digits == '.'))
        return nullptr;
    return p;
}

bool IsDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// Eight characters as one little-endian word: whether all are digits (a byte is one when
// its high nibble is 3 and adding 6 leaves it so), and their value, in three
// multiplications.
bool EightDigits(std::uint64_t chunk)
{
    constexpr std::uint64_t HighNibbles = 0xF0F0F0F0F0F0F0F0;
    return ((chunk & HighNibbles) | (((chunk + 0x0606060606060606) & HighNibbles) >> 4)) == 0x3333333333333333;
}

std::uint64_t EightDigitsValue(std::uint64_t chunk)
{
    chunk = ((chunk & 0x0F0F0F0F0F0F0F0F) * (10 * 256 + 1)) >> 8;
    chunk = ((chunk & 0x00FF00FF00FF00FF) * (100 * 65536 + 1)) >> 16;
    return ((chunk & 0x0000FFFF0000FFFF) * (10000 * (std::uint64_t { 1 } << 32) + 1)) >> 32;
}

// The number nearly every field holds, a plain decimal ("-0.000123456", "3600.5"), read
// without from_chars, which takes twice as long over a peerstats line. With at most 19
// digits (leading zeros count) worth at most 2^53, the digits and the power of ten of the
// decimals are exact doubles, so one division rounds the value as from_chars does. A
// number with an exponent, or beyond those bounds, gives nullptr and is left to
// from_chars. p is at the sign or the first digit or point.
const char* ParsePlainDecimal(const char* p, const char* end, double& value)
{
    static constexpr double PowersOfTen[] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13,
        1e14, 1e15, 1e16, 1e17, 1e18, 1e19 };
    constexpr int MaxDigits = 19;
    constexpr std::uint64_t MaxExact = std::uint64_t { 1 } << 53;

    const bool negative = *p == '-';
    const char* q = negative ? p + 1 : p;
    const char* const wholeStart = q;
    std::uint64_t digits = 0; // past 19 digits it may wrap around, and is not used
    for (; q < end && IsDigit(*q); ++q)
        digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    const auto whole = static_cast<int>(q - wholeStart);
    int decimals = 0;
    if (q < end && *q == '.') {
        const char* const fraction = ++q;
        if (end - q >= 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, q, sizeof chunk);
            if constexpr (std::endian::native == std::endian::big)
                chunk = __builtin_bswap64(chunk);
            if (EightDigits(chunk)) {
                digits = digits * 100000000 + EightDigitsValue(chunk);
                q += 8;
            }
        }
        for (; q < end && IsDigit(*q); ++q)
            digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
        decimals = static_cast<int>(q - fraction);
    }
    if (whole + decimals == 0 || whole + decimals > MaxDigits || digits > MaxExact)
        return nullptr;
    if (q < end && (*q == 'e' || *q == 'E'))
        return nullptr;
    const double magnitude = static_cast<double>(digits) / PowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return q;
}

} // namespace

const char* ParseIntegerPrefix(const char* p, const char* end, std::int32_t& value)
{
    p = NumberStart(p, end);
    if (!p)
        return nullptr;
    std::int32_t parsed = 0;
    const auto result = std::from_chars(p, end, parsed, 10);
    if (result.ec != std::errc())
        return nullptr;
    value = parsed;
    return result.ptr;
}

const char* ParseNumberPrefix(const char* p, const char* end, double& value)
{
    p = NumberStart(p, end);
    if (!p)
        return nullptr;
    if (const char* stop = ParsePlainDecimal(p, end, value))
        return stop;
    double parsed = 0;
    const auto result = std::from_chars(p, end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(parsed))
        return nullptr;
    value = parsed;
    return result.ptr;
}

// A default-constructed view has no data at all: nullptr is then also its end, so the
// null "no number" result must not pass for "the whole field was used".
bool ParseStatisticsInteger(std::string_view field, std::int32_t& value)
{
    const char* end = field.data() + field.size();
    std::int32_t parsed = 0;
    const char* stop = ParseIntegerPrefix(field.data(), end, parsed);
    if (!stop || stop != end)
        return false;
    value = parsed;
    return true;
}

bool ParseStatisticsNumber(std::string_view field, double& value)
{
    const char* end = field.data() + field.size();
    double parsed = 0;
    const char* stop = ParseNumberPrefix(field.data(), end, parsed);
    if (!stop || stop != end)
        return false;
    value = parsed;
    return true;
}
