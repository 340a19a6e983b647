#pragma once

#include "FileReading.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// Loading of gzip-compressed statistics files (RFC 1952). Only the first member is
// decoded; data after its trailer is ignored.

// Reads the whole file and decodes its first gzip member into buffer (replacing its
// content). Returns the number of bytes in buffer. Throws EZDecompressionError when the
// file cannot be read or is not a valid gzip file: bad or truncated header, damaged
// deflate data, missing trailer, wrong CRC-32 or length, or an output larger than
// MaxStatisticsBytes or 1000 times the compressed size. The output is watched as it grows:
// such a file is refused without ever holding more than the bound.
std::size_t LoadGzipFile(const QString& name, std::string& buffer);

// The decoding step of LoadGzipFile, on bytes already in memory, with maxBytes in place
// of MaxStatisticsBytes.
std::size_t DecodeGzipMember(std::string_view data, std::string& buffer, std::size_t maxBytes = MaxStatisticsBytes);
