#include "StatisticsFiles.h"

#include "Captions.h"
#include "FileNames.h"
#include "FileReading.h"
#include "StatisticsReadError.h"
#include "StatisticsReaders.h"
#include "StatisticsSink.h"
#include "TallimerVersion.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsDirectory(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// A ZIP archive is read only when it is given alone and its name carries a marker: in a
// directory or a list it is never opened, not even to recognise its text.
bool IsZipName(const QString& path)
{
    return FileExtension(path).compare(QLatin1String(".ZIP"), Qt::CaseInsensitive) == 0;
}

} // namespace

StatisticsFiles::StatisticsFiles()
    : readers_(StandardStatisticsReaders())
{ }

StatisticsFiles::StatisticsFiles(std::vector<const StatisticsReader*> readers)
    : readers_(std::move(readers))
{ }

void StatisticsFiles::OpenPath(const QString& path)
{
    LastPath = path;
    FileList.clear();
    if (path.isEmpty()) {
        DirectoryLabel.clear();
        return;
    }
    const bool marked = std::any_of(readers_.begin(), readers_.end(),
        [&](const StatisticsReader* reader) { return reader->MarksSinglePath(path); });
    if (IsDirectory(WithTrailingSeparator(path)) || marked) {
        ScanPath(path);
        return;
    }
    // A name without a marker is opened only when it says nothing to any reader and a
    // reader recognises its text ("mydata"); "loop.dat" or "clockstats.20200419" are
    // not read.
    if (IsRegularFile(path))
        if (const PendingFile file = SinglePathFile(path, false); file.reader)
            ReadSinglePath(path, file);
}

void StatisticsFiles::ScanPath(const QString& path)
{
    if (IsRegularFile(path)) {
        ReadSinglePath(path, SinglePathFile(path, true));
        return;
    }
    DirectoryLabel.clear();
    if (const QString directory = WithTrailingSeparator(path); IsDirectory(directory)) {
        DirectoryLabel = directory;
        SingleFileName.clear();
        ReadPendingFiles(ListDirectory(directory), true);
    }
    if (!DirectoryLabel.isEmpty() && AbbreviateDirectoryName)
        DirectoryLabel = AbbreviateDirectoryLabel(DirectoryLabel);
}

void StatisticsFiles::ReadSinglePath(const QString& path, const PendingFile& file)
{
    DirectoryLabel.clear();
    if (file.reader) {
        chrony_.Clear();
        ReadWith(*file.reader, path, true, file.text ? &*file.text : nullptr);
        FinishReading();
    }
    SingleFileName = path;
    DirectoryLabel = FolderPart(path);
    if (!DirectoryLabel.isEmpty() && AbbreviateDirectoryName)
        DirectoryLabel = AbbreviateDirectoryLabel(DirectoryLabel);
}

StatisticsFiles::PendingFile StatisticsFiles::SinglePathFile(const QString& path, bool marked) const
{
    PendingFile file { path, nullptr, FileOrder { path }, std::nullopt };
    const StatisticsReader* named = nullptr;
    switch (ExamineName(path, named).verdict) {
    case NameClaim::Verdict::Claimed:
        if (marked)
            file.reader = named;
        break;
    case NameClaim::Verdict::Family:
        // The name says which family, not which form: the text decides, and the family's
        // reader takes a text nobody recognises (an empty file, one being started).
        if (marked) {
            file.text = LoadStatisticsText(path);
            file.reader = RecognisingReader(file.text->lines);
            if (!file.reader)
                file.reader = named;
        }
        break;
    case NameClaim::Verdict::Foreign:
        break;
    case NameClaim::Verdict::Unknown:
        if (marked || !IsZipName(path))
            file.reader = RecognisingReader(LoadStatisticsTextStart(path));
        break;
    }
    return file;
}

void StatisticsFiles::OpenFileList(const QStringList& names)
{
    if (names.size() == 1 && IsDirectory(names.front())) {
        const QString directory = names.front(); // names may be FileList, which OpenPath empties
        OpenPath(directory);
        return;
    }
    ReadPendingFiles(AcceptListNames(names), false);
}

