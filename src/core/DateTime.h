#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// Date-times are day numbers (double): the integer part counts days from 30 December
// 1899, the fraction is the time of day (0.5 is noon). Statistics time stamps, chart X
// values, captions, CSV times and the date prefix of saved images all use this scale.

// The day number of Modified Julian Day 0 (17 November 1858).
inline constexpr double MjdDayZero = -15018.0;
inline constexpr double SecondsPerDay = 86400.0;

// The first and last whole days that are written as dates: 0001-01-01 and 9999-12-31.
inline constexpr std::int64_t FirstCalendarDay = -693593;
inline constexpr std::int64_t LastCalendarDay = 2958465;

// The date of a whole day number (day 0 is 1899-12-30).
QDate DateOfDay(std::int64_t day);

// Modified Julian Day `mjd` at `seconds` past 00:00 UTC.
double DateTimeFromMjd(std::int32_t mjd, double seconds);

// The unit a day number is rounded to before it is cut into date and time fields. The
// fields below that unit are then read as they are, never rounded once more: rounded
// to the millisecond, 07:05:59.6 reads "07:05" with "hh:nn"; rounded to the second it
// reads "07:06". Either way a hair before midnight is the next midnight, never 23:59
// with 60 seconds.
enum class TimeRounding {
    Millisecond, // captions, chart titles, CSV, file names
    Second, // the chart's axis labels and tool tips
};

// A day number rounded to whole units: its day and the milliseconds since that day's
// midnight (0 .. 86 399 999, a whole number of units). Nothing when the rounded time is
// not in the years 1 to 9999 or the value is not finite.
struct RoundedDateTime
{
    std::int64_t day = 0;
    std::int64_t millisecond = 0;
};
std::optional<RoundedDateTime> RoundDateTime(double dayNumber, TimeRounding rounding);

// Whether the day number, rounded to that unit, lies in the years 1 to 9999: the range
// in which FormatDateTime writes a date rather than question marks. Not finite is not.
bool IsCalendarDateTime(double dayNumber, TimeRounding rounding = TimeRounding::Millisecond);

// The day number as a UTC QDateTime, rounded to the millisecond; a value outside the
// years 1 to 9999 gives an invalid QDateTime.
QDateTime DateTimeToQDateTime(double dayNumber);
// The day number of a QDateTime (its UTC instant); an invalid QDateTime gives 0.
double DateTimeFromQDateTime(const QDateTime& dateTime);

// The program's one date-time formatter (DateTimeFormat, for a pattern used once). Pattern tokens: "yyyy" four-digit
// year, "mmm" the locale's abbreviated month name, "mm" two-digit month, "dd" two-digit day, "hh" two-digit hour
// (24-hour clock), "nn" two-digit minute, "ss" two-digit second, "zzz" three-digit millisecond; every other character
// is copied. Tokens are matched longest first from left to right, so "mmm" is never read as "mm" followed by "m". The
// time is rounded to `rounding` first (see TimeRounding). A value outside the years 1 to 9999 (or not finite) writes
// each token as question marks of its width ("????",
// "???", "??"), so a caption still reads as a caption.
QString FormatDateTime(double dayNumber, const QString& pattern, TimeRounding rounding = TimeRounding::Millisecond,
    const QLocale& locale = QLocale());
