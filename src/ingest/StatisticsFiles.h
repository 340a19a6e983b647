#pragma once

#include "ChronyLogSet.h"
#include "FileOrder.h"
#include "FileStamp.h"
#include "LineList.h"
#include "LoopStore.h"
#include "NameClaim.h"
#include "PeerRecordStore.h"
#include "StatisticsFileLoader.h"
#include "StatisticsReader.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Everything the main window knows about the statistics files it has read: what was
// opened last (so it can be read again), the loop store and the collected peer records.
// A plain object owned by the main window; the operations take their other inputs
// (zone offset, abbreviation check box) from the fields the caller sets.
//
// Files are read by the readers (StatisticsReader): a name that a reader claims is read
// by it; a name that says nothing to any reader is read by the reader that recognises
// its text. Each kind (loop, peer) is started afresh by the first file of that kind in a
// reading.
//
// A reading of ntpd's files remembers what each file was and what it added, so that
// reading the same names again (a reload) reads only the files that are new or changed,
// and of a plain file that only grew only the lines appended; the result is always that
// of reading every file afresh. Files to read are loaded on the global thread pool, a
// few ahead of the parsing, which stays in file order.
class StatisticsFiles
{
public:
    // With the program's readers (StandardStatisticsReaders).
    StatisticsFiles();
    // With other readers, asked in this order; they must outlive this object.
    explicit StatisticsFiles(std::vector<const StatisticsReader*> readers);

    // Inputs set by the caller.
    double ZoneOffset = 0; // days subtracted from every UTC time stamp
    QString ZoneLabel = QStringLiteral("UTC");
    bool AbbreviateDirectoryName = true;
    // Whether what the loading threads freed goes back to the system after a reading. A
    // run that ends once its files are written keeps it instead: the charts it builds
    // next reuse those pages, which costs less than faulting fresh ones in again.
    bool ReturnFreedMemory = true;

    // File state.
    QString LastPath;
    QStringList FileList;
    QString SingleFileName;
    QString DirectoryLabel;
    QStringList LoopFilesRead;
    QString LoopDirectory;
    QStringList PeerFilesRead;
    QStringList SelectedPeers;
    bool HavePeerData = false;

    // Loop statistics.
    LoopStore Loop;
    LineList LoopFileLines;
    double LatestTime = 0;
    bool JitterScaleChosen = false;

    // Peer statistics: every record of the peer files read, in file order.
    PeerRecordStore PeerRecords;

    // Caption text set by the last list or directory read; empty until then.
    QString Caption;

    void OpenPath(const QString& path);
    void OpenFileList(const QStringList& names);
    void RereadLastOpened();
    // One file of ntpd's loopstats / peerstats, whatever its name.
    void ReadLoopFile(const QString& name, bool first);
    void ReadPeerFile(const QString& name, bool first);
    // One file with the given reader, into the store of the reader's kind; first starts
    // that kind afresh. Records that need other files (chrony's) wait for FinishReading.
    void ReadFile(const StatisticsReader& reader, const QString& name, bool first);
    // Connects what the readers of a reading left pending (chrony's polls and jitters)
    // and stores it. OpenPath, OpenFileList and RereadLastOpened do it themselves.
    void FinishReading();

private:
    // A name on its way to being read: the reader that reads it (none for a name a list
    // accepts but no reader reads), its place in the order, and, for a path given alone,
    // its text when it was read already to recognise its format.
    struct PendingFile
    {
        QString name;
        const StatisticsReader* reader = nullptr;
        FileOrder order;
        std::optional<LoadedStatisticsFile> text;
    };

    void ScanPath(const QString& path);
    void ReadSinglePath(const QString& path, const PendingFile& file);
    // The reader of a path given alone; marked tells whether a reader's marker is in
    // its name. No reader when the path is not to be read.
    PendingFile SinglePathFile(const QString& path, bool marked) const;
    std::vector<PendingFile> AcceptListNames(const QStringList& names) const;
    // The files of a directory that the readers of one program claim: the first program,
    // in the readers' order, of which the directory holds a file.
    std::vector<PendingFile> ListDirectory(const QString& directory) const;
    // The reading steps shared by OpenFileList and the directory scan. A scan leaves
    // FileList alone and, when it accepts no name, changes nothing at all.
    void ReadPendingFiles(std::vector<PendingFile> files, bool fromScan);
    void ReadWith(const StatisticsReader& reader, const QString& name, bool first, const LoadedStatisticsFile* text);

    // One file with a reader in a reading: what it was and what it added to its kind's
    // store (loop records, peer entries), for the next reading to keep or take back.
    struct FileRecord
    {
        QString name;
        const StatisticsReader* reader = nullptr;
        bool read = false; // a regular file when read; the others add nothing
        FileStamp stamp;
        bool named = false; // its name went into the files read of its kind
        bool loaded = false; // its text was loaded (sets LoopDirectory)
        std::size_t entries = 0;
        std::optional<double> latest; // the "up to" time its last line gave
    };
    // A reading's files and the state it left, which the next reading builds on only if
    // nothing else changed it since and the parse inputs are the same. LatestTime is not
    // part of it: the peer rebuild raises it, and a reading sets it from what its files
    // gave, or leaves it as it found it, whether it reads them all or not.
    struct ReadingRecord
    {
        std::vector<FileRecord> files;
        double zoneOffset = 0;
        bool abbreviate = true;
        std::int32_t loopDataSets = 0;
        std::int32_t loopPoints = 0;
        std::size_t loopFileLines = 0;
        std::size_t peerEntries = 0;
        QStringList loopFilesRead;
        QStringList peerFilesRead;
        bool havePeerData = false;
    };
    // Reads the sorted files, building on the last reading where it can.
    void ReadChangedFiles(const std::vector<PendingFile>& files);
    // What reading some lines of a file added: entries of its kind's store and, for a
    // loop file, the time its last line gave.
    struct Added
    {
        std::size_t entries = 0;
        std::optional<double> latest;
    };
    // Runs read, which reads lines into the store of the kind (started afresh when
    // startsAfresh), and tells what it added; LatestTime is as read leaves it, or as it
    // was when the lines' last line set no time.
    Added Measure(StatisticsKind kind, bool startsAfresh, const std::function<void()>& read);
    // ReadWith for one file of a recorded reading, filling in what it added.
    void ReadRecorded(FileRecord& record, bool first, const LoadedStatisticsFile& text);
    // Appends the lines a file gained to its kind's store; it is that kind's last file.
    void AppendRecorded(FileRecord& record, AppendedText appended);
    ReadingRecord RecordReading(std::vector<FileRecord> files) const;
    bool StateIsAsRecorded(const ReadingRecord& reading) const;

    std::optional<ReadingRecord> lastReading_;

    // What a name says to the readers: Claimed by the first that claims it (reader is
    // that one); otherwise Family when it is of some reader's family (reader is the
    // first such), else Foreign when some reader calls it so, else Unknown.
    NameClaim ExamineName(const QString& path, const StatisticsReader*& reader) const;
    // The first reader that recognises the text; nullptr when none does.
    const StatisticsReader* RecognisingReader(const LineList& lines) const;
    // For readers that order their files by text: sets the file's time from the first
    // lines of its text. The text is not kept: a list or a directory may name months of
    // files, and each is read in its turn.
    static void OrderByText(PendingFile& file);

    std::vector<const StatisticsReader*> readers_;
    ChronyLogSet chrony_;
};
