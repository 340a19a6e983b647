#include "PeerRecordStore.h"

#include "DateTime.h"
#include "PeerRecordFields.h"
#include "StatisticsNumber.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

std::uint64_t PeerRecordStore::HistoryId::Next()
{
    static std::atomic<std::uint64_t> next { 1 };
    return next.fetch_add(1);
}

void PeerRecordStore::clear()
{
    history_.Renew();
    flags_.clear();
    peers_.clear();
    times_.clear();
    offsets_.clear();
    delays_.clear();
    dispersions_.clear();
    jitters_.clear();
    addresses_.clear();
    shortListKeys_.clear();
    mixedPoints_.clear();
    peerOf_.clear();
    lastPeer_ = NoPeer;
}

void PeerRecordStore::truncate(std::size_t count)
{
    if (count >= size())
        return;
    history_.Renew();
    flags_.truncate(count);
    peers_.truncate(count);
    times_.truncate(count);
    offsets_.truncate(count);
    delays_.truncate(count);
    dispersions_.truncate(count);
    jitters_.truncate(count);
}

void PeerRecordStore::DiscardFront(std::size_t count)
{
    flags_.DiscardFront(count);
    peers_.DiscardFront(count);
    times_.DiscardFront(count);
    offsets_.DiscardFront(count);
    delays_.DiscardFront(count);
    dispersions_.DiscardFront(count);
    jitters_.DiscardFront(count);
}

void PeerRecordStore::Reserve(std::size_t count)
{
    // Room for a file at once, doubling at least: a year is read a day at a time.
    if (count <= flags_.capacity())
        return;
    const std::size_t room = std::max(count, 2 * flags_.capacity());
    flags_.reserve(room);
    peers_.reserve(room);
    times_.reserve(room);
    offsets_.reserve(room);
    delays_.reserve(room);
    dispersions_.reserve(room);
    jitters_.reserve(room);
}

PeerRecordStore::AddressKey PeerRecordStore::KeyOf(std::string_view address)
{
    AddressKey key;
    key.size = address.size();
    if (address.size() >= sizeof key.head) {
        std::memcpy(&key.head, address.data(), sizeof key.head);
        std::memcpy(&key.tail, address.data() + address.size() - sizeof key.tail, sizeof key.tail);
    } else if (!address.empty()) { // an empty view may have no data at all
        std::memcpy(&key.head, address.data(), address.size());
    }
    return key;
}

std::uint32_t PeerRecordStore::PeerIndex(std::string_view address)
{
    // A few peers whose lines interleave are the rule: the last one found first, then a
    // short list, told apart by their keys; the hash keeps a file with a new "peer" on
    // every line linear.
    const AddressKey key = KeyOf(address);
    const auto isShortListed = [&](std::uint32_t peer) {
        return shortListKeys_[peer] == key && (key.size <= 2 * sizeof key.head || addresses_[peer] == address);
    };
    if (lastPeer_ < shortListKeys_.size() ? isShortListed(lastPeer_)
                                          : lastPeer_ < addresses_.size() && addresses_[lastPeer_] == address)
        return lastPeer_;
    if (addresses_.size() <= ShortList) {
        for (std::uint32_t peer = 0; peer < addresses_.size(); ++peer) {
            if (isShortListed(peer))
                return lastPeer_ = peer;
        }
    }
    key_.assign(address);
    const auto [it, added] = peerOf_.try_emplace(key_, std::uint32_t(addresses_.size()));
    if (added) {
        addresses_.push_back(key_);
        if (shortListKeys_.size() < ShortList)
            shortListKeys_.push_back(key);
        mixedPoints_.push_back(0);
    }
    return lastPeer_ = it->second;
}

void PeerRecordStore::Push(
    std::uint8_t flags, std::uint32_t peer, double time, double offset, double delay, double dispersion, double jitter)
{
    // Every column has its room before any is written, so a failure to grow leaves them
    // all as long as they were.
    Reserve(size() + 1);
    if (peer != NoPeer && (flags & HasValues)) {
        const int points = int(FitsMilliseconds(offset)) + int(FitsMilliseconds(delay))
            + int(FitsMilliseconds(dispersion)) + int((flags & HasJitter) && FitsMilliseconds(jitter));
        if (points != 0 && points != 4)
            mixedPoints_[peer] = 1;
    }
    flags_.push_back(flags);
    peers_.push_back(peer);
    times_.push_back(time);
    offsets_.push_back(offset);
    delays_.push_back(delay);
    dispersions_.push_back(dispersion);
    jitters_.push_back(jitter);
}

