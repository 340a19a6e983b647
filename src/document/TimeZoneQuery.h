#pragma once

#include <QDateTime>
#include <QString>

// The system's time base, as the "Local time" check box needs it. The bias follows the
// convention UTC = local time + bias, so it is positive west of Greenwich.
struct TimeZoneAnswer
{
    bool Ok = false;
    int BiasMinutes = 0;
    QString Label = QStringLiteral("UTC");
};

// Asks the system zone (TZ or the system setting, read afresh at every call) about the
// instant `at`. A zone without daylight-saving rules is labelled "Local Time"; one with
// rules gets the long name of the standard or daylight time in force at `at`. An
// unknown zone fails, leaving the label "UTC".
TimeZoneAnswer QueryTimeZone(const QDateTime& at = QDateTime::currentDateTimeUtc());
