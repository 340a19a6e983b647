#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finds a peer's index from its address, case-insensitively, without allocating: a list
// sorted by address searched by bisection, with the last hit tried first because a
// statistics file holds runs of lines from the same peer.
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
    struct Entry
    {
        std::string address;
        int index;
    };
    std::vector<Entry> entries_;
    mutable std::size_t lastHit_ = 0;
};
