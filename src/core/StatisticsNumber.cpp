#include "StatisticsNumber.h"

#include <charconv>
#include <cmath>

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
