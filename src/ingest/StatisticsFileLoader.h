#pragma once

#include "LineList.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>

// Gives the text lines of one statistics file, chosen by the name's extension alone:
// - ".gz": the first gzip member; on any failure lines is left as it was and name is not
//   appended to filesRead;
// - ".zip": lines is emptied; an archive of 7 entries or more is ignored; otherwise name
//   is appended to filesRead and every entry's lines are appended in archive order. An
//   unreadable archive or entry throws StatisticsReadError (lines already appended stay);
// - anything else: the plain file replaces lines and name is appended to filesRead;
//   a file that cannot be opened or read throws StatisticsReadError.
void LoadStatisticsFile(const QString& name, LineList& lines, QStringList& filesRead);

// One file's text as LoadStatisticsFile gives it, kept when a file is opened to recognise
// its format so that it is not read twice.
struct LoadedStatisticsFile
{
    LineList lines;
    bool named = false; // LoadStatisticsFile appended the name to its files read
    bool failed = false; // it threw: lines holds what was appended before the failure
    // The lines already parsed by their reader (StatisticsReader::Parse), when the loader
    // was asked to: on a thread of its own, so that the reading only stores them.
    std::shared_ptr<const struct ParsedStatistics> parsed;
};

// LoadStatisticsFile into a new list of lines, the failure caught.
LoadedStatisticsFile LoadStatisticsText(const QString& name);

// The first lines of a file, enough to recognise its format or find its first time
// stamp: of a plain file only its first plainBytes are read (up to the last line end in
// them), so a large file dropped among statistics files is not read whole to be refused.
// Compressed files are loaded as LoadStatisticsText does. Nothing when the file cannot
// be read.
inline constexpr std::size_t TextStartBytes = 64 * 1024;
LineList LoadStatisticsTextStart(const QString& name, std::size_t plainBytes = TextStartBytes);
