#include "StatisticsFields.h"

#include <charconv>
#include <cmath>

namespace {

bool IsBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= ' ';
}

// from_chars accepts neither a leading '+' nor, for integers, the empty text; this
// strips a '+' that is followed by a digit or a point.
std::string_view WithoutPlus(std::string_view field)
{
    if (field.size() >= 2 && field[0] == '+' && field[1] != '-' && field[1] != '+')
        return field.substr(1);
    return field;
}

} // namespace

std::size_t SplitLoopFields(std::string_view line, std::span<std::string_view> fields)
{
    const std::size_t capacity = fields.size();
    std::size_t count = 0;
    const auto add = [&](std::string_view field) {
        if (count < capacity)
            fields[count] = field;
        ++count;
    };

    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n && IsBlank(line[i]))
        ++i;
    while (i < n && count <= capacity) {
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? n : close;
            add(line.substr(i + 1, stop - i - 1));
            i = close == std::string_view::npos ? n : close + 1;
        } else {
            const std::size_t start = i;
            while (i < n && !IsBlank(line[i]) && line[i] != ',' && line[i] != '\0')
                ++i;
            add(line.substr(start, i - start));
        }
        while (i < n && IsBlank(line[i]))
            ++i;
        if (i < n && line[i] == ',') {
            ++i;
            if (i == n)
                add(std::string_view());
            while (i < n && IsBlank(line[i]))
                ++i;
        }
        // Characters right after a closing quote start the next field; a NUL byte
        // (which decoding normally removes) is skipped so the loop always advances.
        if (i < n && line[i] == '\0')
            ++i;
    }
    return count;
}

bool ParseStatisticsInteger(std::string_view field, std::int32_t& value)
{
    field = WithoutPlus(field);
    if (field.empty())
        return false;
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value, 10);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseStatisticsNumber(std::string_view field, double& value)
{
    field = WithoutPlus(field);
    if (field.empty())
        return false;
    // Only digits, sign, point and exponent: this keeps out "inf", "nan" and hex forms.
    for (const char c : field) {
        const bool ok = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!ok)
            return false;
    }
    const char* end = field.data() + field.size();
    double parsed = 0;
    const auto result = std::from_chars(field.data(), end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}
