// chronyd's log lines: every line through all four line parsers, the measurements' polls
// and the statistics' deviations into their per-source histories, and the tracking,
// measurement and refclock lines mapped to loop and peer records with them, as a reader
// of a directory of chrony logs would. Then the same text as each of the four logs
// through the readers: recognition, the first time stamp, and a reading's loop records
// and peer lines, checked against the mappings above.

#include "ChronyLogLines.h"
#include "ChronyLogSet.h"
#include "FuzzCheck.h"
#include "LineList.h"
#include "LoopStore.h"
#include "PeerRecordStore.h"
#include "StatisticsNumber.h"
#include "StatisticsReaders.h"
#include "StatisticsSink.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool Finite(double value)
{
    return std::isfinite(value);
}

// A text field is a non-empty part of its line.
bool Within(std::string_view field, std::string_view line)
{
    return !field.empty() && field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size();
}

// Day numbers of years 0000 to 9999, all the date fields can spell.
bool PlausibleTime(double time)
{
    return time > -700000 && time < 3000000;
}

struct Entry
{
    std::string source;
    double time;
    double value;
};

// The answer the history must give, found the slow way.
std::optional<double> Slowly(const std::vector<Entry>& entries, std::string_view source, double time)
{
    const Entry* best = nullptr;
    for (const Entry& e : entries)
        if (e.source == source && e.time <= time && (!best || e.time >= best->time))
            best = &e;
    return best ? std::optional<double>(best->value) : std::nullopt;
}

void CheckPeer(const ChronyPeerRecord& peer, std::string_view line, const std::vector<Entry>& jitters,
    const ChronySourceHistory& history, double utcTime)
{
    FuzzCheck(Within(peer.address, line), "the peer address is part of its line");
    FuzzCheck(Finite(peer.time) && Finite(peer.offset) && Finite(peer.delay) && Finite(peer.dispersion),
        "peer values are finite");
    FuzzCheck(!peer.jitter || Finite(*peer.jitter), "a peer jitter is finite");
    FuzzCheck(peer.jitter == history.LatestAtOrBefore(peer.address, utcTime), "the jitter is the history's");
    if (jitters.size() < 2000)
        FuzzCheck(peer.jitter == Slowly(jitters, peer.address, utcTime), "the jitter is the latest at or before");
}

// A peer record as the readers make it: a peer, a time, and offset, delay and dispersion
// that are numbers; the jitter a number or none.
void CheckPeerRecords(const PeerRecordStore& records)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint8_t flags = records.Flags()[i];
        FuzzCheck(records.Peers()[i] != PeerRecordStore::NoPeer, "a peer record names its peer");
        FuzzCheck(flags & PeerRecordStore::HasTime, "a peer record has its time");
        FuzzCheck(flags & PeerRecordStore::HasValues, "a peer record's values are numbers");
        for (const std::span<const double> column : { records.Offsets(), records.Delays(), records.Dispersions() })
            FuzzCheck(std::isfinite(column[i]), "a peer record's values are finite");
        if (flags & PeerRecordStore::HasJitter)
            FuzzCheck(std::isfinite(records.Jitters()[i]), "a jitter is finite");
    }
}

