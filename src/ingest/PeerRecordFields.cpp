#include "PeerRecordFields.h"

#include "DateTime.h"
#include "StatisticsNumber.h"

#include <cstdint>

PeerRecordFields::PeerRecordFields(std::string_view line, std::size_t maxFields)
{
    if (maxFields == 0 || maxFields > MaxFields)
        maxFields = MaxFields;
    std::size_t start = 0;
    while (count_ < maxFields) {
        const std::size_t space = line.find(' ', start);
        if (space == std::string_view::npos || count_ + 1 == maxFields) {
            // The last wanted field ends at the next space (or the line's end); what
            // follows is never looked at.
            const std::size_t end = space == std::string_view::npos ? line.size() : space;
            fields_[count_++] = line.substr(start, end - start);
            break;
        }
        fields_[count_++] = line.substr(start, space - start);
        start = space + 1;
    }
}

std::string_view PeerRecordFields::Field(std::size_t number) const
{
    if (number == 0 || number > count_)
        return {};
    return fields_[number - 1];
}

std::optional<double> PeerRecordFields::Time(double zoneOffset) const
{
    if (count_ < 2)
        return std::nullopt;
    std::int32_t day = 0;
    double seconds = 0;
    if (!ParseStatisticsInteger(fields_[0], day) || !ParseStatisticsNumber(fields_[1], seconds))
        return std::nullopt;
    return DateTimeFromMjd(day, seconds) - zoneOffset;
}

std::optional<double> PeerRecordFields::Value(std::size_t number) const
{
    double value = 0;
    if (number == 0 || number > count_ || !ParseStatisticsNumber(fields_[number - 1], value))
        return std::nullopt;
    return value;
}
