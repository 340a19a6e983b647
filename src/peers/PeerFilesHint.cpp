#include "PeerFilesHint.h"

namespace
{
QString NameLines(const QStringList& names)
{
    QString text;
    for (const QString& name : names)
        text += name + QStringLiteral("\r\n");
    return text;
}
}  // namespace

QString PeerFilesHint(const QStringList& peerFilesRead)
{
    return QStringLiteral("Peerstats values used from:\r\r") + NameLines(peerFilesRead);
}

QString LoopFilesHint(int plottedPointCount, const QStringList& loopFilesRead)
{
    return QString::number(plottedPointCount) + QStringLiteral(" loopstats values used from:\r\r") +
           NameLines(loopFilesRead);
}
