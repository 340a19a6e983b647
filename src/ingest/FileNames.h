#pragma once

#include "FileOrder.h"
#include "NameClaim.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

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
// ntpd's files are named by the period they hold: a day (yyyymmdd: a name the list
// accepts, above), an ISO week (yyyyWww, "W" in either case, the week one or two digits),
// a month (yyyymm) or a year (yyyy), years from 1960, optionally followed by ".gz".
// Returns the name's place in the reading order: a day file's text is its whole path;
// for the other periods the period is written as the date it starts on (a week on its
// Monday) and ".gz" is left out, and rank puts a year before a month before a week
// before a day that start on the same date. Names in no such form give nothing.
std::optional<FileOrder> NtpFileOrder(const QString& path);

// What an ntpd statistics name says to the reader of one kind; hasKindPrefix tells
// whether the file-name part begins with that kind's prefix (IsLoopFile, IsPeerFile).
// A name in a period form is Claimed with its kind's prefix and Foreign without it (the
// files of ntpd's other statistics); a name in no period form is Family with the prefix
// and Unknown without it.
NameClaim NtpNameClaim(const QString& path, bool hasKindPrefix);

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
