#pragma once

#include "LineList.h"
#include "StatisticsFileLoader.h"

#include <QString>

#include <cstdint>
#include <optional>

// What is known of a statistics file as it was read, so that a later reading can tell
// whether it is the same file unchanged, the same plain file with lines appended, or
// anything else (which is read again).
struct FileStamp
{
    // The identity and times below describe exactly the bytes that were read: the file
    // did not change while it was read. Without it the file never counts as unchanged.
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0; // bytes read (plain files), the file's size (compressed files)
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    // Plain files only: whether bytes appended later read as the same lines on their own
    // as at the end of the whole text. That needs a text ending with a line feed (so the
    // last line was complete and no CR LF is split), no NUL (which ends the text) and no
    // UTF-16 byte order mark.
    bool appendable = false;
    // Hashes of the first and of the last up to GrowthCheckBytes bytes read, so that a
    // file rewritten in place is not taken for one that grew.
    std::uint64_t headHash = 0;
    std::uint64_t tailHash = 0;
};

inline constexpr std::int64_t GrowthCheckBytes = 4096;

// One file's text as LoadStatisticsText gives it, with its stamp.
struct StampedText
{
    LoadedStatisticsFile text;
    FileStamp stamp;
};

// LoadStatisticsText, stamping the file as read.
StampedText LoadStampedText(const QString& name);

// Whether the file at name is still the one stamped, unchanged.
bool IsUnchanged(const QString& name, const FileStamp& stamp);

// The lines appended to a plain file since it was stamped, and its new stamp; nothing
// when the file is not provably the stamped one grown (another file, rewritten, cut short,
// unchanged, not appendable, or now too large to be read), so that it must be read
// again whole.
struct AppendedText
{
    LineList lines;
    FileStamp stamp;
};
std::optional<AppendedText> ReadAppendedText(const QString& name, const FileStamp& stamp);

// Files loaded whole by LoadStampedText, appended texts given by ReadAppendedText and the
// bytes it read for them, since the program started (tests check with them that a grown
// file is not read whole).
struct StampedReadCounts
{
    std::uint64_t wholeFiles = 0;
    std::uint64_t appendedTexts = 0;
    std::uint64_t appendedBytesRead = 0;
};
StampedReadCounts StampedReads();
