#include "Captions.h"

#include "DateTime.h"

namespace {

QString UpTo(double latestTime, const QString& zoneLabel)
{
    return QStringLiteral("  up to: ") + FormatDateTime(latestTime, QStringLiteral("yyyy-mmm-dd hh:nn ")) + zoneLabel;
}

} // namespace

QString ListCaption(const QString& version, const QString& folder, double latestTime, const QString& zoneLabel)
{
    return QStringLiteral("Tallimer V") + version + QStringLiteral(" - ") + folder + UpTo(latestTime, zoneLabel);
}

QString SingleFileCaption(const QString& fileName, double latestTime, const QString& zoneLabel)
{
    return QStringLiteral("Tallimer:  ") + fileName + UpTo(latestTime, zoneLabel);
}
