#pragma once

#include <string_view>

// Peer addresses are compared without regard to the case of ASCII letters (IPv6 hex
// digits may come in either case); other bytes compare as they are, so the order is the
// same in every locale.
int ComparePeerAddresses(std::string_view a, std::string_view b);
bool PeerAddressLess(std::string_view a, std::string_view b);
bool SamePeerAddress(std::string_view a, std::string_view b);

// Whether the "LAN peerstats" filter lets a peer through: reference clocks and addresses
// in 192.168.0.0/16.
bool IsLanPeer(std::string_view address);

// Whether a peer is a reference clock by its name: ntpd's pseudo-address 127.127.t.u,
// NTPsec's "NAME(unit)" (SHM(0), NMEA(1)) and chrony's reference ids (PPS, GPS, NMEA,
// SHM0: one to four characters). Network peers are always written as numeric addresses,
// which hold a "." or a ":", so a name without either is a reference clock.
bool IsReferenceClockName(std::string_view address);
