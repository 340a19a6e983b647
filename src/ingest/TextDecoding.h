#pragma once

#include <string>

// Turns the raw bytes of a statistics file into UTF-8 text:
// - a UTF-8 byte-order mark is dropped;
// - a UTF-16 little- or big-endian byte-order mark selects UTF-16 (an odd last byte is
//   ignored, unpaired surrogates become U+FFFD);
// - without a mark the bytes are in the locale's 8-bit encoding, which on this platform
//   is UTF-8; bytes that do not form valid UTF-8 are each taken as Latin-1, so a file
//   written in a legacy code page still reads and nothing is lost or rejected.
// The first NUL character ends the text. The input is consumed; plain ASCII, the usual
// case, is returned without a copy.
std::string DecodeStatisticsText(std::string&& bytes);
