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

bool IsReferenceClockName(std::string_view address)
{
    if (address.starts_with("127.127."))
        return true;
    if (address.empty() || address.find_first_of(".:") != std::string_view::npos)
        return false;
    const auto isNameCharacter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    };
    // NTPsec: a driver name and the unit in parentheses.
    if (const std::size_t open = address.find('('); open != std::string_view::npos) {
        const std::string_view name = address.substr(0, open);
        const std::string_view unit = address.substr(open + 1);
        return !name.empty() && std::all_of(name.begin(), name.end(), isNameCharacter) && unit.size() >= 2
            && unit.back() == ')'
            && std::all_of(unit.begin(), unit.end() - 1, [](char c) { return c >= '0' && c <= '9'; });
    }
    // chrony: a reference id of up to four printable characters.
    return address.size() <= 4
        && std::all_of(address.begin(), address.end(), [](char c) { return c > ' ' && c < 127; });
}

bool IsLanPeer(std::string_view address)
{
    return address.starts_with("192.168.") || IsReferenceClockName(address);
}
