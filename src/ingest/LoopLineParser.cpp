#include "LoopLineParser.h"

#include "DateTime.h"
#include "StatisticsFields.h"

#include <array>

bool ParseLoopLine(std::string_view line, double zoneOffset, LoopRecord& record)
{
    std::array<std::string_view, 7> fields;
    if (SplitLoopFields(line, fields) != fields.size())
        return false;
    std::int32_t day = 0;
    double seconds = 0;
    double offset = 0;
    double frequency = 0;
    double jitter = 0;
    std::int32_t poll = 0;
    if (!ParseStatisticsInteger(fields[0], day) || !ParseStatisticsNumber(fields[1], seconds)
        || !ParseStatisticsNumber(fields[2], offset) || !ParseStatisticsNumber(fields[3], frequency)
        || !ParseStatisticsNumber(fields[4], jitter) || !ParseStatisticsInteger(fields[6], poll))
        return false;
    record.time = DateTimeFromMjd(day, seconds) - zoneOffset;
    record.offset = offset * 1000.0;
    record.frequency = frequency;
    record.jitter = jitter * 1000.0;
    record.pollExponent = poll;
    return true;
}
