#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// One peerstats line cut into its fields without copying: fields are separated by single
// spaces (two adjacent spaces delimit an empty field, a tab is part of a field). Only the
// first eight fields are ever used, so the split stops there.
class PeerRecordFields
{
public:
    static constexpr std::size_t MaxFields = 8;

    // Splits at most maxFields fields (1..8); Count() tells how many were found.
    explicit PeerRecordFields(std::string_view line, std::size_t maxFields = MaxFields);

    std::size_t Count() const { return count_; }
    // Field number 1..Count(); an empty view for a number beyond Count().
    std::string_view Field(std::size_t number) const;

    // Fields 1 and 2 as a date-time day number (MJD day plus seconds of day, shifted by
    // zoneOffset days); nothing when either is missing or is not a number. Numbers are
    // read as in every statistics file (StatisticsNumber.h): "." whatever the locale, an
    // optional sign, the whole field; the day is a 32-bit integer.
    std::optional<double> Time(double zoneOffset) const;
    // A decimal field in seconds; nothing when missing, not a number or not finite.
    std::optional<double> Value(std::size_t number) const;

private:
    std::array<std::string_view, MaxFields> fields_ {};
    std::size_t count_ = 0;
};
