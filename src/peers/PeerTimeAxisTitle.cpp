#include "PeerTimeAxisTitle.h"

#include "DateTime.h"

#include <cmath>

QString PeerTimeAxisTitle(
    const QString& directoryLabel, double firstPeerTime, double latestTime, const QString& zoneLabel)
{
    const QString dateAndTime = QStringLiteral("yyyy-mmm-dd hh:nn");
    QString title;
    if (!directoryLabel.isEmpty())
        title = directoryLabel + QStringLiteral("  -  ");
    title += FormatDateTime(firstPeerTime, dateAndTime) + QStringLiteral(" to ");
    // Whole day numbers, truncated toward zero as the date-time scale counts them.
    const bool sameDay = std::trunc(latestTime) == std::trunc(firstPeerTime);
    title += FormatDateTime(latestTime, sameDay ? QStringLiteral("hh:nn") : dateAndTime);
    title += QLatin1Char(' ') + zoneLabel;
    return title;
}
