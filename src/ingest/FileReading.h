#pragma once

#include <QString>

#include <cstddef>
#include <string>

// Largest file or decompressed member the program holds in memory. Statistics files are
// a few MB a day; anything near this is damaged or hostile, and refusing it keeps the
// program from running out of memory.
inline constexpr std::size_t MaxStatisticsBytes = std::size_t{2} << 30; // 2 GiB

// Whether name is an existing regular file (or a link to one). FIFOs, devices and
// directories are never statistics files: reading them could block or never end.
bool IsRegularFile(const QString& name);

// Reads the whole regular file into memory, as much as it holds when opened (a file
// another program is appending to is read with what is there). Throws
// StatisticsReadError when the file cannot be opened or read, is not a regular file, or
// is larger than maxBytes.
std::string ReadRegularFile(const QString& name, std::size_t maxBytes = MaxStatisticsBytes);
