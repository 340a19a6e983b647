#include "ChronyLogLines.h"

#include "DateTime.h"
#include "StatisticsFields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace {

constexpr std::size_t TrackingFields = 14;
constexpr std::size_t MeasurementFields = 20;
constexpr std::size_t StatisticsFieldCount = 13;
constexpr std::size_t RefclockFields = 9;
constexpr std::size_t MostFields = MeasurementFields;

using Fields = std::array<std::string_view, MostFields>;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Splits at runs of blanks and control characters (a CR of a CR LF line end included).
// Returns the number of fields, but stops counting one past `wanted`, so a line with too
// many fields is told apart without walking all of it.
std::size_t SplitFields(std::string_view line, Fields& fields, std::size_t wanted)
{
    std::size_t count = 0;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (count <= wanted) {
        while (p < end && IsBlank(*p))
            ++p;
        if (p == end)
            break;
        const char* const start = p;
        while (p < end && !IsBlank(*p))
            ++p;
        if (count < fields.size())
            fields[count] = std::string_view(start, static_cast<std::size_t>(p - start));
        ++count;
    }
    return count;
}

bool Digits(std::string_view text, std::size_t from, std::size_t count, int& value)
{
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1970-01-01 of a proleptic Gregorian date (the civil calendar counted in
// 400-year cycles of March-based years).
std::int32_t DaysFromEpoch(int year, int month, int day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int monthFromMarch = month > 2 ? month - 3 : month + 9;
    const int dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// "YYYY-MM-DD" and "HH:MM:SS", the seconds with an optional fraction; a day number, and
// the same time as a Modified Julian Day and the seconds of that day.
bool ParseDateTime(
    std::string_view date, std::string_view time, double& dayNumber, std::int32_t& mjdOut, double& secondsOfDay)
{
    int year = 0, month = 0, day = 0;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !Digits(date, 0, 4, year) || !Digits(date, 5, 2, month)
        || !Digits(date, 8, 2, day))
        return false;
    static constexpr int MonthDays[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12 || day < 1)
        return false;
    if (day > MonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0))
        return false;

    int hour = 0, minute = 0, second = 0;
    if (time.size() < 8 || time[2] != ':' || time[5] != ':' || !Digits(time, 0, 2, hour) || !Digits(time, 3, 2, minute)
        || !Digits(time, 6, 2, second))
        return false;
    // 60 lets a leap second through; the clock never shows more.
    if (hour > 23 || minute > 59 || second > 60)
        return false;
    double seconds = second;
    if (time.size() > 8) {
        // A fraction: a point and at least one digit, nothing else.
        const std::string_view fraction = time.substr(8);
        if (fraction.size() < 2 || fraction[0] != '.'
            || !std::all_of(fraction.begin() + 1, fraction.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (!ParseStatisticsNumber(time.substr(6), seconds))
            return false;
    }
    const std::int32_t mjd = DaysFromEpoch(year, month, day) + 40587;
    secondsOfDay = hour * 3600.0 + minute * 60.0 + seconds;
    mjdOut = mjd;
    dayNumber = DateTimeFromMjd(mjd, secondsOfDay);
    return true;
}

bool ParseDateTime(std::string_view date, std::string_view time, double& dayNumber)
{
    std::int32_t mjd = 0;
    double seconds = 0;
    return ParseDateTime(date, time, dayNumber, mjd, seconds);
}

bool ParseLeap(std::string_view field, char& leap)
{
    if (field.size() != 1 || (field[0] != 'N' && field[0] != '+' && field[0] != '-' && field[0] != '?'))
        return false;
    leap = field[0];
    return true;
}

bool Number(std::string_view field, double& value)
{
    return ParseStatisticsNumber(field, value);
}

bool Integer(std::string_view field, std::int32_t& value)
{
    return ParseStatisticsInteger(field, value);
}

} // namespace

bool ParseChronyTrackingLine(std::string_view line, ChronyTrackingLine& out)
{
    Fields f;
    if (SplitFields(line, f, TrackingFields) != TrackingFields)
        return false;
    ChronyTrackingLine r;
    r.reference = f[2];
    const bool ok = ParseDateTime(f[0], f[1], r.time) && Integer(f[3], r.stratum) && Number(f[4], r.frequency)
        && Number(f[5], r.frequencyError) && Number(f[6], r.offset) && ParseLeap(f[7], r.leap)
        && Integer(f[8], r.combinedSources) && Number(f[9], r.offsetDeviation) && Number(f[10], r.remainingCorrection)
        && Number(f[11], r.rootDelay) && Number(f[12], r.rootDispersion) && Number(f[13], r.maxError);
    if (!ok)
        return false;
    out = r;
    return true;
}

bool ParseChronyMeasurementLine(std::string_view line, ChronyMeasurementLine& out)
{
    Fields f;
    if (SplitFields(line, f, MeasurementFields) != MeasurementFields)
        return false;
    ChronyMeasurementLine r;
    r.source = f[2];
    // The test results (fields 6 to 8), the reference id, the mode and the time stamp
    // sources (17 to 20) are not used: they only have to be there, as their layout has
    // changed between versions of chronyd.
    const bool ok = ParseDateTime(f[0], f[1], r.time, r.mjd, r.secondsOfDay) && ParseLeap(f[3], r.leap)
        && Integer(f[4], r.stratum) && Integer(f[8], r.localPoll) && Integer(f[9], r.remotePoll)
        && Number(f[10], r.score) && Number(f[11], r.offset) && Number(f[12], r.peerDelay)
        && Number(f[13], r.peerDispersion) && Number(f[14], r.rootDelay) && Number(f[15], r.rootDispersion);
    if (!ok)
        return false;
    out = r;
    return true;
}

bool ParseChronyStatisticsLine(std::string_view line, ChronyStatisticsLine& out)
{
    Fields f;
    if (SplitFields(line, f, StatisticsFieldCount) != StatisticsFieldCount)
        return false;
    ChronyStatisticsLine r;
    r.source = f[2];
    const bool ok = ParseDateTime(f[0], f[1], r.time) && Number(f[3], r.standardDeviation)
        && Number(f[4], r.estimatedOffset) && Number(f[5], r.offsetDeviation) && Number(f[6], r.rate)
        && Number(f[7], r.rateError) && Number(f[8], r.ratio) && Integer(f[9], r.samples)
        && Integer(f[10], r.startIndex) && Integer(f[11], r.runs) && Number(f[12], r.asymmetry);
    if (!ok)
        return false;
    out = r;
    return true;
}

bool ParseChronyRefclockLine(std::string_view line, ChronyRefclockLine& out)
{
    Fields f;
    if (SplitFields(line, f, RefclockFields) != RefclockFields)
        return false;
    ChronyRefclockLine r;
    r.refId = f[2];
    if (!ParseDateTime(f[0], f[1], r.time, r.mjd, r.secondsOfDay) || !ParseLeap(f[4], r.leap))
        return false;
    r.filtered = f[3] == "-";
    if (r.filtered) {
        // A filtered sample has no sequence number, PPS flag or raw error.
        if (f[5] != "-" || f[6] != "-")
            return false;
    } else {
        double rawError = 0;
        if (!Integer(f[3], r.sequence) || r.sequence < 0 || !Integer(f[5], r.ppsFlag)
            || (r.ppsFlag != 0 && r.ppsFlag != 1) || !Number(f[6], rawError))
            return false;
        r.rawError = rawError;
    }
    if (!Number(f[7], r.cookedError) || !Number(f[8], r.dispersion))
        return false;
    out = r;
    return true;
}

void ChronySourceHistory::Add(std::string_view source, double time, double value)
{
    auto found = series_.find(source);
    if (found == series_.end())
        found = series_.emplace(std::string(source), Series {}).first;
    Series& series = found->second;
    if (!series.points.empty() && time < series.points.back().first)
        series.sorted = false;
    series.points.emplace_back(time, value);
}

void ChronySourceHistory::Sort()
{
    for (auto& [source, series] : series_) {
        if (series.sorted)
            continue;
        // Stable, so that of equal times the value added last stays last and wins.
        std::stable_sort(
            series.points.begin(), series.points.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        series.sorted = true;
    }
}

std::optional<double> ChronySourceHistory::LatestAtOrBefore(std::string_view source, double time) const
{
    const auto found = series_.find(source);
    if (found == series_.end())
        return std::nullopt;
    const auto& points = found->second.points;
    if (!found->second.sorted) {
        // Not sorted yet: the latest time at or before `time`, the last added of equals.
        const std::pair<double, double>* best = nullptr;
        for (const auto& point : points)
            if (point.first <= time && (!best || point.first >= best->first))
                best = &point;
        return best ? std::optional<double>(best->second) : std::nullopt;
    }
    const auto after = std::upper_bound(
        points.begin(), points.end(), time, [](double t, const auto& point) { return t < point.first; });
    if (after == points.begin())
        return std::nullopt;
    return std::prev(after)->second;
}

void AddPollOf(ChronySourceHistory& polls, const ChronyMeasurementLine& line)
{
    polls.Add(line.source, line.time, line.localPoll);
}

void AddJitterOf(ChronySourceHistory& jitters, const ChronyStatisticsLine& line)
{
    jitters.Add(line.source, line.time, line.standardDeviation);
}

bool ChronyTrackingToLoop(
    const ChronyTrackingLine& line, double zoneOffset, const ChronySourceHistory& polls, ChronyLoopRecord& out)
{
    // Written while there was nothing to synchronise to: no clock update to show.
    if (line.leap == '?')
        return false;
    // chronyd logs the clock's error (positive: fast); loopstats holds the correction
    // (positive: the clock is behind), and a frequency that speeds a slow clock up.
    const double offsetMs = -line.offset * 1000.0;
    const double jitterMs = line.offsetDeviation * 1000.0;
    const double time = line.time - zoneOffset;
    if (!std::isfinite(offsetMs) || !std::isfinite(jitterMs) || !std::isfinite(time))
        return false;
    ChronyLoopRecord r;
    r.time = time;
    r.offset = offsetMs;
    r.frequency = -line.frequency;
    r.jitter = jitterMs;
    if (const auto poll = polls.LatestAtOrBefore(line.reference, line.time))
        r.pollExponent = static_cast<std::int32_t>(*poll);
    out = r;
    return true;
}

ChronyPeerRecord ChronyMeasurementToPeer(
    const ChronyMeasurementLine& line, double zoneOffset, const ChronySourceHistory& jitters)
{
    // θ already has ntpd's sign: positive when the local clock is behind the source.
    ChronyPeerRecord r;
    r.time = line.time - zoneOffset;
    r.mjd = line.mjd;
    r.secondsOfDay = line.secondsOfDay;
    r.address = line.source;
    r.offset = line.offset;
    r.delay = line.peerDelay;
    r.dispersion = line.peerDispersion;
    r.jitter = jitters.LatestAtOrBefore(line.source, line.time);
    return r;
}

bool ChronyRefclockToPeer(
    const ChronyRefclockLine& line, double zoneOffset, const ChronySourceHistory& jitters, ChronyPeerRecord& out)
{
    if (!line.filtered)
        return false;
    ChronyPeerRecord r;
    r.time = line.time - zoneOffset;
    r.mjd = line.mjd;
    r.secondsOfDay = line.secondsOfDay;
    r.address = line.refId;
    r.offset = line.cookedError;
    r.delay = 0;
    r.dispersion = line.dispersion;
    r.jitter = jitters.LatestAtOrBefore(line.refId, line.time);
    out = r;
    return true;
}
