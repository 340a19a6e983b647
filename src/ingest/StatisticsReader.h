#pragma once

#include "FileOrder.h"
#include "LineList.h"
#include "NameClaim.h"
#include "StatisticsSink.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The store a reader's files feed.
enum class StatisticsKind {
    Loop, // the loop store: offset, frequency, jitter and poll interval of the local clock
    Peer, // the peer records
    // Files that only complete other files' records (chrony's statistics.log gives peer
    // records their jitter): they start no store afresh and are named in no files hint.
    Supporting,
};

// A file's lines parsed ahead, on a loading thread, into what its reader's Read would
// store; each reader that parses ahead has its own kind.
struct ParsedStatistics
{
    virtual ~ParsedStatistics() = default;
};

// One input format: which file names it takes, how its text is recognised, how its
// files are ordered and how their text is parsed. Readers hold no state; one instance
// of each serves every reading. File discovery (StatisticsFiles) asks the readers in a
// fixed order; the first that claims a name, or recognises a text, reads the file.
//
// A new format is one more class: name claims and directory patterns for discovery,
// recognition for files whose names say nothing, and Read for the store of its kind.
class StatisticsReader
{
public:
    virtual ~StatisticsReader() = default;

    // A short name of the format, for tests and messages to developers ("ntpd loopstats").
    virtual QString FormatName() const = 0;
    virtual StatisticsKind Kind() const = 0;
    // The program that writes the format ("ntpd"). A directory is read by the readers of
    // one program: the first, in the readers' order, of which it holds a file.
    virtual QString Daemon() const { return QStringLiteral("ntpd"); }

    // Wildcard patterns ("*" matches any run, case ignored) of the file-name part that a
    // directory scan lists for this reader; only the names it then claims are read.
    virtual QStringList DirectoryPatterns() const = 0;
    // What path's file-name part says to this reader (the folder part says nothing).
    virtual NameClaim ExamineName(const QString& path) const = 0;
    // Whether a path given alone (on the command line, or as the only file chosen) is
    // opened when its name is not Unknown to every reader.
    virtual bool MarksSinglePath(const QString& path) const = 0;

    // Whether the text is in this reader's format, judged by its first few records. The
    // text may be only the start of a file (LoadStatisticsTextStart).
    virtual bool Recognises(const LineList& lines) const = 0;
    // Readers whose files' names do not give their order (rotated logs) return true and
    // give the first time stamp of a file's text; discovery then reads the first lines of
    // the file (LoadStatisticsTextStart) before ordering and puts FirstTime into
    // FileOrder::time. A text without a time stamp is read after the others of its name.
    virtual bool OrdersByText() const { return false; }
    virtual std::optional<double> FirstTime(const LineList& /*lines*/) const { return std::nullopt; }

    // Parses one file's lines into the store of Kind(). Lines that are not records are
    // skipped; nothing is reported. A reader whose records need other files of the reading
    // keeps them in the sink's pending logs, which the caller finishes when every file of
    // the reading has been read.
    virtual void Read(const LineList& lines, StatisticsSink& sink) const = 0;

    // Read in two steps, so that files loaded on other threads are parsed there too:
    // Parse (safe on any thread) gives what Read would store with the zone offset given,
    // and StoreParsed stores what this reader's Parse gave, as Read would have stored
    // the lines. A reader whose records need other files of the reading parses nothing
    // ahead (nullptr): its files are read with Read.
    virtual std::shared_ptr<const ParsedStatistics> Parse(const LineList& /*lines*/, double /*zoneOffset*/) const
    {
        return nullptr;
    }
    virtual void StoreParsed(const ParsedStatistics& /*parsed*/, StatisticsSink& /*sink*/) const { }
};