std::vector<StatisticsFiles::PendingFile> StatisticsFiles::AcceptListNames(const QStringList& names) const
{
    std::vector<PendingFile> accepted;
    for (const QString& name : names) {
        const StatisticsReader* named = nullptr;
        NameClaim claim = ExamineName(name, named);
        switch (claim.verdict) {
        case NameClaim::Verdict::Claimed:
            accepted.push_back(PendingFile { name, named, std::move(claim.order), std::nullopt });
            break;
        case NameClaim::Verdict::Family:
            break; // "loopstats" or "loopstats.txt" in a list is not a statistics file
        case NameClaim::Verdict::Foreign:
        case NameClaim::Verdict::Unknown: {
            // A name that says nothing is read when a reader recognises its text. A day
            // file of another kind (clockstats.20200419) stays in the list unread.
            PendingFile file { name, nullptr, FileOrder { name }, std::nullopt };
            if (claim.verdict == NameClaim::Verdict::Unknown && IsRegularFile(name) && !IsZipName(name))
                file.reader = RecognisingReader(LoadStatisticsTextStart(name));
            if (file.reader || IsAcceptedListName(name))
                accepted.push_back(std::move(file));
            break;
        }
        }
    }
    for (PendingFile& file : accepted)
        OrderByText(file);
    return accepted;
}

std::vector<StatisticsFiles::PendingFile> StatisticsFiles::ListDirectory(const QString& directory) const
{
    // ntpd's files first: a directory where both daemons have written is read as ntpd's,
    // as it always was; chrony's logs are read where there is nothing of ntpd's.
    QStringList daemons;
    for (const StatisticsReader* reader : readers_)
        if (!daemons.contains(reader->Daemon()))
            daemons.append(reader->Daemon());

    for (const QString& daemon : daemons) {
        QStringList names;
        for (const StatisticsReader* reader : readers_)
            if (reader->Daemon() == daemon)
                for (const QString& pattern : reader->DirectoryPatterns())
                    ListMatchingFiles(directory + pattern, names);

        std::vector<PendingFile> files;
        for (const QString& name : names) {
            for (const StatisticsReader* reader : readers_) {
                if (reader->Daemon() != daemon)
                    continue;
                NameClaim claim = reader->ExamineName(name);
                if (claim.verdict == NameClaim::Verdict::Claimed) {
                    files.push_back(PendingFile { name, reader, std::move(claim.order), std::nullopt });
                    break;
                }
            }
        }
        if (files.empty())
            continue;
        for (PendingFile& file : files)
            OrderByText(file);
        return files;
    }
    return {};
}

void StatisticsFiles::ReadPendingFiles(std::vector<PendingFile> files, bool fromScan)
{
    std::stable_sort(files.begin(), files.end(),
        [](const PendingFile& a, const PendingFile& b) { return FileOrder::Before(a.order, b.order); });

    if (files.empty()) {
        if (!fromScan) {
            FileList.clear();
            LoopFilesRead.clear();
            PeerFilesRead.clear();
            SelectedPeers.clear();
        }
        return;
    }
    if (!fromScan) {
        FileList.clear();
        for (const PendingFile& file : files)
            FileList.append(file.name);
    }
    SingleFileName.clear();
    chrony_.Clear();

    bool firstLoop = true;
    bool firstPeer = true;
    for (const PendingFile& file : files) {
        // A name that is not a regular file (a sub-directory, a FIFO, a file that has
        // vanished) is not read and does not take the first-file mark: otherwise the
        // real first file would be appended to the previous reading's data, and every
        // reload would add the peer lines once more. Neither does a name no reader reads.
        if (!file.reader || !IsRegularFile(file.name))
            continue;
        bool supporting = false;
        bool& first = file.reader->Kind() == StatisticsKind::Loop ? firstLoop
            : file.reader->Kind() == StatisticsKind::Peer         ? firstPeer
                                                                  : supporting;
        ReadWith(*file.reader, file.name, first, file.text ? &*file.text : nullptr);
        first = false;
    }
    FinishReading();
    Caption = ListCaption(QStringLiteral(TALLIMER_VERSION), FolderPart(files.front().name), LatestTime, ZoneLabel);
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
    ReadWith(NtpLoopstats(), name, first, nullptr);
}

