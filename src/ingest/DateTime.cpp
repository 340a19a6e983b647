#include "DateTime.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <cmath>
#include <cstring>

namespace {

const QDate& DayZero()
{
    static const QDate zero(1899, 12, 30);
    return zero;
}

constexpr double MillisecondsPerDay = 86400000.0;
// About ±290 000 years either way: far beyond any statistics time stamp, and small
// enough that the millisecond count stays exact in a double and fits in 64 bits.
constexpr double LargestDayNumber = 1.0e8;

struct DayAndMillisecond
{
    qint64 day = 0;
    qint64 millisecond = 0; // of the day, 0 .. 86 399 999
};

bool Split(double dayNumber, DayAndMillisecond& out)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > LargestDayNumber)
        return false;
    // Round to the millisecond first, so 0.9999999999 of a day is the next midnight
    // and not 23:59 with 60 seconds.
    const auto total = static_cast<qint64>(std::llround(dayNumber * MillisecondsPerDay));
    const qint64 msPerDay = 86400000;
    out.day = total / msPerDay;
    out.millisecond = total % msPerDay;
    if (out.millisecond < 0) {
        out.millisecond += msPerDay;
        --out.day;
    }
    return true;
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

double DateTimeFromMjd(std::int32_t mjd, double seconds)
{
    return MjdDayZero + static_cast<double>(mjd) + seconds / SecondsPerDay;
}

QDateTime DateTimeToQDateTime(double dayNumber)
{
    DayAndMillisecond parts;
    if (!Split(dayNumber, parts))
        return {};
    const QDate date = DayZero().addDays(parts.day);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(parts.millisecond)), Qt::UTC);
}

double DateTimeFromQDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return 0;
    const QDateTime utc = dateTime.toUTC();
    const qint64 days = DayZero().daysTo(utc.date());
    return static_cast<double>(days) + utc.time().msecsSinceStartOfDay() / MillisecondsPerDay;
}

QString FormatDateTime(double dayNumber, const QString& pattern)
{
    const QDateTime dateTime = DateTimeToQDateTime(dayNumber);
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const bool valid = dateTime.isValid();

    QString out;
    out.reserve(pattern.size() + 8);
    qsizetype i = 0;
    const auto at = [&](const char* token) {
        return pattern.mid(i, static_cast<qsizetype>(std::strlen(token))) == QLatin1String(token);
    };
    while (i < pattern.size()) {
        if (at("yyyy")) {
            out += valid ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) : QStringLiteral("????");
            i += 4;
        } else if (at("mmm")) {
            out += valid ? QLocale().monthName(date.month(), QLocale::ShortFormat) : QStringLiteral("???");
            i += 3;
        } else if (at("mm")) {
            out += valid ? TwoDigits(date.month()) : QStringLiteral("??");
            i += 2;
        } else if (at("dd")) {
            out += valid ? TwoDigits(date.day()) : QStringLiteral("??");
            i += 2;
        } else if (at("hh")) {
            out += valid ? TwoDigits(time.hour()) : QStringLiteral("??");
            i += 2;
        } else if (at("nn")) {
            out += valid ? TwoDigits(time.minute()) : QStringLiteral("??");
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}
