#include "PeerAddress.h"

#include <algorithm>

namespace {
unsigned char Fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
} // namespace

int ComparePeerAddresses(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = Fold(a[i]);
        const unsigned char y = Fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool PeerAddressLess(std::string_view a, std::string_view b)
{
    return ComparePeerAddresses(a, b) < 0;
}

bool SamePeerAddress(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ComparePeerAddresses(a, b) == 0;
}

bool IsLanPeer(std::string_view address)
{
    return address.starts_with("127.127.") || address.starts_with("192.168.");
}
