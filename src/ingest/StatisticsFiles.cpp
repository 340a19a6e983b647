#include "StatisticsFiles.h"

#include "Captions.h"
#include "FileNames.h"
#include "FileReading.h"
#include "LoopLineParser.h"
#include "StatisticsFileLoader.h"
#include "TallimerVersion.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

bool IsDirectory(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

void StatisticsFiles::OpenPath(const QString& path)
{
    LastPath = path;
    FileList.clear();
    if (path.isEmpty()) {
        DirectoryLabel.clear();
        return;
    }
    if (IsDirectory(WithTrailingSeparator(path)) || HasStatisticsMarker(path))
        ScanPath(path);
}

void StatisticsFiles::ScanPath(const QString& path)
{
    DirectoryLabel.clear();
    if (IsRegularFile(path)) {
        if (IsPeerFile(path))
            ReadPeerFile(path, true);
        if (IsLoopFile(path))
            ReadLoopFile(path, true);
        SingleFileName = path;
        DirectoryLabel = FolderPart(path);
    } else if (const QString directory = WithTrailingSeparator(path); IsDirectory(directory)) {
        DirectoryLabel = directory;
        SingleFileName.clear();
        QStringList names;
        ListMatchingFiles(directory + QStringLiteral("loop*.2*"), names);
        ReadFileList(names, true);
        names.clear();
        ListMatchingFiles(directory + QStringLiteral("peer*.2*"), names);
        ReadFileList(names, true);
    }
    if (!DirectoryLabel.isEmpty() && AbbreviateDirectoryName)
        DirectoryLabel = AbbreviateDirectoryLabel(DirectoryLabel);
}

void StatisticsFiles::OpenFileList(const QStringList& names)
{
    if (names.size() == 1 && IsDirectory(names.front())) {
        const QString directory = names.front(); // names may be FileList, which OpenPath empties
        OpenPath(directory);
        return;
    }
    ReadFileList(names, false);
}

void StatisticsFiles::ReadFileList(const QStringList& names, bool fromScan)
{
    QStringList accepted;
    for (const QString& name : names)
        if (IsAcceptedListName(name))
            accepted.append(name);
    std::stable_sort(accepted.begin(), accepted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });

    if (accepted.isEmpty()) {
        if (!fromScan) {
            FileList.clear();
            LoopFilesRead.clear();
            PeerFilesRead.clear();
            SelectedPeers.clear();
        }
        return;
    }
    if (!fromScan)
        FileList = accepted;
    SingleFileName.clear();

    bool firstLoop = true;
    bool firstPeer = true;
    for (const QString& name : accepted) {
        // A name that is not a regular file (a sub-directory, a FIFO, a file that has
        // vanished) is not read and does not take the first-file mark: otherwise the
        // real first file would be appended to the previous reading's data, and every
        // reload would add the peer lines once more.
        if (!IsRegularFile(name))
            continue;
        if (IsLoopFile(name)) {
            ReadLoopFile(name, firstLoop);
            firstLoop = false;
        }
        if (IsPeerFile(name)) {
            ReadPeerFile(name, firstPeer);
            firstPeer = false;
        }
    }
    Caption = ListCaption(QStringLiteral(TALLIMER_VERSION), FolderPart(accepted.front()), LatestTime, ZoneLabel);
}

void StatisticsFiles::RereadLastOpened()
{
    if (!FileList.isEmpty()) {
        const QStringList names = FileList;
        OpenFileList(names);
    } else {
        OpenPath(LastPath);
    }
}

void StatisticsFiles::ReadLoopFile(const QString& name, bool first)
{
    LoopFileLines.clear();
    JitterScaleChosen = false;
    // Appending needs a data set to append to; without one the file starts the store.
    if (first || Loop.DataSetCount == 0) {
        Loop.StartAfresh();
        LoopFilesRead.clear();
    }
    try {
        LoadStatisticsFile(name, LoopFileLines, LoopFilesRead);
        LoopDirectory = FolderPart(name);
        StoreLoopLines();
    } catch (const std::exception&) {
        // An unreadable file adds nothing; what was stored before stays.
    }
}

void StatisticsFiles::StoreLoopLines()
{
    const std::size_t lineCount = LoopFileLines.size();
    const std::int32_t stored = Loop.PointCounts[0];
    if (lineCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - stored))
        return; // more records than the store can count
    Loop.Lengthen(lineCount);

    double* times = Loop.LoopTimes[0].data();
    double* offsets = Loop.LoopOffsets[0].data();
    double* frequencies = Loop.LoopFrequencies[0].data();
    double* jitters = Loop.LoopJitters[0].data();
    std::int32_t* polls = Loop.LoopPollExponents[0].data();
    std::int32_t count = stored;
    LoopRecord record;
    for (std::size_t i = 0; i < lineCount; ++i) {
        if (!ParseLoopLine(LoopFileLines[i], ZoneOffset, record))
            continue;
        times[count] = record.time;
        offsets[count] = record.offset;
        frequencies[count] = record.frequency;
        jitters[count] = record.jitter;
        polls[count] = record.pollExponent;
        if (i + 1 == lineCount)
            LatestTime = record.time;
        ++count;
    }
    Loop.PointCounts[0] = count;
}

void StatisticsFiles::ReadPeerFile(const QString& name, bool first)
{
    if (!IsRegularFile(name))
        return;
    if (first) {
        PeerLines.clear();
        PeerFilesRead.clear();
    }
    try {
        LineList lines;
        LoadStatisticsFile(name, lines, PeerFilesRead);
        PeerLines.append(lines);
    } catch (const std::exception&) {
        // The file adds no line.
    }
    HavePeerData = !PeerLines.empty();
}