// The text as each log, through the readers and one reading's set of logs.
void ThroughTheReaders(
    std::string_view text, const std::vector<std::optional<std::int32_t>>& trackingPolls, std::size_t peerRecords)
{
    LineList lines;
    lines.appendText(std::string(text));
    const StatisticsReader* readers[]
        = { &ChronyTracking(), &ChronyMeasurements(), &ChronyStatistics(), &ChronyRefclocks() };
    for (const StatisticsReader* reader : readers) {
        reader->Recognises(lines);
        const std::optional<double> first = reader->FirstTime(lines);
        FuzzCheck(!first || PlausibleTime(*first), "a first time stamp is a time");
    }

    LoopStore loop;
    loop.StartAfresh();
    PeerRecordStore peers;
    double latestTime = 0;
    ChronyLogSet set;
    StatisticsSink sink { loop, latestTime, peers, 0, &set };
    // Statistics after the records they complete, as a directory's order has them.
    for (const StatisticsReader* reader : readers)
        reader->Read(lines, sink);
    set.Finish(loop, peers);
    FuzzCheck(set.Empty(), "a finished set is empty");

    // Lines of LineList and of the split above differ only at CRs; a record of one is a
    // record of the other unless a CR made the difference, which the generous bounds allow.
    FuzzCheck(static_cast<std::size_t>(loop.PointCounts[0]) <= lines.size(), "at most one loop record a line");
    FuzzCheck(peers.size() <= 2 * lines.size(), "at most one peer record a line of each log");
    const auto stored = static_cast<std::size_t>(loop.PointCounts[0]);
    for (std::size_t i = 0; i < stored; ++i)
        FuzzCheck(std::isfinite(loop.LoopTimes[0][i]) && std::isfinite(loop.LoopOffsets[0][i]),
            "stored loop values are finite");
    if (text.find('\r') == std::string_view::npos) {
        FuzzCheck(stored == trackingPolls.size(), "every tracking record stored");
        for (std::size_t i = 0; i < stored && i < trackingPolls.size(); ++i)
            FuzzCheck(loop.LoopPollExponents[0][i] == trackingPolls[i].value_or(LoopStore::NoPollExponent),
                "each record has the poll its mapping gives");
        FuzzCheck(peers.size() == peerRecords, "every peer record written");
    }
    CheckPeerRecords(peers);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    // First pass: parse, check what each parser promises, fill the histories.
    std::vector<ChronyTrackingLine> tracking;
    std::vector<std::pair<ChronyMeasurementLine, std::string_view>> measurements;
    std::vector<std::pair<ChronyRefclockLine, std::string_view>> refclocks;
    std::vector<Entry> polls, jitters;
    ChronySourceHistory pollHistory, jitterHistory;
    for (const std::string_view line : lines) {
        ChronyTrackingLine t;
        ChronyMeasurementLine m;
        ChronyStatisticsLine s;
        ChronyRefclockLine r;
        const int kinds = ParseChronyTrackingLine(line, t) + ParseChronyMeasurementLine(line, m)
            + ParseChronyStatisticsLine(line, s) + ParseChronyRefclockLine(line, r);
        FuzzCheck(kinds <= 1, "a line is of one log's kind at most");
        if (ParseChronyTrackingLine(line, t)) {
            FuzzCheck(Within(t.reference, line) && PlausibleTime(t.time), "tracking reference and time");
            FuzzCheck(Finite(t.frequency) && Finite(t.offset) && Finite(t.offsetDeviation) && Finite(t.maxError),
                "tracking values are finite");
            FuzzCheck(t.leap == 'N' || t.leap == '+' || t.leap == '-' || t.leap == '?', "tracking leap status");
            tracking.push_back(t);
        }
        if (ParseChronyMeasurementLine(line, m)) {
            FuzzCheck(Within(m.source, line) && PlausibleTime(m.time), "measurement source and time");
            FuzzCheck(Finite(m.offset) && Finite(m.peerDelay) && Finite(m.peerDispersion), "measurement values");
            AddPollOf(pollHistory, m);
            polls.push_back({ std::string(m.source), m.time, static_cast<double>(m.localPoll) });
            measurements.emplace_back(m, line);
        }
        if (ParseChronyStatisticsLine(line, s)) {
            FuzzCheck(Within(s.source, line) && PlausibleTime(s.time), "statistics source and time");
            FuzzCheck(Finite(s.standardDeviation) && Finite(s.estimatedOffset), "statistics values");
            AddJitterOf(jitterHistory, s);
            jitters.push_back({ std::string(s.source), s.time, s.standardDeviation });
        }
        if (ParseChronyRefclockLine(line, r)) {
            FuzzCheck(Within(r.refId, line) && PlausibleTime(r.time), "refclock id and time");
            FuzzCheck(r.filtered == !r.rawError.has_value(), "a raw error exactly on raw samples");
            FuzzCheck(Finite(r.cookedError) && Finite(r.dispersion), "refclock values");
            refclocks.emplace_back(r, line);
        }
    }

    // Lookups before sorting scan, after it bisect; the answers must not change. The
    // input's length decides whether the maps are made before or after sorting.
    const bool sortFirst = size % 2 == 1;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1 || sortFirst) {
            pollHistory.Sort();
            jitterHistory.Sort();
        }
        const double zoneOffset = size % 3 == 0 ? 0.0 : -1.0 / 24.0;
        for (std::size_t i = 0; i < tracking.size(); ++i) {
            ChronyLoopRecord loop;
            const bool mapped = ChronyTrackingToLoop(tracking[i], zoneOffset, pollHistory, loop);
            FuzzCheck(mapped || tracking[i].leap == '?' || std::fabs(tracking[i].offset) > 1e300
                    || std::fabs(tracking[i].offsetDeviation) > 1e300,
                "only unsynchronised or overflowing tracking lines give no loop record");
            if (!mapped)
                continue;
            FuzzCheck(tracking[i].leap != '?', "an unsynchronised line gives no loop record");
            FuzzCheck(Finite(loop.time) && Finite(loop.offset) && Finite(loop.frequency) && Finite(loop.jitter),
                "loop values are finite");
            const auto poll = pollHistory.LatestAtOrBefore(tracking[i].reference, tracking[i].time);
            FuzzCheck(loop.pollExponent.has_value() == poll.has_value(), "a poll exactly when there is one");
            if (polls.size() < 2000) {
                const auto expected = Slowly(polls, tracking[i].reference, tracking[i].time);
                FuzzCheck(expected == poll, "the poll is the latest at or before");
                FuzzCheck(!loop.pollExponent || *loop.pollExponent == static_cast<std::int32_t>(*expected),
                    "the record's poll is the looked-up one");
            }
        }
        for (const auto& [m, line] : measurements)
            CheckPeer(ChronyMeasurementToPeer(m, zoneOffset, jitterHistory), line, jitters, jitterHistory, m.time);
        for (const auto& [r, line] : refclocks) {
            ChronyPeerRecord peer;
            const bool mapped = ChronyRefclockToPeer(r, zoneOffset, jitterHistory, peer);
            FuzzCheck(mapped == r.filtered, "only filtered refclock samples are peer records");
            if (mapped) {
                FuzzCheck(peer.delay == 0, "a refclock has no delay");
                CheckPeer(peer, line, jitters, jitterHistory, r.time);
            }
        }
    }

    std::vector<std::optional<std::int32_t>> trackingPolls;
    for (const ChronyTrackingLine& t : tracking) {
        ChronyLoopRecord loop;
        if (ChronyTrackingToLoop(t, 0, pollHistory, loop))
            trackingPolls.push_back(loop.pollExponent);
    }
    std::size_t peerRecords = measurements.size();
    for (const auto& [r, line] : refclocks)
        peerRecords += r.filtered;
    ThroughTheReaders(text, trackingPolls, peerRecords);
    return 0;
}
