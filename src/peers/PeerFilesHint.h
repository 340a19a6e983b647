#pragma once

#include <QString>
#include <QStringList>

// The hint of the files label while the "Peerstats" page is on view: the peerstats
// files in use, one per line.
QString PeerFilesHint(const QStringList& peerFilesRead);
