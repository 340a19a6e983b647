#include "ImageFileNaming.h"

#include "DateTime.h"

#include <cmath>

QString DatePrefix(double highestX)
{
    // Truncation toward zero: the day number's integer part names the day.
    double day = std::trunc(highestX);
    if (!IsCalendarDateTime(day))
        day = 0;
    return FormatDateTime(day, QStringLiteral("yyyy-mm-dd"));
}

QString ImageFileName(const QString& directory, const QString& prefix, const QString& suffix)
{
    return directory + prefix + suffix;
}
