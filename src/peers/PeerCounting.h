#pragma once

#include "PeerRecordStore.h"

#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

// A peer that passed the filters of the counting pass, with the number of its records.
struct PeerCount
{
    std::string Address; // as written in the first record counted for it
    std::int32_t Count = 0;
};

// The counting pass: every record with a peer (a line of at least three fields) counts
// for it, readable or not, if the peer passes the LAN filter (when lanOnly) and is one
// of selectedPeers (when that is not empty). Addresses equal but for case are one peer.
// The result is sorted by address, case-insensitively, one entry per peer.
std::vector<PeerCount> CountPeerRecords(const PeerRecordStore& records, bool lanOnly, const QStringList& selectedPeers);

// Keeps no more than maximum peers: those that come first in display order. Guards the
// pages against a file whose third field is not an address at all (a new "peer" on
// every line), which would otherwise ask for millions of series and table rows.
inline constexpr std::size_t MaxShownPeers = 1000;
void KeepBusiestPeers(std::vector<PeerCount>& counts, std::size_t maximum = MaxShownPeers);

// Peers in display order: most lines first, equal counts by descending address.
std::vector<std::string> PeerDisplayOrder(const std::vector<PeerCount>& counts);

// The oldest time a record may have to be used: peerDays whole days before the time of
// the last record that has a readable time (any peer, filtered or not, or none). 0,
// meaning no limit, when peerDays is 0 or below or no record has a readable time.
double PeerWindowStart(const PeerRecordStore& records, int peerDays, double zoneOffset);