bool PeerRecordStore::AppendCompleteLine(std::string_view line)
{
    // Each number must fill its field: it ends at a space (the last may end the line).
    const char* p = line.data();
    const char* const end = p + line.size();
    std::int32_t day = 0;
    double seconds = 0;
    p = ParseIntegerPrefix(p, end, day);
    if (!p || p == end || *p != ' ')
        return false;
    p = ParseNumberPrefix(p + 1, end, seconds);
    if (!p || p == end || *p != ' ')
        return false;
    const char* const address = p + 1;
    const char* const addressEnd = std::find(address, end, ' ');
    if (addressEnd == end)
        return false;
    p = std::find(addressEnd + 1, end, ' '); // the end of the status, which is not used
    std::array<double, 4> values {};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (p == end)
            return false;
        p = ParseNumberPrefix(p + 1, end, values[i]);
        if (!p || (p != end && *p != ' '))
            return false;
    }
    const std::uint32_t peer = PeerIndex(std::string_view(address, static_cast<std::size_t>(addressEnd - address)));
    Push(HasTime | HasValues | HasJitter, peer, DateTimeFromMjd(day, seconds), values[0], values[1], values[2],
        values[3]);
    return true;
}

void PeerRecordStore::appendLine(std::string_view line)
{
    if (AppendCompleteLine(line))
        return;
    const PeerRecordFields fields(line);
    std::uint8_t flags = 0;
    const std::uint32_t peer = fields.Count() >= 3 ? PeerIndex(fields.Field(3)) : NoPeer;
    const std::optional<double> time = fields.Time(0);
    if (time)
        flags |= HasTime;
    const std::optional<double> offset = fields.Value(5);
    const std::optional<double> delay = fields.Value(6);
    const std::optional<double> dispersion = fields.Value(7);
    const std::optional<double> jitter = fields.Value(8);
    if (offset && delay && dispersion && jitter)
        flags |= HasValues | HasJitter;
    Push(flags, peer, time.value_or(0), offset.value_or(0), delay.value_or(0), dispersion.value_or(0),
        jitter.value_or(0));
}

void PeerRecordStore::appendLines(const LineList& lines)
{
    Reserve(size() + lines.size());
    for (const std::string_view line : lines)
        appendLine(line);
}

void PeerRecordStore::append(const PeerRecordStore& other)
{
    // Other's addresses in the order it met them, so the table grows as it would have
    // from its lines.
    std::vector<std::uint32_t> peerOf(other.addresses_.size());
    for (std::uint32_t peer = 0; peer < peerOf.size(); ++peer)
        peerOf[peer] = PeerIndex(other.addresses_[peer]);
    Reserve(size() + other.size());
    for (std::uint32_t peer = 0; peer < peerOf.size(); ++peer)
        mixedPoints_[peerOf[peer]] |= other.mixedPoints_[peer];
    flags_.append(other.flags_);
    for (const std::uint32_t peer : other.Peers())
        peers_.push_back(peer == NoPeer ? NoPeer : peerOf[peer]);
    times_.append(other.times_);
    offsets_.append(other.offsets_);
    delays_.append(other.delays_);
    dispersions_.append(other.dispersions_);
    jitters_.append(other.jitters_);
}

void PeerRecordStore::appendRecord(std::int32_t mjd, double secondsOfDay, std::string_view address, double offset,
    double delay, double dispersion, std::optional<double> jitter)
{
    // What a peerstats line written with these numbers (each in the shortest form that
    // reads back as the same double) would give: a number that is not finite would not
    // read back as one.
    std::uint8_t flags = 0;
    if (std::isfinite(secondsOfDay))
        flags |= HasTime;
    if (std::isfinite(offset) && std::isfinite(delay) && std::isfinite(dispersion)) {
        if (!jitter)
            flags |= HasValues;
        else if (std::isfinite(*jitter))
            flags |= HasValues | HasJitter;
    }
    Push(flags, PeerIndex(address), (flags & HasTime) ? DateTimeFromMjd(mjd, secondsOfDay) : 0, offset, delay,
        dispersion, jitter.value_or(0));
}
