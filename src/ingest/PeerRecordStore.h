#pragma once

#include "LineList.h"
#include "MappedColumn.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The peer records of the files read, parsed once as each file is read, in file order.
// Every peerstats line is one record, whatever it holds, so the peer statistics see
// exactly what the lines said:
// - the peer: the index of field 3 in the table of addresses (spelled as written), or
//   NoPeer for a line of fewer than three fields;
// - the time, when fields 1 and 2 read as a day and a number: the UTC day number
//   (DateTimeFromMjd); the zone offset is subtracted when the statistics are built;
// - the values of fields 5 to 8 (offset, delay, dispersion, jitter, in seconds) and
//   whether they are usable: all four numbers, or the first three of a record that has
//   no jitter (made by another format's reader), or not usable at all.
// Records are held column by column, so a year of them costs 45 bytes each, in columns
// that grow without copying (MappedColumn).
class PeerRecordStore
{
public:
    static constexpr std::uint32_t NoPeer = 0xFFFFFFFF;
    // What a record takes (without the room the columns keep for growing).
    static constexpr std::size_t BytesPerRecord = 1 + 4 + 5 * 8;

    enum Flag : std::uint8_t {
        HasTime = 1,
        // Offset, delay and dispersion are numbers, and the jitter is one too (HasJitter)
        // or the record has none.
        HasValues = 2,
        HasJitter = 4,
    };

    std::size_t size() const { return flags_.size(); }
    bool empty() const { return flags_.empty(); }
    // Names the store's history: the same while records are only appended, another after
    // anything else (clearing, truncating, copying or moving, for both stores), so that a
    // record once seen at an index is the same record for as long as the history is.
    std::uint64_t History() const { return history_.id; }
    // Forgets every record and address.
    void clear();
    // Keeps the first count records (the addresses stay in the table).
    void truncate(std::size_t count);
    // For a last reading of every record, front to back, after which the store is
    // cleared: gives the memory of the first count records back to the system as far as
    // whole huge pages hold them, so that what the reading fills can take it. Those
    // records must not be read again (their values read as zeros).
    void DiscardFront(std::size_t count);

    // One peerstats line: "MJD seconds address status offset delay dispersion jitter",
    // fields separated by single spaces (PeerRecordFields).
    void appendLine(std::string_view line);
    void appendLines(const LineList& lines);
    // Every record of other after these, as if its lines had been appended here.
    void append(const PeerRecordStore& other);
    // A record of another format: Modified Julian Day and seconds of day (UTC), the peer,
    // and its values in seconds; no jitter for a record that has none. A value that is not
    // finite makes the record unusable, as it would be read from a line.
    void appendRecord(std::int32_t mjd, double secondsOfDay, std::string_view address, double offset, double delay,
        double dispersion, std::optional<double> jitter);

    std::span<const std::uint8_t> Flags() const { return flags_; }
    std::span<const std::uint32_t> Peers() const { return peers_; }
    std::span<const double> UtcTimes() const { return times_; }
    std::span<const double> Offsets() const { return offsets_; }
    std::span<const double> Delays() const { return delays_; }
    std::span<const double> Dispersions() const { return dispersions_; }
    std::span<const double> Jitters() const { return jitters_; }

    std::size_t AddressCount() const { return addresses_.size(); }
    const std::string& Address(std::uint32_t peer) const { return addresses_[peer]; }
    // Whether every record of the address that has values has them all (a jitter too)
    // within what a chart in milliseconds can hold, or none of them: a chart without a
    // threshold then shows each of its records on all four charts or on none. (Records
    // taken off by truncate may still count against it.)
    bool PointsAlike(std::uint32_t peer) const { return !mixedPoints_[peer]; }
    // Whether a value in seconds can be shown at all on a chart in milliseconds.
    static bool FitsMilliseconds(double seconds) { return std::isfinite(seconds * 1000.0); }

private:
    static constexpr std::size_t ShortList = 16;

    // An address as its length and its first and last eight bytes: keys that differ are
    // different addresses, and equal keys of addresses of up to 16 bytes equal ones.
    struct AddressKey
    {
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        std::size_t size = 0;
        bool operator==(const AddressKey&) const = default;
    };
    static AddressKey KeyOf(std::string_view address);

    // A line whose eight fields all read as they should, the usual kind, read in one
    // pass; false, with nothing stored, for any other line.
    bool AppendCompleteLine(std::string_view line);
    std::uint32_t PeerIndex(std::string_view address);
    void Push(std::uint8_t flags, std::uint32_t peer, double time, double offset, double delay, double dispersion,
        double jitter);

    void Reserve(std::size_t count);

    struct HistoryId
    {
        HistoryId() = default;
        HistoryId(const HistoryId&) { }
        HistoryId(HistoryId&& other) noexcept { other.Renew(); }
        HistoryId& operator=(const HistoryId&)
        {
            Renew();
            return *this;
        }
        HistoryId& operator=(HistoryId&& other) noexcept
        {
            Renew();
            other.Renew();
            return *this;
        }
        void Renew() { id = Next(); }
        static std::uint64_t Next();

        std::uint64_t id = Next();
    };

    HistoryId history_;
    MappedColumn<std::uint8_t> flags_;
    MappedColumn<std::uint32_t> peers_;
    MappedColumn<double> times_;
    MappedColumn<double> offsets_;
    MappedColumn<double> delays_;
    MappedColumn<double> dispersions_;
    MappedColumn<double> jitters_;

    std::vector<std::string> addresses_;
    std::vector<AddressKey> shortListKeys_; // of the first ShortList addresses
    std::vector<std::uint8_t> mixedPoints_; // per address: not PointsAlike
    std::unordered_map<std::string, std::uint32_t> peerOf_;
    std::string key_; // reused, so a lookup does not allocate
    std::uint32_t lastPeer_ = NoPeer;
};
