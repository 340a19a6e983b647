#pragma once

#include "LineList.h"
#include "LoopStore.h"

#include <QString>
#include <QStringList>

// Everything the main window knows about the statistics files it has read: what was
// opened last (so it can be read again), the loop store and the collected peer lines.
// A plain object owned by the main window; the operations take their other inputs
// (zone offset, abbreviation check box) from the fields the caller sets.
class StatisticsFiles
{
public:
    // Inputs set by the caller.
    double ZoneOffset = 0;            // days subtracted from every UTC time stamp
    QString ZoneLabel = QStringLiteral("UTC");
    bool AbbreviateDirectoryName = true;

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

    // Peer statistics, unparsed.
    LineList PeerLines;

    // Caption text set by the last list or directory read; empty until then.
    QString Caption;

    void OpenPath(const QString& path);
    void OpenFileList(const QStringList& names);
    void RereadLastOpened();
    void ReadLoopFile(const QString& name, bool first);
    void ReadPeerFile(const QString& name, bool first);

private:
    void ScanPath(const QString& path);
    // The reading steps shared by OpenFileList and the directory scan. A scan leaves
    // FileList alone and, when it accepts no name, changes nothing at all.
    void ReadFileList(const QStringList& names, bool fromScan);
    void StoreLoopLines();
};
