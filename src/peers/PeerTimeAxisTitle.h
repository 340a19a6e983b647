#pragma once

#include <QString>

// The caption of the peer charts' time axes: the directory label and "  -  " (when there
// is a label), the first record's date and time, " to ", the newest time (its time only
// when it falls on the same day), a blank and the zone label.
// "stats  -  2023-Feb-25 00:00 to 23:59 UTC"
QString PeerTimeAxisTitle(
    const QString& directoryLabel, double firstPeerTime, double latestTime, const QString& zoneLabel);
