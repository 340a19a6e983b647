#include "ChronyLogLines.h"
#include "ChronyLogGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

namespace {

// 2026-03-02 00:00 UTC as a day number (2026-01-01 is 46023).
constexpr double March2 = 46083.0;

double At(int hour, int minute, double second)
{
    return March2 + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

const std::string Tracking = "2026-03-02 10:15:30 192.168.1.10     2     14.862      0.031 -2.500e-05 N  2  "
                             "2.000e-05 -1.000e-06  2.700e-04  1.500e-04  3.100e-04";
const std::string Measurement = "2026-03-02 10:15:28 192.168.1.10    N  1 111 111 1111   7  7 1.50  "
                                "3.200e-05  2.600e-04  1.200e-05  0.000e+00  1.300e-04 50505300 4B K K";
const std::string Statistics = "2026-03-02 10:15:28 192.168.1.10     2.400e-05  3.200e-05  4.000e-06 -2.000e-10  "
                               "6.000e-09 2.7e-01  32   0  17  0.00";
const std::string RefclockRaw = "2026-03-02 10:15:30.000001 PPS     3 N 1  4.571521e-07  4.311521e-07  1.000e-06";
const std::string RefclockFiltered = "2026-03-02 10:15:06.250000 PPS     - N -             -  -5.912660e-07  1.345e-06";

TEST(ChronyLogLines, TrackingFieldsUnitsAndSigns)
{
    ChronyTrackingLine line;
    ASSERT_TRUE(ParseChronyTrackingLine(Tracking, line));
    EXPECT_DOUBLE_EQ(line.time, At(10, 15, 30));
    EXPECT_EQ(line.reference, "192.168.1.10");
    EXPECT_EQ(line.stratum, 2);
    EXPECT_DOUBLE_EQ(line.frequency, 14.862);
    EXPECT_DOUBLE_EQ(line.frequencyError, 0.031);
    EXPECT_DOUBLE_EQ(line.offset, -2.5e-5);
    EXPECT_EQ(line.leap, 'N');
    EXPECT_EQ(line.combinedSources, 2);
    EXPECT_DOUBLE_EQ(line.offsetDeviation, 2e-5);
    EXPECT_DOUBLE_EQ(line.remainingCorrection, -1e-6);
    EXPECT_DOUBLE_EQ(line.maxError, 3.1e-4);

    // The clock is 25 µs slow and runs 14.862 ppm fast: loopstats shows the corrections,
    // +0.025 ms and -14.862 ppm. One hour east of Greenwich shifts the time by 1/24 day.
    ChronySourceHistory polls;
    ChronyLoopRecord loop;
    ASSERT_TRUE(ChronyTrackingToLoop(line, -1.0 / 24, polls, loop));
    EXPECT_NEAR(loop.time, At(11, 15, 30), 1e-9);
    EXPECT_DOUBLE_EQ(loop.offset, 0.025);
    EXPECT_DOUBLE_EQ(loop.frequency, -14.862);
    EXPECT_DOUBLE_EQ(loop.jitter, 0.02);
    EXPECT_FALSE(loop.pollExponent.has_value()) << "no measurements: no poll";
}

TEST(ChronyLogLines, UnsynchronisedTrackingGivesNoRecord)
{
    ChronyTrackingLine line;
    ASSERT_TRUE(ParseChronyTrackingLine("2026-03-02 00:00:02 0.0.0.0          0     14.800      0.000  0.000e+00 ?  "
                                        "0  0.000e+00  0.000e+00  0.000e+00  0.000e+00  0.000e+00",
        line));
    EXPECT_EQ(line.leap, '?');
    EXPECT_EQ(line.reference, "0.0.0.0");
    ChronyLoopRecord loop;
    loop.offset = 7;
    EXPECT_FALSE(ChronyTrackingToLoop(line, 0, ChronySourceHistory(), loop));
    EXPECT_EQ(loop.offset, 7) << "a refused line leaves the record alone";
}

TEST(ChronyLogLines, MeasurementStatisticsAndRefclockFields)
{
    ChronyMeasurementLine m;
    ASSERT_TRUE(ParseChronyMeasurementLine(Measurement, m));
    EXPECT_DOUBLE_EQ(m.time, At(10, 15, 28));
    EXPECT_EQ(m.source, "192.168.1.10");
    EXPECT_EQ(m.stratum, 1);
    EXPECT_EQ(m.localPoll, 7);
    EXPECT_DOUBLE_EQ(m.offset, 3.2e-5);
    EXPECT_DOUBLE_EQ(m.peerDelay, 2.6e-4);
    EXPECT_DOUBLE_EQ(m.peerDispersion, 1.2e-5);
    EXPECT_DOUBLE_EQ(m.rootDispersion, 1.3e-4);

    ChronyStatisticsLine s;
    ASSERT_TRUE(ParseChronyStatisticsLine(Statistics, s));
    EXPECT_EQ(s.source, "192.168.1.10");
    EXPECT_DOUBLE_EQ(s.standardDeviation, 2.4e-5);
    EXPECT_EQ(s.samples, 32);
    EXPECT_EQ(s.runs, 17);

    ChronyRefclockLine raw;
    ASSERT_TRUE(ParseChronyRefclockLine(RefclockRaw, raw));
    EXPECT_NEAR(raw.time, At(10, 15, 30.000001), 1e-10);
    EXPECT_EQ(raw.refId, "PPS");
    EXPECT_FALSE(raw.filtered);
    EXPECT_EQ(raw.sequence, 3);
    EXPECT_EQ(raw.ppsFlag, 1);
    ASSERT_TRUE(raw.rawError.has_value());
    EXPECT_DOUBLE_EQ(*raw.rawError, 4.571521e-7);

    ChronyRefclockLine filtered;
    ASSERT_TRUE(ParseChronyRefclockLine(RefclockFiltered, filtered));
    EXPECT_DOUBLE_EQ(filtered.time, At(10, 15, 6.25));
    EXPECT_TRUE(filtered.filtered);
    EXPECT_FALSE(filtered.rawError.has_value());
    EXPECT_DOUBLE_EQ(filtered.cookedError, -5.91266e-7);
    EXPECT_DOUBLE_EQ(filtered.dispersion, 1.345e-6);
}

// Lines every parser must skip: banners, titles, wrong field counts, broken dates and
// numbers. Each is tried with all four parsers, so a line never sneaks in as another kind.
TEST(ChronyLogLines, RejectedLines)
{
    const auto replace = [](std::string line, const std::string& from, const std::string& to) {
        const auto at = line.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return line.replace(at, from.size(), to);
    };
    const std::vector<std::string> bad = {
        "",
        "   \t ",
        std::string(131, '='),
        "   Date (UTC) Time     IP Address   St   Freq ppm   Skew ppm     Offset L Co  Offset sd Rem. corr. "
        "Root delay Root disp. Max. error",
        "   Date (UTC) Time         Refid  DP L P  Raw offset   Cooked offset      Disp.",
        Tracking + " 1.0e-06", // 15 fields
        Tracking.substr(0, Tracking.rfind(' ')), // 13 fields, yet statistics has 13
        replace(Tracking, "14.862", "nan"),
        replace(Tracking, "14.862", "inf"),
        replace(Tracking, "-2.500e-05", "-2.5e999"), // overflows a double
        replace(Tracking, "14.862", "14,862"),
        replace(Tracking, " N ", " X "),
        replace(Tracking, "2026-03-02", "2026-02-29"), // not a leap year
        replace(Tracking, "2026-03-02", "2026-3-2"),
        replace(Tracking, "10:15:30", "24:00:00"),
        replace(Tracking, "10:15:30", "10:15:30."),
        replace(Measurement, "1.50", "1.5x"),
        replace(Measurement, " 7  7 ", " 7.5  7 "), // poll is an integer
        replace(Measurement, "2.600e-04", "NaN"),
        replace(Statistics, " 32 ", " -inf "),
        replace(Statistics, "2.400e-05", "+-2.4e-05"),
        replace(RefclockRaw, " 3 N 1 ", " - N 1 "), // half filtered
        replace(RefclockRaw, " 3 N 1 ", " 3 N 2 "), // PPS flag is 0 or 1
        replace(RefclockFiltered, "-5.912660e-07", "-"),
        replace(RefclockFiltered, "10:15:06.250000", "10:15:06,250000"),
    };
    for (const std::string& line : bad) {
        ChronyTrackingLine t;
        ChronyMeasurementLine m;
        ChronyStatisticsLine s;
        ChronyRefclockLine r;
        EXPECT_FALSE(ParseChronyTrackingLine(line, t)) << line;
        EXPECT_FALSE(ParseChronyMeasurementLine(line, m)) << line;
        EXPECT_FALSE(ParseChronyStatisticsLine(line, s)) << line;
        EXPECT_FALSE(ParseChronyRefclockLine(line, r)) << line;
    }
}

TEST(ChronyLogLines, BlanksTabsAndLineEnds)
{
    // Tabs and runs of blanks separate fields alike; a CR from a CR LF line end is a blank.
    std::string tabbed = Statistics;
    for (char& c : tabbed)
        if (c == ' ')
            c = '\t';
    for (const std::string& line : { Statistics + "\r", tabbed, "  " + Statistics + "  " }) {
        ChronyStatisticsLine s;
        EXPECT_TRUE(ParseChronyStatisticsLine(line, s)) << line;
        EXPECT_EQ(s.source, "192.168.1.10");
        EXPECT_DOUBLE_EQ(s.asymmetry, 0);
    }
}

TEST(ChronyLogLines, PollOfTheTrackedSourceAtOrBeforeTheUpdate)
{
    ChronySourceHistory polls;
    const auto measure = [&](const char* source, double time, int poll) {
        ChronyMeasurementLine m;
        m.source = source;
        m.time = time;
        m.localPoll = poll;
        AddPollOf(polls, m);
    };
    measure("192.168.1.10", At(10, 0, 0), 6);
    measure("192.0.2.123", At(10, 5, 0), 10);
    measure("192.168.1.10", At(10, 10, 0), 7);
    // Written later but stamped a little earlier: time runs backwards for a moment.
    measure("192.168.1.10", At(10, 8, 0), 8);
    measure("192.168.1.10", At(10, 20, 0), 9);

    ChronyTrackingLine line;
    ASSERT_TRUE(ParseChronyTrackingLine(Tracking, line));
    const struct
    {
        const char* reference;
        double time;
        std::optional<int> poll;
    } cases[] = {
        { "192.168.1.10", At(9, 59, 59), std::nullopt }, // before its first measurement
        { "192.168.1.10", At(10, 0, 0), 6 }, // at a measurement's time
        { "192.168.1.10", At(10, 7, 0), 6 }, { "192.168.1.10", At(10, 9, 0), 8 }, // the line stamped out of order
        { "192.168.1.10", At(10, 15, 30), 7 }, { "192.168.1.10", At(11, 0, 0), 9 },
        { "192.0.2.123", At(10, 15, 30), 10 }, // another source's own polls
        { "PPS", At(10, 15, 30), std::nullopt }, // a refclock has no measurements
        { "192.168.1.1", At(10, 15, 30), std::nullopt }, // a prefix of a source is not it
    };
    // Before sorting the lookup scans, after it bisects: both give the same answers.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& c : cases) {
            line.reference = c.reference;
            line.time = c.time;
            ChronyLoopRecord loop;
            ASSERT_TRUE(ChronyTrackingToLoop(line, 0, polls, loop));
            EXPECT_EQ(loop.pollExponent, c.poll) << c.reference << " pass " << pass << " at " << c.time;
        }
        polls.Sort();
    }
}

