#pragma once

#include <QStringList>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A peer that passed the filters of the counting pass, with the number of its lines.
struct PeerCount
{
    std::string Address; // as written in the first line counted for it
    std::int32_t Count = 0;
};

// The counting pass: every line with at least three fields counts for its peer (field
// 3) if the peer passes the LAN filter (when lanOnly) and is one of selectedPeers (when
// that is not empty). The result is sorted by address, case-insensitively, one entry per
// peer.
std::vector<PeerCount> CountPeerLines(
    std::span<const std::string_view> lines, bool lanOnly, const QStringList& selectedPeers);

// Keeps no more than maximum peers: those that come first in display order. Guards the
// pages against a file whose third field is not an address at all (a new "peer" on
// every line), which would otherwise ask for millions of series and table rows.
inline constexpr std::size_t MaxShownPeers = 1000;
void KeepBusiestPeers(std::vector<PeerCount>& counts, std::size_t maximum = MaxShownPeers);

// Peers in display order: most lines first, equal counts by descending address.
std::vector<std::string> PeerDisplayOrder(const std::vector<PeerCount>& counts);

// The oldest time a record may have to be used: peerDays whole days before the time of
// the last line that has a readable time (any peer, filtered or not). 0, meaning no
// limit, when peerDays is 0 or below or no line has a readable time.
double PeerWindowStart(std::span<const std::string_view> lines, int peerDays, double zoneOffset);
