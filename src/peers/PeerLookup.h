#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finds a peer's index from its address, case-insensitively, without allocating: the
// last hit first, then (for a short list) an exact match, then a bisection of the list
// sorted by address.
class PeerLookup
{
public:
    static constexpr int NotFound = -1;

    PeerLookup() = default;
    // Index i of addresses is the index Find returns for it. Addresses equal but for
    // case keep the first index.
    explicit PeerLookup(const std::vector<std::string>& addresses);

    int Find(std::string_view address) const;
    std::size_t Size() const { return entries_.size(); }

private:
    static constexpr std::size_t ExactScanLimit = 32;

    struct Entry
    {
        std::string address;
        int index;
    };
    std::vector<Entry> entries_;
    mutable std::size_t lastHit_ = 0;
};
