#include "DateTime.h"

#include <QTime>

#include <cmath>
#include <optional>

namespace {

constexpr std::int64_t MillisecondsPerDay = 86'400'000;

std::int64_t UnitsPerDay(TimeRounding rounding)
{
    return rounding == TimeRounding::Second ? 86'400 : MillisecondsPerDay;
}

// A day number rounded to whole units: the day and the units since its midnight.
struct RoundedDateTime
{
    std::int64_t day = 0;
    std::int64_t millisecond = 0; // of the day, 0 .. 86 399 999, a whole multiple of the unit
};

std::optional<RoundedDateTime> Round(double dayNumber, TimeRounding rounding)
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

void AppendDigits(QString& out, int value, int width)
{
    QChar digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = QLatin1Char(static_cast<char>('0' + value % 10));
        value /= 10;
    }
    out.append(digits, width);
}

} // namespace

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
    return Round(dayNumber, rounding).has_value();
}

QDateTime DateTimeToQDateTime(double dayNumber)
{
    const auto rounded = Round(dayNumber, TimeRounding::Millisecond);
    if (!rounded)
        return {};
    return QDateTime(DateOfDay(rounded->day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(rounded->millisecond)), Qt::UTC);
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
    const auto rounded = Round(dayNumber, rounding);
    QDate date;
    int ms = 0;
    if (rounded) {
        date = DateOfDay(rounded->day);
        ms = static_cast<int>(rounded->millisecond);
    }

    QString out;
    out.reserve(pattern.size() + 8);
    const QStringView text(pattern);
    // One token: its digits when there is a date, question marks of its width otherwise.
    const auto field = [&](int value, int width) {
        if (rounded)
            AppendDigits(out, value, width);
        else
            out.append(QString(width, QLatin1Char('?')));
    };
    for (qsizetype i = 0; i < text.size();) {
        const QStringView rest = text.mid(i);
        if (rest.startsWith(u"yyyy")) {
            field(date.year(), 4);
            i += 4;
        } else if (rest.startsWith(u"mmm")) {
            out += rounded ? locale.monthName(date.month(), QLocale::ShortFormat) : QStringLiteral("???");
            i += 3;
        } else if (rest.startsWith(u"mm")) {
            field(date.month(), 2);
            i += 2;
        } else if (rest.startsWith(u"dd")) {
            field(date.day(), 2);
            i += 2;
        } else if (rest.startsWith(u"hh")) {
            field(ms / 3'600'000, 2);
            i += 2;
        } else if (rest.startsWith(u"nn")) {
            field(ms / 60'000 % 60, 2);
            i += 2;
        } else if (rest.startsWith(u"ss")) {
            field(ms / 1000 % 60, 2);
            i += 2;
        } else if (rest.startsWith(u"zzz")) {
            field(ms % 1000, 3);
            i += 3;
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}
