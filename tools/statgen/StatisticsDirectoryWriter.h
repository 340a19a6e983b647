#pragma once

#include "StatGenParams.h"

#include <string>
#include <string_view>
#include <vector>

// data as one gzip member (no file name, modification time 0).
std::string GzipCompressed(std::string_view data);
// Writes data as a gzip file (one member, no file name, modification time 0, so the
// same data always gives the same bytes). Throws std::runtime_error on failure.
void WriteGzipFile(const std::string& path, std::string_view data);
// Writes data as a plain file. Throws std::runtime_error on failure.
void WritePlainFile(const std::string& path, std::string_view data);

// Writes loopstats.YYYYMMDD and peerstats.YYYYMMDD for every day of params into
// directory (created if needed), ".gz" appended for the days in params.gzipDays.
// One day is held in memory at a time. Returns the paths written, in day order.
std::vector<std::string> WriteStatisticsDirectory(const std::string& directory, const StatGenParams& params);
