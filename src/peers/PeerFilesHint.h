#pragma once

#include <QString>
#include <QStringList>

// The hint of the files label while the "Peerstats" page is on view: the peerstats
// files in use.
QString PeerFilesHint(const QStringList& peerFilesRead);
// The hint while it is not: the number of plotted loop values and the loopstats files.
QString LoopFilesHint(int plottedPointCount, const QStringList& loopFilesRead);
