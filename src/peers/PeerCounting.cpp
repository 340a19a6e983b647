#include "PeerCounting.h"

#include "PeerAddress.h"

#include <algorithm>
#include <limits>
#include <span>
#include <unordered_map>

namespace {
// The selection, as UTF-8 addresses sorted for bisection.
class PeerSelection
{
public:
    explicit PeerSelection(const QStringList& selected)
    {
        for (const QString& address : selected)
            addresses_.push_back(address.toStdString());
        std::sort(addresses_.begin(), addresses_.end(), PeerAddressLess);
    }

    bool Allows(std::string_view address) const
    {
        if (addresses_.empty())
            return true;
        const auto it = std::lower_bound(addresses_.begin(), addresses_.end(), address,
            [](const std::string& s, std::string_view a) { return PeerAddressLess(s, a); });
        return it != addresses_.end() && SamePeerAddress(*it, address);
    }

private:
    std::vector<std::string> addresses_;
};

// ASCII letters in lower case: the key of a peer whatever the case of its address.
std::string Folded(std::string_view address)
{
    std::string folded(address);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return folded;
}

bool DisplayedBefore(const PeerCount& a, const PeerCount& b)
{
    if (a.Count != b.Count)
        return a.Count > b.Count;
    return ComparePeerAddresses(a.Address, b.Address) > 0;
}
} // namespace

std::vector<PeerCount> CountPeerRecords(const PeerRecordStore& records, bool lanOnly, const QStringList& selectedPeers)
{
    // Records per address as written, and where each address first occurs.
    const std::span<const std::uint32_t> peers = records.Peers();
    std::vector<std::int64_t> written(records.AddressCount(), 0);
    std::vector<std::size_t> firstRecord(records.AddressCount(), 0);
    for (std::size_t i = 0; i < peers.size(); ++i) {
        const std::uint32_t peer = peers[i];
        if (peer != PeerRecordStore::NoPeer && written[peer]++ == 0)
            firstRecord[peer] = i;
    }
    std::vector<std::uint32_t> order;
    for (std::uint32_t peer = 0; peer < written.size(); ++peer) {
        if (written[peer] > 0)
            order.push_back(peer);
    }
    std::sort(
        order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return firstRecord[a] < firstRecord[b]; });

    // The spellings of a peer in the order they first occur: the first that passes the
    // filters names the peer, and the records of every spelling that passes count for it.
    // (The filters do not depend on case, so all spellings of a peer pass or none.)
    const PeerSelection selection(selectedPeers);
    std::vector<PeerCount> counts;
    std::vector<std::int64_t> totals;
    std::unordered_map<std::string, std::size_t> byFoldedAddress;
    for (const std::uint32_t peer : order) {
        const std::string& address = records.Address(peer);
        if (lanOnly && !IsLanPeer(address))
            continue;
        std::string folded = Folded(address);
        if (const auto it = byFoldedAddress.find(folded); it != byFoldedAddress.end()) {
            totals[it->second] += written[peer];
        } else if (selection.Allows(address)) {
            byFoldedAddress.emplace(std::move(folded), counts.size());
            counts.push_back({ address, 0 });
            totals.push_back(written[peer]);
        }
    }
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i].Count = std::int32_t(std::min<std::int64_t>(totals[i], std::numeric_limits<std::int32_t>::max()));
    std::sort(counts.begin(), counts.end(),
        [](const PeerCount& a, const PeerCount& b) { return PeerAddressLess(a.Address, b.Address); });
    return counts;
}

void KeepBusiestPeers(std::vector<PeerCount>& counts, std::size_t maximum)
{
    if (counts.size() <= maximum)
        return;
    std::nth_element(counts.begin(), counts.begin() + std::ptrdiff_t(maximum), counts.end(), DisplayedBefore);
    counts.resize(maximum);
    std::sort(counts.begin(), counts.end(),
        [](const PeerCount& a, const PeerCount& b) { return PeerAddressLess(a.Address, b.Address); });
}

std::vector<std::string> PeerDisplayOrder(const std::vector<PeerCount>& counts)
{
    std::vector<const PeerCount*> order;
    order.reserve(counts.size());
    for (const PeerCount& c : counts)
        order.push_back(&c);
    std::stable_sort(
        order.begin(), order.end(), [](const PeerCount* a, const PeerCount* b) { return DisplayedBefore(*a, *b); });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (const PeerCount* c : order)
        names.push_back(c->Address);
    return names;
}

double PeerWindowStart(const PeerRecordStore& records, int peerDays, double zoneOffset)
{
    if (peerDays <= 0)
        return 0;
    // A cut-off last line (a file being written) must not cancel the window, so look
    // back to the newest record whose time can be read.
    const std::span<const std::uint8_t> flags = records.Flags();
    for (std::size_t i = flags.size(); i-- > 0;) {
        if (flags[i] & PeerRecordStore::HasTime) {
            const double t = records.UtcTimes()[i] - zoneOffset;
            return t - peerDays;
        }
    }
    return 0;
}
