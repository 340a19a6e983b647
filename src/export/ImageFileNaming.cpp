#include "ImageFileNaming.h"

#include <QDate>

#include <cmath>

namespace {

QDate DayZero()
{
    return QDate(1899, 12, 30);
}

} // namespace

QString DatePrefix(double highestX)
{
    // Truncation toward zero: the day number's integer part names the day.
    static const double firstDay = static_cast<double>(DayZero().daysTo(QDate(1, 1, 1)));
    static const double lastDay = static_cast<double>(DayZero().daysTo(QDate(9999, 12, 31)));
    double day = std::trunc(highestX);
    if (!std::isfinite(day) || day < firstDay || day > lastDay)
        day = 0;
    return DayZero().addDays(static_cast<qint64>(day)).toString(QStringLiteral("yyyy-MM-dd"));
}

QString ImageFileName(const QString& directory, const QString& prefix, const QString& suffix)
{
    return directory + prefix + suffix;
}
