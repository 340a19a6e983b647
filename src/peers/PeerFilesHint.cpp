#include "PeerFilesHint.h"

QString PeerFilesHint(const QStringList& peerFilesRead)
{
    QString hint = QStringLiteral("Peerstats values used from:\n\n");
    for (const QString& name : peerFilesRead)
        hint += name + QLatin1Char('\n');
    return hint;
}
