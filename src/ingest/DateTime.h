#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// Date-times are day numbers (double): the integer part counts days from 30 December
// 1899, the fraction is the time of day. Statistics time stamps, chart X values and
// caption dates all use this scale.

// The day number of Modified Julian Day 0 (17 November 1858).
inline constexpr double MjdDayZero = -15018.0;
inline constexpr double SecondsPerDay = 86400.0;

// Modified Julian Day `mjd` at `seconds` past 00:00 UTC.
double DateTimeFromMjd(std::int32_t mjd, double seconds);

// The day number as a UTC QDateTime, rounded to the millisecond. Values outside the
// range QDateTime can hold give an invalid QDateTime.
QDateTime DateTimeToQDateTime(double dayNumber);
// The day number of a QDateTime (its UTC instant); an invalid QDateTime gives 0.
double DateTimeFromQDateTime(const QDateTime& dateTime);

// Formats a day number with a pattern: "yyyy" four-digit year, "mmm" the locale's
// abbreviated month name, "mm" two-digit month, "dd" two-digit day, "hh" two-digit hour
// (24-hour clock), "nn" two-digit minute; every other character is copied.
// The user's locale is QLocale(), the default locale.
QString FormatDateTime(double dayNumber, const QString& pattern);