TEST(ChronySourceHistory, EqualTimesLastAddedWinsAndSortsMatchScans)
{
    ChronySourceHistory history;
    history.Add("A", 5, 1);
    history.Add("A", 3, 2);
    history.Add("A", 5, 3); // same time as the first: added later, so it counts
    history.Add("A", 4, 4);
    EXPECT_EQ(history.LatestAtOrBefore("A", 5), 3.0);
    history.Sort();
    EXPECT_EQ(history.LatestAtOrBefore("A", 5), 3.0);
    EXPECT_EQ(history.LatestAtOrBefore("A", 4.5), 4.0);
    EXPECT_EQ(history.LatestAtOrBefore("A", 2.9), std::nullopt);
    EXPECT_EQ(history.LatestAtOrBefore("B", 9), std::nullopt);
    EXPECT_EQ(history.SourceCount(), 1u);

    // Values added after a Sort, out of order again, are still found.
    history.Add("A", 4.2, 5);
    EXPECT_EQ(history.LatestAtOrBefore("A", 4.5), 5.0);
}

TEST(ChronyLogLines, PeerRecordsWithAndWithoutJitter)
{
    ChronySourceHistory jitters;
    // statistics.log, as written: the PPS line stamped before the NTP line above it.
    for (const std::string& text : { Statistics,
             std::string("2026-03-02 10:15:06 PPS              3.999e-07 -1.284e-06  4.999e-08 -2.737e-11  "
                         "8.399e-09 1.9e-01  64   0  35  0.00") }) {
        ChronyStatisticsLine s;
        ASSERT_TRUE(ParseChronyStatisticsLine(text, s));
        AddJitterOf(jitters, s);
    }
    jitters.Sort();

    ChronyMeasurementLine m;
    ASSERT_TRUE(ParseChronyMeasurementLine(Measurement, m));
    ChronyPeerRecord peer = ChronyMeasurementToPeer(m, 0, jitters);
    EXPECT_DOUBLE_EQ(peer.time, At(10, 15, 28));
    EXPECT_EQ(peer.address, "192.168.1.10");
    EXPECT_DOUBLE_EQ(peer.offset, 3.2e-5) << "theta keeps its sign: positive when the clock is slow";
    EXPECT_DOUBLE_EQ(peer.delay, 2.6e-4);
    EXPECT_DOUBLE_EQ(peer.dispersion, 1.2e-5);
    ASSERT_TRUE(peer.jitter.has_value());
    EXPECT_DOUBLE_EQ(*peer.jitter, 2.4e-5);

    // One second before its statistics line, the source has no jitter yet.
    m.time = At(10, 15, 27);
    EXPECT_FALSE(ChronyMeasurementToPeer(m, 0, jitters).jitter.has_value());
    // Nor has a source statistics.log never names.
    m.source = "192.0.2.123";
    EXPECT_FALSE(ChronyMeasurementToPeer(m, 0, jitters).jitter.has_value());

    ChronyRefclockLine filtered;
    ASSERT_TRUE(ParseChronyRefclockLine(RefclockFiltered, filtered));
    ASSERT_TRUE(ChronyRefclockToPeer(filtered, 1.0 / 24, jitters, peer));
    EXPECT_NEAR(peer.time, At(9, 15, 6.25), 1e-9);
    EXPECT_EQ(peer.address, "PPS");
    EXPECT_DOUBLE_EQ(peer.offset, -5.91266e-7);
    EXPECT_EQ(peer.delay, 0);
    EXPECT_DOUBLE_EQ(peer.dispersion, 1.345e-6);
    ASSERT_TRUE(peer.jitter.has_value()) << "the PPS statistics line at 10:15:06 precedes 10:15:06.25";
    EXPECT_DOUBLE_EQ(*peer.jitter, 3.999e-7);

    ChronyRefclockLine raw;
    ASSERT_TRUE(ParseChronyRefclockLine(RefclockRaw, raw));
    EXPECT_FALSE(ChronyRefclockToPeer(raw, 0, jitters, peer)) << "raw samples are not peer records";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The generator's logs through the parsers: every line is a record or a banner line, and
// the records connect as a reader would connect them.
TEST(ChronyLogLines, GeneratedLogsParseAndConnect)
{
    ChronyGenParams params;
    params.days = 2;
    params.ppsOutageStartHours = 20;
    params.ppsOutageHours = 2;
    const auto days = GenerateChronyLogs(params);

    ChronySourceHistory polls;
    ChronySourceHistory jitters;
    std::deque<std::string> trackingText; // the parsed lines' views point into it
    std::vector<ChronyTrackingLine> tracking;
    int records = 0;
    for (const auto& day : days) {
        for (const auto* text : { &day.tracking, &day.measurements, &day.statistics, &day.refclocks }) {
            for (const std::string& line : Lines(*text)) {
                ChronyTrackingLine t;
                ChronyMeasurementLine m;
                ChronyStatisticsLine s;
                ChronyRefclockLine r;
                const bool isTracking = ParseChronyTrackingLine(line, t);
                const bool isMeasurement = ParseChronyMeasurementLine(line, m);
                const bool isStatistics = ParseChronyStatisticsLine(line, s);
                const bool isRefclock = ParseChronyRefclockLine(line, r);
                if (!isTracking && !isMeasurement && !isStatistics && !isRefclock) {
                    EXPECT_TRUE(line.starts_with("===") || line.starts_with("   Date (UTC)")) << line;
                    continue;
                }
                ++records;
                // Each line is of its own log's kind only.
                ASSERT_EQ(isTracking, text == &day.tracking) << line;
                ASSERT_EQ(isMeasurement, text == &day.measurements) << line;
                ASSERT_EQ(isStatistics, text == &day.statistics) << line;
                ASSERT_EQ(isRefclock, text == &day.refclocks) << line;
                if (isMeasurement)
                    AddPollOf(polls, m);
                if (isStatistics)
                    AddJitterOf(jitters, s);
                if (isTracking) {
                    trackingText.push_back(line);
                    ASSERT_TRUE(ParseChronyTrackingLine(trackingText.back(), t));
                    tracking.push_back(t);
                }
            }
        }
    }
    EXPECT_GT(records, 10000);
    polls.Sort();
    jitters.Sort();

    int unsynchronised = 0, withPoll = 0, refclockReference = 0;
    for (const auto& t : tracking) {
        ChronyLoopRecord loop;
        if (!ChronyTrackingToLoop(t, 0, polls, loop)) {
            ++unsynchronised;
            continue;
        }
        EXPECT_LT(std::fabs(loop.offset), 1.0) << "under a millisecond";
        EXPECT_NEAR(loop.frequency, -14.8, 1);
        if (loop.pollExponent) {
            ++withPoll;
            EXPECT_GE(*loop.pollExponent, 6);
            EXPECT_LE(*loop.pollExponent, 10);
        } else {
            EXPECT_EQ(t.reference, "PPS");
            ++refclockReference;
        }
    }
    EXPECT_EQ(unsynchronised, params.unsynchronisedLines);
    EXPECT_GT(withPoll, 20) << "the LAN server at the start and in the PPS outage";
    EXPECT_GT(refclockReference, 500);
}

} // namespace
