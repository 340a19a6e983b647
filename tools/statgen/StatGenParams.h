#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// What the sample statistics generator makes. All times are whole seconds or hours from
// 00:00 UTC of the first day.

enum class StatGenPeerKind { RefClock, Lan, Internet };

struct StatGenPeer
{
    std::string address; // as ntpd writes it: 127.127.t.u, IPv4, IPv6
    StatGenPeerKind kind = StatGenPeerKind::Lan;
    double pollSeconds = 64;
    double offsetBias = 0; // seconds; a constant error of the peer's path
};

struct StatGenParams
{
    int days = 5;
    std::int32_t startMjd = 61041; // 2026-01-01
    std::uint64_t seed = 1;
    // Seconds between loop records; 0 makes them follow the poll interval.
    double loopIntervalSeconds = 0;
    std::vector<StatGenPeer> peers;
    std::set<int> gzipDays; // day indices (0 = first day) written as .gz
    // No records from gapStartHours for gapHours; a negative start means no gap.
    double gapStartHours = -1;
    double gapHours = 0;
    // An ntpd restart: two minutes without records, then frequency and wander exactly 0
    // for a quarter of an hour while the daemon measures the frequency again.
    double restartHours = -1;
};

// A refclock (127.127.28.0, delay 0), two LAN peers, three internet peers and one IPv6
// peer, polled as a small site's server would poll them.
std::vector<StatGenPeer> DefaultPeers();
// Five days with the default peers; the first two days gzipped, a gap of four hours on
// the second day and a restart on the third.
StatGenParams DefaultParams();
// A year of statistics at benchmark density: about 0.8 million loop lines and 3 million
// peer lines, about 250 MB of text.
StatGenParams YearParams();

// Modified Julian Day of a calendar date (proleptic Gregorian).
std::int32_t MjdFromDate(int year, int month, int day);
// The date of a Modified Julian Day as yyyymmdd.
std::string DateTextFromMjd(std::int32_t mjd);
