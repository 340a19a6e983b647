#include "DateTime.h"

#include "DateTimeFormat.h"

#include <QTime>

#include <cmath>

namespace {

constexpr std::int64_t MillisecondsPerDay = 86'400'000;

std::int64_t UnitsPerDay(TimeRounding rounding)
{
    return rounding == TimeRounding::Second ? 86'400 : MillisecondsPerDay;
}

} // namespace

std::optional<RoundedDateTime> RoundDateTime(double dayNumber, TimeRounding rounding)
{
    // The bounds keep far-off values (and NaN, which fails both) away from llround, whose
    // result would be unspecified; the exact calendar check follows the rounding.
    if (!(dayNumber > double(FirstCalendarDay) - 2 && dayNumber < double(LastCalendarDay) + 2))
        return std::nullopt;
    const std::int64_t unitsPerDay = UnitsPerDay(rounding);
    const std::int64_t total = std::llround(dayNumber * double(unitsPerDay));
    RoundedDateTime out;
    out.day = total / unitsPerDay;
    std::int64_t units = total % unitsPerDay;
    if (units < 0) {
        units += unitsPerDay;
        --out.day;
    }
    if (out.day < FirstCalendarDay || out.day > LastCalendarDay)
        return std::nullopt;
    out.millisecond = units * (MillisecondsPerDay / unitsPerDay);
    return out;
}

QDate DateOfDay(std::int64_t day)
{
    static const qint64 dayZero = QDate(1899, 12, 30).toJulianDay();
    return QDate::fromJulianDay(dayZero + day);
}

double DateTimeFromMjd(std::int32_t mjd, double seconds)
{
    return MjdDayZero + static_cast<double>(mjd) + seconds / SecondsPerDay;
}

bool IsCalendarDateTime(double dayNumber, TimeRounding rounding)
{
    return RoundDateTime(dayNumber, rounding).has_value();
}

QDateTime DateTimeToQDateTime(double dayNumber)
{
    const auto rounded = RoundDateTime(dayNumber, TimeRounding::Millisecond);
    if (!rounded)
        return {};
    return QDateTime(
        DateOfDay(rounded->day), QTime::fromMSecsSinceStartOfDay(static_cast<int>(rounded->millisecond)), Qt::UTC);
}

double DateTimeFromQDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return 0;
    const QDateTime utc = dateTime.toUTC();
    const qint64 days = DateOfDay(0).daysTo(utc.date());
    return static_cast<double>(days) + utc.time().msecsSinceStartOfDay() / double(MillisecondsPerDay);
}

QString FormatDateTime(double dayNumber, const QString& pattern, TimeRounding rounding, const QLocale& locale)
{
    return DateTimeFormat(pattern, rounding, locale).Format(dayNumber);
}
