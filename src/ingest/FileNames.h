#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// Names of statistics files: their parts, their kind, and which names a list accepts.
// The path separator is "/".

// The part after the last separator (the whole name when there is none).
QString FileNamePart(const QString& path);
// The part up to and including the last separator; empty when there is none.
QString FolderPart(const QString& path);
// From the last "." of the file-name part, dot included; empty when there is none.
QString FileExtension(const QString& path);
// path with a separator appended unless it already ends in one.
QString WithTrailingSeparator(const QString& path);

// The file-name part, upper-cased, begins with "LOOP" / "PEER".
bool IsLoopFile(const QString& name);
bool IsPeerFile(const QString& name);

// The date number of a name in a list: its extension (or, for ".gz", the extension
// beneath it) without the dot, as a decimal 32-bit integer; 0 when it is not one.
std::int32_t ListDateNumber(const QString& name);
// A list accepts a name whose date number is greater than 19600000.
bool IsAcceptedListName(const QString& name);
// A single path is read as a statistics file when its file-name part, lower-cased,
// contains "loops.2", "loopstats", "peers.2" or "peerstats".
bool HasStatisticsMarker(const QString& path);

// The short directory label of chart titles: one trailing separator removed, only the
// last element kept, a leading letter a-z upper-cased.
QString AbbreviateDirectoryLabel(const QString& label);

// Whether name matches pattern, where "*" matches any run of characters; case is ignored.
bool MatchesWildcard(const QString& name, const QString& pattern);

// pattern is a folder followed by a file-name pattern with "*". Adds to names the folder
// followed by the name of every entry of that folder that matches (hidden entries and
// sub-directories included). names ends sorted ignoring case, without duplicates. A
// folder that cannot be listed, or that vanishes while it is listed, adds nothing.
void ListMatchingFiles(const QString& pattern, QStringList& names);
