#pragma once

#include "PeerSortState.h"

#include <QString>

#include <array>

// The values of the window's controls that the statistics document needs, as one plain
// struct: the window reads its controls into it, a run without a window reads the
// user's store. The defaults are the controls' own.
struct DocumentSettings
{
    // Loop charts.
    int PlotHours = 12; // "Data hours", 12..168
    int HoursToAverage = 6; // 1..12
    bool ExponentialAverage = false; // "Weighted"
    bool IgnoreDataGaps = false;
    bool ClipOffsets = true;
    int JitterScalePosition = 0; // the jitter chart's scale spinner, 0..17

    // Peer pages.
    bool PeerstatsLAN = false;
    // Texts of "Max peer offset/delay/dispersion/jitter (ms)", in chart order.
    std::array<QString, 4> PeerThresholds { QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("0") };
    // Positions of the four "Change scale" spinners, in chart order.
    std::array<int, 4> PeerScaleSteps {};
    PeerSortState PeerSort;

    // Analysis page: "Peers too", each shown peer's stability beside the loop's.
    bool StabilityPeers = false;

    // Files, zone and looks.
    bool AbbreviateDirectoryName = true;
    bool LocalTime = false;
    bool WhitePlotBackground = false;
    bool SaveWithDatePrefix = false;
};
