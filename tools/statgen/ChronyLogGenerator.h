#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Deterministic, realistic chronyd logs: tracking.log, measurements.log, statistics.log
// and refclocks.log, as chronyd writes them with "log tracking measurements statistics
// refclocks". The same parameters always give the same bytes.
//
// The simulated server has two NTP sources (a LAN server and an internet server), a GPS
// receiver read as NMEA (reference id "GPS", never selected) and its PPS signal ("PPS").
// It starts unsynchronised, synchronises to the LAN server, and changes to PPS once the
// PPS refclock delivers samples; during a PPS outage it falls back to the LAN server.

// How logrotate has turned the logs over (once a day at 00:00 UTC, as "chronyc cyclelogs"
// after the rotation reopens them).
enum class ChronyRotation {
    None, // one file per log holding every day
    Numbered, // tracking.log, tracking.log.1, tracking.log.2.gz, ...
    Dated, // tracking.log, tracking.log-YYYYMMDD, ... (dateext: the day of the rotation)
};

struct ChronyGenParams
{
    int days = 3;
    // Hours of the last day: the current log of a running server holds part of a day.
    double lastDayHours = 24;
    std::int32_t startMjd = 61041; // 2026-01-01
    std::uint64_t seed = 1;
    // The column banner at the start of each file and after every bannerEvery lines, as
    // "logbanner" sets it (chronyd's default is 32); false writes none ("logbanner 0").
    bool banners = true;
    int bannerEvery = 32;
    // Tracking lines written before the first clock update: reference 0.0.0.0, stratum 0,
    // leap status '?'.
    int unsynchronisedLines = 4;
    // Minutes from the start until the PPS refclock has its first samples.
    double ppsStartMinutes = 12;
    // No PPS samples from this hour (from 00:00 of the first day) for ppsOutageHours; a
    // negative start means no outage.
    double ppsOutageStartHours = 30;
    double ppsOutageHours = 1.5;
    // The PPS refclock's driver poll in seconds (2^dpoll) and its raw samples per filtered
    // sample (2^(poll - dpoll)): a filtered sample, a statistics line and, while PPS is
    // the reference, a tracking line every ppsPollSeconds * ppsSamplesPerFilter seconds.
    double ppsPollSeconds = 32;
    int ppsSamplesPerFilter = 4;
    // The GPS receiver's NMEA refclock, which is never selected.
    bool gpsRefclock = true;
    ChronyRotation rotation = ChronyRotation::Numbered;
    // Rotated files are gzipped, all but the newest (logrotate's compress + delaycompress).
    bool gzipRotated = true;
};

// One day of the four logs, lines in the order chronyd writes them (which is not always
// the order of their time stamps), banners included.
struct ChronyLogDay
{
    std::int32_t mjd = 0;
    std::string tracking;
    std::string measurements;
    std::string statistics;
    std::string refclocks;
};

// Every day of the four logs, one day per element, banners restarting each day as after
// a rotation (small parameter sets only: it is all held in memory).
std::vector<ChronyLogDay> GenerateChronyLogs(const ChronyGenParams& params);
// The same days handed to onDay one at a time, in order, as each is complete: a year of
// dense logs never has to be in memory at once.
void GenerateChronyLogs(const ChronyGenParams& params, const std::function<void(ChronyLogDay&&)>& onDay);

// Writes the four logs of params into directory (created if needed), named and
// compressed as params.rotation and params.gzipRotated say, one day in memory at a time.
// Returns the paths written.
// Throws std::runtime_error on failure.
std::vector<std::string> WriteChronyDirectory(const std::string& directory, const ChronyGenParams& params);

// The file name of a log ("tracking") for day index `day` of `days`, as rotated.
std::string ChronyFileName(
    const std::string& log, int day, int days, std::int32_t startMjd, ChronyRotation rotation, bool gzipRotated);
