#pragma once

#include <QString>

#include <cstddef>
#include <string>

// Largest statistics file the program holds in memory, as read or once decompressed
// (a plain file, a gzip member, a ZIP entry). A busy server's peerstats come to a few MB
// a day, so a month in one file still fits; anything larger is damaged or hostile and is
// refused as unreadable before its memory is spent.
inline constexpr std::size_t MaxStatisticsBytes = std::size_t { 256 } << 20; // 256 MiB

// Whether name is an existing regular file (or a link to one). FIFOs, devices and
// directories are never statistics files: reading them could block or never end.
bool IsRegularFile(const QString& name);

// Reads the whole regular file into memory, as much as it holds when opened (a file
// another program is appending to is read with what is there). Throws
// StatisticsReadError when the file cannot be opened or read, is not a regular file, or
// is larger than maxBytes.
std::string ReadRegularFile(const QString& name, std::size_t maxBytes = MaxStatisticsBytes);

// Grows buffer to newSize bytes (zero-filled past its first `keep` bytes, which it keeps)
// with no more capacity than that: a plain resize may double the capacity, which near
// MaxStatisticsBytes would reserve twice the largest file we agreed to hold.
void GrowBuffer(std::string& buffer, std::size_t keep, std::size_t newSize);

// Grows a buffer being filled, of which the size is not known, to newSize keeping its
// first keep bytes. The first time it grows it takes address space for bound bytes at
// once, so that growing never copies again nor holds an old and a new buffer together:
// the system gives memory only to the pages written. A gzip bomb refused at the bound has
// used the bound, not one and a half times it.
void GrowTowardsBound(std::string& buffer, std::size_t keep, std::size_t newSize, std::size_t bound);
// Gives back what a buffer grown by GrowTowardsBound holds beyond its size, when that is
// worth a copy.
void ReleaseSpareRoom(std::string& buffer);
