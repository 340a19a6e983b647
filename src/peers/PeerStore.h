#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// A peer that passed the filters of the last rebuild, with the number of its lines.
struct PeerLineCount
{
    QString Address;
    std::int32_t Count = 0;
};

// What the main window keeps between peer rebuilds: the peers that passed the filters
// (sorted by address, case-insensitively; offered by the peer selection dialog) and the
// peers shown, in display order (a peer's position is its index in the charts' series
// lists). A rebuild without lines leaves both as they are.
struct PeerStore
{
    std::vector<PeerLineCount> PeerLineCounts;
    QStringList PeerNames;
    // What the last rebuild leaves for the next to go on from, when records were only
    // appended since and nothing else changed; none when the next must start afresh.
    std::shared_ptr<struct PeerRebuildProgress> LastRebuild;
};
