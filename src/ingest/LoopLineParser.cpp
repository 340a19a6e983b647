#include "LoopLineParser.h"

#include "DateTime.h"
#include "StatisticsFields.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

const char* SkipBlanks(const char* p, const char* end)
{
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

// A field read as a number must end where the number ends.
bool EndsField(const char* p, const char* end)
{
    return p && (p == end || IsBlank(*p));
}

// The usual line: fields separated by blanks only. Numbers are read in place, in one
// pass, without splitting the line first.
bool ParseBlankSeparated(const char* p, const char* end, std::int32_t& day, double (&numbers)[4], std::int32_t& poll)
{
    p = ParseIntegerPrefix(SkipBlanks(p, end), end, day);
    if (!EndsField(p, end))
        return false;
    for (double& number : numbers) {
        p = ParseNumberPrefix(SkipBlanks(p, end), end, number);
        if (!EndsField(p, end))
            return false;
    }
    // Field 6, the wander, is not read: it only has to be there.
    p = SkipBlanks(p, end);
    if (p == end)
        return false;
    while (p < end && !IsBlank(*p))
        ++p;
    p = ParseIntegerPrefix(SkipBlanks(p, end), end, poll);
    return EndsField(p, end) && SkipBlanks(p, end) == end;
}

// Lines with commas or quotes go through the general splitter.
bool ParseSplit(std::string_view line, std::int32_t& day, double (&numbers)[4], std::int32_t& poll)
{
    std::array<std::string_view, 7> fields;
    if (SplitLoopFields(line, fields) != fields.size())
        return false;
    if (!ParseStatisticsInteger(fields[0], day) || !ParseStatisticsInteger(fields[6], poll))
        return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (!ParseStatisticsNumber(fields[i + 1], numbers[i]))
            return false;
    return true;
}

} // namespace

bool ParseLoopLine(std::string_view line, double zoneOffset, LoopRecord& record)
{
    if (line.empty())
        return false;
    std::int32_t day = 0;
    double numbers[4] = {}; // seconds, offset, frequency, jitter
    std::int32_t poll = 0;
    const bool special = std::memchr(line.data(), ',', line.size()) || std::memchr(line.data(), '"', line.size());
    const bool ok = special ? ParseSplit(line, day, numbers, poll)
                            : ParseBlankSeparated(line.data(), line.data() + line.size(), day, numbers, poll);
    if (!ok)
        return false;
    // Seconds near the largest double overflow when scaled to milliseconds; such a
    // record is as unreadable as one with a word in place of a number.
    const double offsetMs = numbers[1] * 1000.0;
    const double jitterMs = numbers[3] * 1000.0;
    if (!std::isfinite(offsetMs) || !std::isfinite(jitterMs))
        return false;
    record.time = DateTimeFromMjd(day, numbers[0]) - zoneOffset;
    record.offset = offsetMs;
    record.frequency = numbers[2];
    record.jitter = jitterMs;
    record.pollExponent = poll;
    return true;
}
