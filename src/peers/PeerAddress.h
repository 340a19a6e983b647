#pragma once

#include <string_view>

// Peer addresses are compared without regard to the case of ASCII letters (IPv6 hex
// digits may come in either case); other bytes compare as they are, so the order is the
// same in every locale.
int ComparePeerAddresses(std::string_view a, std::string_view b);
bool PeerAddressLess(std::string_view a, std::string_view b);
bool SamePeerAddress(std::string_view a, std::string_view b);

// Whether the "LAN peerstats" filter lets a peer through: reference clocks (127.127.t.u)
// and addresses in 192.168.0.0/16.
bool IsLanPeer(std::string_view address);
