#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One line of each of chronyd's logs (tracking.log, measurements.log, statistics.log,
// refclocks.log) and how it maps onto our loop and peer records.
//
// chronyd writes one record per line: blank-separated fields that begin with the UTC date
// and time "YYYY-MM-DD HH:MM:SS" (refclocks.log adds a fraction of a second). Every so
// often it repeats a banner: a row of '=' signs around a line of column titles. The
// parsers below take a banner line, a title line, a line with the wrong number of fields
// and a line with a field that is not a finite number alike: they return false and the
// line is skipped. Times come out as day numbers (days since 30 December 1899, UTC).
//
// Text fields (addresses, reference ids) are views into the line: they live as long as
// the buffer the line came from.

// tracking.log, 14 fields: one line per update of the system clock.
struct ChronyTrackingLine
{
    double time = 0; // day number, UTC
    std::string_view reference; // address or reference id of the source synchronised to
    std::int32_t stratum = 0;
    double frequency = 0; // ppm, positive: the local clock runs fast of UTC
    double frequencyError = 0; // ppm
    double offset = 0; // seconds, positive: the local clock is fast of UTC
    char leap = 'N'; // 'N', '+', '-', or '?' when not synchronised
    std::int32_t combinedSources = 0;
    double offsetDeviation = 0; // seconds, standard deviation of the combined offset
    double remainingCorrection = 0; // seconds
    double rootDelay = 0; // seconds
    double rootDispersion = 0; // seconds
    double maxError = 0; // seconds
};

// measurements.log, 20 fields: one line per valid NTP sample of a source.
struct ChronyMeasurementLine
{
    double time = 0; // day number, UTC
    std::int32_t mjd = 0; // the same time as a Modified Julian Day and the seconds of that day
    double secondsOfDay = 0;
    std::string_view source; // address of the server or peer
    char leap = 'N'; // 'N', '+', '-', '?'
    std::int32_t stratum = 0;
    std::int32_t localPoll = 0; // log2 seconds; chronyd allows negative values
    std::int32_t remotePoll = 0;
    double score = 0;
    double offset = 0; // seconds, positive: the local clock is slow of the source
    double peerDelay = 0; // seconds
    double peerDispersion = 0; // seconds
    double rootDelay = 0; // seconds
    double rootDispersion = 0; // seconds
};

// statistics.log, 13 fields: one line per regression over a source's samples.
struct ChronyStatisticsLine
{
    double time = 0; // day number, UTC
    std::string_view source; // address or reference id
    double standardDeviation = 0; // seconds, of the source's samples
    double estimatedOffset = 0; // seconds
    double offsetDeviation = 0; // seconds
    double rate = 0; // seconds per second
    double rateError = 0; // seconds per second
    double ratio = 0;
    std::int32_t samples = 0;
    std::int32_t startIndex = 0;
    std::int32_t runs = 0;
    double asymmetry = 0;
};

// refclocks.log, 9 fields: raw samples of a reference clock driver, and the filtered
// sample made from them once per poll. A filtered line has '-' for the sequence number,
// the PPS flag and the raw error.
struct ChronyRefclockLine
{
    double time = 0; // day number, UTC, with the fraction of a second
    std::int32_t mjd = 0; // the same time as a Modified Julian Day and the seconds of that day
    double secondsOfDay = 0;
    std::string_view refId; // "PPS", "GPS", "NMEA", ...
    bool filtered = false;
    std::int32_t sequence = -1; // raw samples only
    char leap = 'N'; // 'N', '+', '-', '?'
    std::int32_t ppsFlag = -1; // raw samples only: 1 from a PPS source, 0 otherwise
    std::optional<double> rawError; // seconds; raw samples only
    double cookedError = 0; // seconds, positive: the local clock is slow
    double dispersion = 0; // seconds
};

bool ParseChronyTrackingLine(std::string_view line, ChronyTrackingLine& out);
bool ParseChronyMeasurementLine(std::string_view line, ChronyMeasurementLine& out);
bool ParseChronyStatisticsLine(std::string_view line, ChronyStatisticsLine& out);
bool ParseChronyRefclockLine(std::string_view line, ChronyRefclockLine& out);

// Values of each source over time, answering "the latest value of source S at or before
// t" by bisection. Two of them connect chrony's logs: the local poll of a source's
// measurements (for the poll of a loop record) and the standard deviation of its
// statistics lines (for the jitter of a peer record).
//
// chronyd writes statistics and refclock lines slightly out of time order, so a source's
// values are kept sorted by time: adding in order costs nothing, a value added behind the
// last one marks the source for Sort(). Until Sort() runs, a lookup of a marked source
// scans its values, so an answer is never wrong, only slower. Of values with equal
// times, the one added last counts.
class ChronySourceHistory
{
public:
    void Add(std::string_view source, double time, double value);
    void Sort();
    std::optional<double> LatestAtOrBefore(std::string_view source, double time) const;
    std::size_t SourceCount() const { return series_.size(); }

private:
    struct Series
    {
        std::vector<std::pair<double, double>> points; // (time, value)
        bool sorted = true;
    };
    std::map<std::string, Series, std::less<>> series_;
};

// The local poll of each measurements line, by source.
void AddPollOf(ChronySourceHistory& polls, const ChronyMeasurementLine& line);
// The standard deviation of each statistics line, by source.
void AddJitterOf(ChronySourceHistory& jitters, const ChronyStatisticsLine& line);

// A tracking line as a loop record, with the units and signs of ntpd's loopstats: offset
// in milliseconds and frequency in ppm, both as corrections (positive: the clock is slow),
// jitter in milliseconds. The poll exponent is the latest measurements poll of the
// source the line names, at or before the line's time; a refclock reference has no
// measurements, and then the record has no poll.
struct ChronyLoopRecord
{
    double time = 0; // day number, shifted by the zone offset
    double offset = 0; // milliseconds
    double frequency = 0; // ppm
    double jitter = 0; // milliseconds
    std::optional<std::int32_t> pollExponent;
};

// False for a line written while the clock was not synchronised (leap status '?'), and
// for values that overflow in milliseconds. zoneOffset (days) is subtracted from the time.
bool ChronyTrackingToLoop(
    const ChronyTrackingLine& line, double zoneOffset, const ChronySourceHistory& polls, ChronyLoopRecord& out);

// A measurement or a filtered refclock sample as a peer record, in seconds as in
// peerstats. The jitter is the standard deviation of the source's latest statistics line
// at or before the record's time, and there is none when statistics.log has no such line.
struct ChronyPeerRecord
{
    double time = 0; // day number, shifted by the zone offset
    // The UTC time as peerstats writes it: day number time + zoneOffset is this MJD and
    // these seconds, and a peerstats line made of them reads back as exactly that time.
    std::int32_t mjd = 0;
    double secondsOfDay = 0;
    std::string_view address; // the source's address or reference id, a view into the line
    double offset = 0; // seconds, positive: the local clock is slow
    double delay = 0; // seconds
    double dispersion = 0; // seconds
    std::optional<double> jitter; // seconds
};

ChronyPeerRecord ChronyMeasurementToPeer(
    const ChronyMeasurementLine& line, double zoneOffset, const ChronySourceHistory& jitters);
// False for a raw sample: a refclock's peer record is its filtered sample, once per poll,
// as a peerstats line is one per sample the daemon used. The delay of a refclock is 0.
bool ChronyRefclockToPeer(
    const ChronyRefclockLine& line, double zoneOffset, const ChronySourceHistory& jitters, ChronyPeerRecord& out);
