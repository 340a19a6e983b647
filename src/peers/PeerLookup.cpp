#include "PeerLookup.h"

#include "PeerAddress.h"

#include <algorithm>

PeerLookup::PeerLookup(const std::vector<std::string>& addresses)
{
    entries_.reserve(addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i)
        entries_.push_back({ addresses[i], static_cast<int>(i) });
    std::stable_sort(entries_.begin(), entries_.end(),
        [](const Entry& a, const Entry& b) { return PeerAddressLess(a.address, b.address); });
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                       [](const Entry& a, const Entry& b) { return SamePeerAddress(a.address, b.address); }),
        entries_.end());
}

int PeerLookup::Find(std::string_view address) const
{
    if (entries_.empty())
        return NotFound;
    if (lastHit_ < entries_.size() && entries_[lastHit_].address == address)
        return entries_[lastHit_].index;
    // Lines of a handful of peers interleave, and addresses come as first written: an
    // exact match of a short list is cheaper than a case-insensitive bisection.
    if (entries_.size() <= ExactScanLimit) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].address == address) {
                lastHit_ = i;
                return entries_[i].index;
            }
        }
    }
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), address,
        [](const Entry& e, std::string_view a) { return PeerAddressLess(e.address, a); });
    if (it == entries_.end() || !SamePeerAddress(it->address, address))
        return NotFound;
    lastHit_ = static_cast<std::size_t>(it - entries_.begin());
    return it->index;
}
