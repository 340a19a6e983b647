#include "PeerRecordFields.h"

#include <charconv>
#include <cmath>

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
    const auto day = ParseWholeNumber(fields_[0]);
    if (!day)
        return std::nullopt;
    const auto seconds = ParseDecimal(fields_[1]);
    if (!seconds)
        return std::nullopt;
    return MjdEpochDateTime + double(*day) + *seconds / 86400.0 - zoneOffset;
}

std::optional<double> PeerRecordFields::Value(std::size_t number) const
{
    if (number == 0 || number > count_)
        return std::nullopt;
    return ParseDecimal(fields_[number - 1]);
}

std::optional<long long> ParseWholeNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}
