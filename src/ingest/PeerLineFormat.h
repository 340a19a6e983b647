#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Peer records of other formats are handed to the peer statistics as peerstats lines:
// "MJD seconds address status offset delay dispersion jitter", so that counting,
// selection, windows, charts and the table treat them exactly as ntpd's.

// Written in place of the jitter of a record that has none. It is a byte that never
// occurs in text read from a file (every file is decoded to valid UTF-8, in which 0xFF
// cannot appear), so no ntpd line can be mistaken for a record without jitter.
inline constexpr std::string_view NoJitterField = "\xFF";

// Appends one peerstats line and its line end to text. Numbers are written in the
// shortest form that reads back as the same double, so the peer statistics see exactly
// the values the reader had; the status is written as 0.
void AppendPeerLine(std::string& text, std::int32_t mjd, double secondsOfDay, std::string_view address, double offset,
    double delay, double dispersion, std::optional<double> jitter);
