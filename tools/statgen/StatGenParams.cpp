#include "StatGenParams.h"

#include <cstdio>

std::vector<StatGenPeer> DefaultPeers()
{
    return {
        { "127.127.28.0", StatGenPeerKind::RefClock, 64, 0.0 },
        { "192.168.1.10", StatGenPeerKind::Lan, 64, 20e-6 },
        { "192.168.1.11", StatGenPeerKind::Lan, 128, -35e-6 },
        { "192.0.2.123", StatGenPeerKind::Internet, 512, 0.8e-3 },
        { "198.51.100.7", StatGenPeerKind::Internet, 1024, -1.5e-3 },
        { "203.0.113.45", StatGenPeerKind::Internet, 1024, 2.2e-3 },
        { "2001:db8::123", StatGenPeerKind::Internet, 1024, 0.4e-3 },
    };
}

StatGenParams DefaultParams()
{
    StatGenParams params;
    params.peers = DefaultPeers();
    params.gzipDays = { 0, 1 };
    params.gapStartHours = 30; // day 2, 06:00 to 10:00
    params.gapHours = 4;
    params.restartHours = 62.5; // day 3, 14:30
    return params;
}

StatGenParams YearParams()
{
    StatGenParams params;
    params.days = 365;
    params.loopIntervalSeconds = 39;
    params.peers = DefaultPeers();
    params.peers[0].pollSeconds = 16;
    params.peers[2].pollSeconds = 64;
    return params;
}

std::int32_t MjdFromDate(int year, int month, int day)
{
    // Days from 1970-01-01 by the civil calendar's 400-year cycle, March-based years.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int monthFromMarch = month > 2 ? month - 3 : month + 9;
    const int dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int daysFrom1970 = era * 146097 + dayOfEra - 719468;
    return daysFrom1970 + 40587;
}

std::string DateTextFromMjd(std::int32_t mjd)
{
    const int z = mjd - 40587 + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int dayOfEra = z - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}
