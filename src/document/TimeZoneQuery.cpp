#include "TimeZoneQuery.h"

#include <QTimeZone>

TimeZoneAnswer QueryTimeZone(const QDateTime& at)
{
    TimeZoneAnswer answer;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid())
        return answer;

    answer.Ok = true;
    answer.BiasMinutes = -zone.offsetFromUtc(at) / 60;
    if (!zone.hasDaylightTime()) {
        answer.Label = QStringLiteral("Local Time");
        return answer;
    }
    const auto kind = zone.isDaylightTime(at) ? QTimeZone::DaylightTime : QTimeZone::StandardTime;
    answer.Label = zone.displayName(kind, QTimeZone::LongName);
    if (answer.Label.isEmpty())
        answer.Label = QStringLiteral("Local Time");
    return answer;
}
