#include "PeerCounting.h"

#include "PeerAddress.h"
#include "PeerRecordFields.h"

#include <algorithm>
#include <limits>
#include <optional>
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

// Counts lines per peer. A few peers are the rule and their lines interleave, so the
// address as first written is matched exactly in a short list; otherwise (another
// spelling, or very many peers) a hash of the case-folded address finds it, so even a
// file of garbage with a new "peer" on every line is counted in linear time.
class PeerTally
{
public:
    std::optional<std::size_t> Find(std::string_view address)
    {
        if (lastHit_ < entries_.size() && entries_[lastHit_].Address == address)
            return lastHit_;
        if (entries_.size() <= ExactScanLimit) {
            for (std::size_t i = 0; i < entries_.size(); ++i) {
                if (entries_[i].Address == address)
                    return lastHit_ = i;
            }
        }
        const auto it = byFoldedAddress_.find(Fold(address));
        if (it == byFoldedAddress_.end())
            return std::nullopt;
        return lastHit_ = it->second;
    }

    void AddLine(std::size_t index)
    {
        if (entries_[index].Count < std::numeric_limits<std::int32_t>::max())
            ++entries_[index].Count;
    }

    // A new peer with its first line.
    void AddPeer(std::string_view address)
    {
        lastHit_ = entries_.size();
        byFoldedAddress_.emplace(Fold(address), entries_.size());
        entries_.push_back({ std::string(address), 1 });
    }

    std::vector<PeerCount> TakeSortedByAddress()
    {
        std::sort(entries_.begin(), entries_.end(),
            [](const PeerCount& a, const PeerCount& b) { return PeerAddressLess(a.Address, b.Address); });
        return std::move(entries_);
    }

private:
    static constexpr std::size_t ExactScanLimit = 32;

    const std::string& Fold(std::string_view address)
    {
        folded_.assign(address);
        for (char& c : folded_) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        return folded_;
    }

    std::vector<PeerCount> entries_; // in the order first seen
    std::unordered_map<std::string, std::size_t> byFoldedAddress_;
    std::string folded_; // reused, so a lookup does not allocate
    std::size_t lastHit_ = 0;
};

bool DisplayedBefore(const PeerCount& a, const PeerCount& b)
{
    if (a.Count != b.Count)
        return a.Count > b.Count;
    return ComparePeerAddresses(a.Address, b.Address) > 0;
}
} // namespace

std::vector<PeerCount> CountPeerLines(
    std::span<const std::string_view> lines, bool lanOnly, const QStringList& selectedPeers)
{
    const PeerSelection selection(selectedPeers);
    PeerTally tally;
    for (const std::string_view line : lines) {
        const PeerRecordFields fields(line, 3);
        if (fields.Count() < 3)
            continue;
        const std::string_view address = fields.Field(3);
        if (lanOnly && !IsLanPeer(address))
            continue;
        if (const auto peer = tally.Find(address))
            tally.AddLine(*peer);
        else if (selection.Allows(address))
            tally.AddPeer(address);
    }
    return tally.TakeSortedByAddress();
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

double PeerWindowStart(std::span<const std::string_view> lines, int peerDays, double zoneOffset)
{
    if (peerDays <= 0)
        return 0;
    // A cut-off last line (a file being written) must not cancel the window, so look
    // back to the newest line whose time can be read.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const PeerRecordFields fields(*it, 2);
        if (const auto t = fields.Time(zoneOffset))
            return *t - peerDays;
    }
    return 0;
}
