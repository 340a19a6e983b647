#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Small helpers that make statistics files for the ingestion tests.

void WriteBytes(const QString& path, std::string_view bytes);
std::string ReadBytes(const QString& path);
// data as a single gzip member (as gzip(1) would write it, without a name).
std::string GzipBytes(std::string_view data);
// A ZIP archive of the entries (name, content), deflated, in the given order.
void WriteZip(const QString& path, const std::vector<std::pair<std::string, std::string>>& entries);
// n loop statistics lines of day mjd, one a minute from 00:00, each valid.
std::string LoopLines(int n, int mjd = 61000);
// n peer statistics lines of day mjd, one a minute from 00:00, each valid, from one peer.
std::string PeerLines(int n, int mjd = 61000);
