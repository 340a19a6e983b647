#include "ChronyLogSet.h"

#include <limits>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

void ChronyLogSet::Clear()
{
    sources_.clear();
    sourceIds_.clear();
    polls_ = {};
    jitters_ = {};
    pendingPolls_.clear();
    measurements_.clear();
    refclocks_.clear();
}

bool ChronyLogSet::Empty() const
{
    return pendingPolls_.empty() && measurements_.empty() && refclocks_.empty() && polls_.SourceCount() == 0
        && jitters_.SourceCount() == 0;
}

std::uint32_t ChronyLogSet::SourceId(std::string_view name)
{
    // A handful of sources is the rule; a damaged file may name a new one on every line,
    // and the map keeps that linear in the lines all the same.
    if (const auto found = sourceIds_.find(name); found != sourceIds_.end())
        return found->second;
    const auto id = static_cast<std::uint32_t>(sources_.size());
    sources_.emplace_back(name);
    sourceIds_.emplace(sources_.back(), id);
    return id;
}

void ChronyLogSet::AddTracking(const LineList& lines, double zoneOffset, LoopStore& loop, double& latestTime)
{
    if (loop.DataSetCount == 0)
        return;
    const std::size_t lineCount = lines.size();
    const std::int32_t stored = loop.PointCounts[0];
    if (lineCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - stored))
        return;
    // As for loopstats: the arrays grow once per file, by its number of lines.
    loop.Lengthen(lineCount);
    double* times = loop.LoopTimes[0].data();
    double* offsets = loop.LoopOffsets[0].data();
    double* frequencies = loop.LoopFrequencies[0].data();
    double* jitters = loop.LoopJitters[0].data();
    std::int32_t* polls = loop.LoopPollExponents[0].data();

    const ChronySourceHistory noPolls;
    std::int32_t count = stored;
    for (std::size_t i = 0; i < lineCount; ++i) {
        ChronyTrackingLine line;
        ChronyLoopRecord record;
        if (!ParseChronyTrackingLine(lines[i], line) || !ChronyTrackingToLoop(line, zoneOffset, noPolls, record))
            continue;
        times[count] = record.time;
        offsets[count] = record.offset;
        frequencies[count] = record.frequency;
        jitters[count] = record.jitter;
        polls[count] = LoopStore::NoPollExponent;
        pendingPolls_.push_back({ count, SourceId(line.reference), line.time });
        if (i + 1 == lineCount)
            latestTime = record.time;
        ++count;
    }
    loop.PointCounts[0] = count;
}

void ChronyLogSet::AddMeasurements(const LineList& lines)
{
    const ChronySourceHistory noJitters;
    for (const std::string_view text : lines) {
        ChronyMeasurementLine line;
        if (!ParseChronyMeasurementLine(text, line))
            continue;
        AddPollOf(polls_, line);
        AddPeer(ChronyMeasurementToPeer(line, 0, noJitters), measurements_);
    }
}

void ChronyLogSet::AddStatistics(const LineList& lines)
{
    for (const std::string_view text : lines) {
        ChronyStatisticsLine line;
        if (ParseChronyStatisticsLine(text, line))
            AddJitterOf(jitters_, line);
    }
}

bool ChronyLogSet::IsFilteredRefclockLine(std::string_view line)
{
    // The fourth field, after the date, the time and the reference id.
    std::size_t i = 0;
    for (int field = 0; field < 3; ++field) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
    }
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i + 1 < line.size() && line[i] == '-' && IsBlank(line[i + 1]);
}

void ChronyLogSet::AddRefclocks(const LineList& lines)
{
    const ChronySourceHistory noJitters;
    for (const std::string_view text : lines) {
        if (!IsFilteredRefclockLine(text))
            continue;
        ChronyRefclockLine line;
        ChronyPeerRecord record;
        if (ParseChronyRefclockLine(text, line) && ChronyRefclockToPeer(line, 0, noJitters, record))
            AddPeer(record, refclocks_);
    }
}

void ChronyLogSet::AddPeer(const ChronyPeerRecord& record, std::vector<PendingPeer>& to)
{
    // Made with no zone offset: the time is UTC, as the lookups and peerstats want it.
    to.push_back({ record.time, record.mjd, record.secondsOfDay, SourceId(record.address), record.offset, record.delay,
        record.dispersion });
}

void ChronyLogSet::AppendPeer(const PendingPeer& peer, PeerRecordStore& peers) const
{
    const std::string& source = sources_[peer.source];
    peers.appendRecord(peer.mjd, peer.secondsOfDay, source, peer.offset, peer.delay, peer.dispersion,
        jitters_.LatestAtOrBefore(source, peer.time));
}

void ChronyLogSet::Finish(LoopStore& loop, PeerRecordStore& peers)
{
    polls_.Sort();
    jitters_.Sort();

    if (loop.DataSetCount > 0) {
        std::int32_t* polls = loop.LoopPollExponents[0].data();
        for (const PendingPoll& pending : pendingPolls_) {
            if (pending.index >= loop.PointCounts[0])
                continue;
            if (const auto poll = polls_.LatestAtOrBefore(sources_[pending.source], pending.time))
                polls[pending.index] = static_cast<std::int32_t>(*poll);
        }
    }

    if (!measurements_.empty() || !refclocks_.empty()) {
        // Merged by time so that the first peer record is the oldest and the last the
        // newest, as in peerstats (the window of -N days counts back from the last record).
        // A clock step back within one log keeps that log's order.
        std::size_t m = 0;
        std::size_t r = 0;
        while (m < measurements_.size() || r < refclocks_.size()) {
            const bool takeRefclock
                = m == measurements_.size() || (r < refclocks_.size() && refclocks_[r].time < measurements_[m].time);
            AppendPeer(takeRefclock ? refclocks_[r++] : measurements_[m++], peers);
        }
    }
    Clear();
}
