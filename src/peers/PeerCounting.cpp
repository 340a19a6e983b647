#include "PeerCounting.h"

#include "PeerAddress.h"
#include "PeerRecordFields.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace
{
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
                                         [](const std::string& s, std::string_view a) {
                                             return PeerAddressLess(s, a);
                                         });
        return it != addresses_.end() && SamePeerAddress(*it, address);
    }

private:
    std::vector<std::string> addresses_;
};

constexpr std::size_t ExactScanLimit = 32;

std::optional<std::size_t> FindExact(const std::vector<PeerCount>& counts,
                                     std::string_view address, std::size_t lastHit)
{
    if (lastHit < counts.size() && counts[lastHit].Address == address)
        return lastHit;
    if (counts.size() > ExactScanLimit)
        return std::nullopt;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i].Address == address)
            return i;
    }
    return std::nullopt;
}

void AddOne(std::int32_t& count)
{
    if (count < std::numeric_limits<std::int32_t>::max())
        ++count;
}
}  // namespace

std::vector<PeerCount> CountPeerLines(std::span<const std::string_view> lines, bool lanOnly,
                                      const QStringList& selectedPeers)
{
    const PeerSelection selection(selectedPeers);
    std::vector<PeerCount> counts;
    std::size_t lastHit = 0;
    for (const std::string_view line : lines) {
        const PeerRecordFields fields(line, 3);
        if (fields.Count() < 3)
            continue;
        const std::string_view address = fields.Field(3);
        if (lanOnly && !IsLanPeer(address))
            continue;
        // The lines of a few peers interleave: an exact match of the address as first
        // written is cheaper than a case-insensitive bisection.
        if (const auto exact = FindExact(counts, address, lastHit)) {
            AddOne(counts[*exact].Count);
            lastHit = *exact;
            continue;
        }
        const auto it = std::lower_bound(counts.begin(), counts.end(), address,
                                         [](const PeerCount& c, std::string_view a) {
                                             return PeerAddressLess(c.Address, a);
                                         });
        if (it != counts.end() && SamePeerAddress(it->Address, address)) {
            AddOne(it->Count);
            lastHit = static_cast<std::size_t>(it - counts.begin());
        } else if (selection.Allows(address)) {
            const auto added = counts.insert(it, PeerCount{std::string(address), 1});
            lastHit = static_cast<std::size_t>(added - counts.begin());
        }
    }
    return counts;
}

std::vector<std::string> PeerDisplayOrder(const std::vector<PeerCount>& counts)
{
    std::vector<const PeerCount*> order;
    order.reserve(counts.size());
    for (const PeerCount& c : counts)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const PeerCount* a, const PeerCount* b) {
        if (a->Count != b->Count)
            return a->Count > b->Count;
        return ComparePeerAddresses(a->Address, b->Address) > 0;
    });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (const PeerCount* c : order)
        names.push_back(c->Address);
    return names;
}

double PeerWindowStart(std::span<const std::string_view> lines, int peerDays,
                       double zoneOffset)
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
