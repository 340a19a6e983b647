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

// Eight characters at once, as one little-endian word: whether all are digits, and their
// value. A byte is a digit when its high nibble is 3 and adding 6 does not carry out of
// its low nibble.
bool EightDigits(std::uint64_t chunk)
{
    constexpr std::uint64_t HighNibbles = 0xF0F0F0F0F0F0F0F0;
    return ((chunk & HighNibbles) | (((chunk + 0x0606060606060606) & HighNibbles) >> 4)) == 0x3333333333333333;
}

std::uint64_t EightDigitsValue(std::uint64_t chunk)
{
    // Pairs of digits, then fours, then the eight, each step one multiplication.
    chunk = ((chunk & 0x0F0F0F0F0F0F0F0F) * (10 * 256 + 1)) >> 8;
    chunk = ((chunk & 0x00FF00FF00FF00FF) * (100 * 65536 + 1)) >> 16;
    return ((chunk & 0x0000FFFF0000FFFF) * (10000 * (std::uint64_t { 1 } << 32) + 1)) >> 32;
}

// Reads the digits at q onto digits, counting them. Past 19 digits the value may wrap
// around; the caller refuses such a count.
const char* ReadDigits(const char* q, const char* end, std::uint64_t& digits, int& count)
{
    while (end - q >= 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, q, sizeof chunk);
        if constexpr (std::endian::native == std::endian::big)
            chunk = __builtin_bswap64(chunk);
        if (!EightDigits(chunk))
            break;
        digits = digits * 100000000 + EightDigitsValue(chunk);
        q += 8;
        count += 8;
    }
    for (; q < end && IsDigit(*q); ++q, ++count)
        digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    return q;
}

// The plain decimals nearly every field holds ("-0.000123456", "3600.5") are read here,
// from_chars only for the rest. With at most 19 digits (leading zeros count), whose value
// is at most 2^53, both the digits and the power of ten are exact doubles, so one division
// gives the correctly rounded value, as from_chars does. A number followed by an
// exponent, or beyond those bounds, returns nullptr.
const char* ParsePlainDecimal(const char* p, const char* end, double& value)
{
    static constexpr double PowersOfTen[] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
        1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19 };
    static constexpr std::uint64_t MaxExact = std::uint64_t { 1 } << 53;
    static constexpr int MaxDigits = 19;

    const bool negative = p < end && *p == '-';
    const char* q = p + (negative ? 1 : 0);
    std::uint64_t digits = 0;
    int count = 0;
    q = ReadDigits(q, end, digits, count);
    int decimals = 0;
    if (q < end && *q == '.') {
        const int whole = count;
        q = ReadDigits(q + 1, end, digits, count);
        decimals = count - whole;
    }
    // Past 19 digits the sum may have wrapped: from_chars decides then.
    if (count == 0 || count > MaxDigits || digits > MaxExact)
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
    // Up to nine digits always fit: the usual day number needs no from_chars.
    const char* digits = *p == '-' ? p + 1 : p;
    const char* q = digits;
    std::int32_t magnitude = 0;
    while (q < end && q - digits < 9 && IsDigit(*q))
        magnitude = magnitude * 10 + (*q++ - '0');
    if (q > digits && !(q < end && IsDigit(*q))) {
        value = *p == '-' ? -magnitude : magnitude;
        return q;
    }
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