void StatisticsFiles::ReadPeerFile(const QString& name, bool first)
{
    ReadWith(NtpPeerstats(), name, first, nullptr);
}

void StatisticsFiles::ReadFile(const StatisticsReader& reader, const QString& name, bool first)
{
    ReadWith(reader, name, first, nullptr);
}

void StatisticsFiles::FinishReading()
{
    if (chrony_.Empty())
        return;
    chrony_.Finish(Loop, PeerRecords);
    HavePeerData = !PeerRecords.empty();
}

void StatisticsFiles::ReadWith(
    const StatisticsReader& reader, const QString& name, bool first, const LoadedStatisticsFile* text)
{
    // The file's text as LoadStatisticsFile gives it: read now, or earlier to recognise
    // it. Throws as LoadStatisticsFile does.
    const auto load = [&](LineList& lines, QStringList& filesRead) {
        if (!text) {
            LoadStatisticsFile(name, lines, filesRead);
            return;
        }
        lines = text->lines;
        if (text->named)
            filesRead.append(name);
        if (text->failed)
            throw StatisticsReadError("the file could not be read");
    };

    switch (reader.Kind()) {
    case StatisticsKind::Loop:
        LoopFileLines.clear();
        JitterScaleChosen = false;
        // Appending needs a data set to append to; without one the file starts the store.
        if (first || Loop.DataSetCount == 0) {
            Loop.StartAfresh();
            LoopFilesRead.clear();
        }
        try {
            load(LoopFileLines, LoopFilesRead);
            LoopDirectory = FolderPart(name);
            StatisticsSink sink { Loop, LatestTime, PeerRecords, ZoneOffset, &chrony_ };
            reader.Read(LoopFileLines, sink);
        } catch (const std::exception&) {
            // An unreadable file adds nothing; what was stored before stays.
        }
        break;
    case StatisticsKind::Peer:
        if (!IsRegularFile(name))
            return;
        if (first) {
            PeerRecords.clear();
            PeerFilesRead.clear();
        }
        try {
            LineList lines;
            load(lines, PeerFilesRead);
            StatisticsSink sink { Loop, LatestTime, PeerRecords, ZoneOffset, &chrony_ };
            reader.Read(lines, sink);
        } catch (const std::exception&) {
            // The file adds no line.
        }
        HavePeerData = !PeerRecords.empty();
        break;
    case StatisticsKind::Supporting:
        if (!IsRegularFile(name))
            return;
        try {
            LineList lines;
            QStringList notNamed; // no files hint lists them
            load(lines, notNamed);
            StatisticsSink sink { Loop, LatestTime, PeerRecords, ZoneOffset, &chrony_ };
            reader.Read(lines, sink);
        } catch (const std::exception&) {
            // Its records complete nothing.
        }
        break;
    }
}

NameClaim StatisticsFiles::ExamineName(const QString& path, const StatisticsReader*& reader) const
{
    reader = nullptr;
    NameClaim::Verdict best = NameClaim::Verdict::Unknown;
    for (const StatisticsReader* candidate : readers_) {
        NameClaim claim = candidate->ExamineName(path);
        switch (claim.verdict) {
        case NameClaim::Verdict::Claimed:
            reader = candidate;
            return claim;
        case NameClaim::Verdict::Family:
            if (best != NameClaim::Verdict::Family) {
                best = NameClaim::Verdict::Family;
                reader = candidate;
            }
            break;
        case NameClaim::Verdict::Foreign:
            if (best == NameClaim::Verdict::Unknown)
                best = NameClaim::Verdict::Foreign;
            break;
        case NameClaim::Verdict::Unknown:
            break;
        }
    }
    return NameClaim { best, {} };
}

const StatisticsReader* StatisticsFiles::RecognisingReader(const LineList& lines) const
{
    for (const StatisticsReader* reader : readers_)
        if (reader->Recognises(lines))
            return reader;
    return nullptr;
}

void StatisticsFiles::OrderByText(PendingFile& file)
{
    if (!file.reader || !file.reader->OrdersByText() || !IsRegularFile(file.name))
        return;
    const std::optional<double> time = file.reader->FirstTime(LoadStatisticsTextStart(file.name));
    file.order.time = time && std::isfinite(*time) ? *time : std::numeric_limits<double>::infinity();
}
