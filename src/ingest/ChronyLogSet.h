#pragma once

#include "ChronyLogLines.h"
#include "LineList.h"
#include "LoopStore.h"
#include "PeerRecordStore.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What chrony's readers gather from the files of one reading, until the reading ends.
//
// chrony's logs depend on each other: a tracking line takes its poll from the latest
// measurements line of its reference, and a peer record its jitter from the latest
// statistics line of its source, and those lines may be in any file of the reading. So
// each file is parsed as it is read, and Finish connects them once every file is in:
// - tracking lines go into the loop store at once (the store's order is the files'
//   order, as for ntpd), without a poll; Finish gives each its poll;
// - measurements and filtered refclock samples wait as peer records; Finish gives them
//   their jitter (none before the source's first statistics line) and appends them to
//   the peer records.
//
// Lines that are not records of their log (banners, column titles, damaged lines) are
// skipped. Lines out of time order are kept in the order of their files; only the
// histories that answer the poll and jitter lookups are sorted by time.
class ChronyLogSet
{
public:
    // Forgets everything gathered: the start of a reading.
    void Clear();
    bool Empty() const;

    // One file of each log. zoneOffset (days) is subtracted from the loop records' times;
    // a tracking file is stored in data set 0 of loop (which must have one, or the file is
    // ignored), and latestTime follows its last line when that line is a record.
    void AddTracking(const LineList& lines, double zoneOffset, LoopStore& loop, double& latestTime);
    void AddMeasurements(const LineList& lines);
    void AddStatistics(const LineList& lines);
    void AddRefclocks(const LineList& lines);

    // Gives the loop records stored by AddTracking their polls (records of loop that are
    // no longer there, because the store was started afresh since, are left alone), and
    // appends the peer records to peers: the measurements' and the refclocks' records
    // merged by time, each kind in the order of its files. Then forgets everything.
    void Finish(LoopStore& loop, PeerRecordStore& peers);

    // A refclock line's sequence field is "-" only on a filtered sample: the one line per
    // poll that becomes a peer record. Raw samples, most of the file, are passed over
    // without being parsed.
    static bool IsFilteredRefclockLine(std::string_view line);

private:
    struct PendingPoll
    {
        std::int32_t index; // in data set 0 of the loop store
        std::uint32_t source; // the tracking line's reference
        double time; // day number, UTC
    };
    struct PendingPeer
    {
        double time; // day number, UTC
        std::int32_t mjd;
        double secondsOfDay;
        std::uint32_t source;
        double offset;
        double delay;
        double dispersion;
    };

    std::uint32_t SourceId(std::string_view name);
    void AddPeer(const ChronyPeerRecord& record, std::vector<PendingPeer>& to);
    void AppendPeer(const PendingPeer& peer, PeerRecordStore& peers) const;

    std::vector<std::string> sources_;
    std::map<std::string, std::uint32_t, std::less<>> sourceIds_;
    ChronySourceHistory polls_;
    ChronySourceHistory jitters_;
    std::vector<PendingPoll> pendingPolls_;
    std::vector<PendingPeer> measurements_;
    std::vector<PendingPeer> refclocks_;
};
