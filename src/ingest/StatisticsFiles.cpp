#include "StatisticsFiles.h"

#include "Captions.h"
#include "FileLoadQueue.h"
#include "FileNames.h"
#include "FileReading.h"
#include "StatisticsReadError.h"
#include "StatisticsReaders.h"
#include "StatisticsSink.h"
#include "TallimerVersion.h"

#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <malloc.h>

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

// Readers whose files add to their store independently of one another, one line after
// the other: a reading of their files can keep what unchanged files added. chrony's logs
// are connected across files when the reading ends and are always read whole.
bool ReadsFilesAlone(const StatisticsReader* reader)
{
    return reader == &NtpLoopstats() || reader == &NtpPeerstats();
}

// LatestTime while a loop file is parsed, to see whether its last line sets it: a NaN
// with a payload no parse makes.
constexpr std::uint64_t UnsetLatestBits = 0x7FF4'7A11'1AE5'0001ULL;

bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
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
    lastReading_.reset();
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
    ReadChangedFiles(files);
    FinishReading();
    Caption = ListCaption(QStringLiteral(TALLIMER_VERSION), FolderPart(files.front().name), LatestTime, ZoneLabel);
}

void StatisticsFiles::ReadChangedFiles(const std::vector<PendingFile>& files)
{
    // The files with a reader, in reading order, each kind's apart.
    std::vector<FileRecord> records;
    std::vector<const LoadedStatisticsFile*> given; // texts read already to recognise them
    bool recorded = true;
    for (const PendingFile& file : files) {
        if (!file.reader)
            continue;
        given.push_back(file.text ? &*file.text : nullptr);
        recorded = recorded && ReadsFilesAlone(file.reader);
        FileRecord record;
        record.name = file.name;
        record.reader = file.reader;
        records.push_back(std::move(record));
    }
    const std::size_t kinds = 3;
    const auto kindOf = [](const FileRecord& record) { return static_cast<std::size_t>(record.reader->Kind()); };

    std::vector<FileRecord> previous;
    if (recorded && lastReading_ && StateIsAsRecorded(*lastReading_))
        previous = std::move(lastReading_->files);
    lastReading_.reset();
    const bool incremental = !previous.empty();

    // For each kind, from where its files are read (the files before are unchanged and
    // what they added stays), and whether its last file is only read on from where it
    // was. A name that is not a regular file (a sub-directory, a FIFO, a file that has
    // vanished) is not read and does not take the first-file mark: otherwise the real
    // first file would be appended to the previous reading's data.
    std::vector<bool> regular(records.size());
    std::vector<std::vector<std::size_t>> now(kinds);
    std::vector<std::vector<std::size_t>> before(kinds);
    for (std::size_t i = 0; i < records.size(); ++i) {
        regular[i] = IsRegularFile(records[i].name);
        now[kindOf(records[i])].push_back(i);
    }
    for (std::size_t i = 0; i < previous.size(); ++i)
        before[kindOf(previous[i])].push_back(i);

    std::vector<std::size_t> readFrom(kinds, 0);
    std::vector<std::optional<AppendedText>> appended(kinds);
    std::vector<bool> kept(kinds, false); // whether the kind's store keeps what files before readFrom added
    for (std::size_t kind = 0; kind < kinds && incremental; ++kind) {
        const std::vector<std::size_t>& mine = now[kind];
        const std::vector<std::size_t>& theirs = before[kind];
        const auto anyRegular = [&](std::size_t end) {
            return std::any_of(mine.begin(), mine.begin() + end, [&](std::size_t i) { return regular[i]; });
        };
        if (!anyRegular(mine.size())) {
            // A reading without a file of this kind leaves its store as it was.
            readFrom[kind] = mine.size();
            continue;
        }
        std::size_t same = 0;
        while (same < mine.size() && same < theirs.size()) {
            const FileRecord& then = previous[theirs[same]];
            const std::size_t i = mine[same];
            if (then.name != records[i].name || then.reader != records[i].reader || then.read != regular[i]
                || (then.read && !IsUnchanged(then.name, then.stamp)))
                break;
            ++same;
        }
        // The loop file lines are the last loop file's: when that file is gone, the file
        // now last is read again to give them.
        const auto lastRead = [](const std::vector<std::size_t>& indices, auto isRead) {
            std::size_t last = indices.size();
            for (std::size_t k = 0; k < indices.size(); ++k)
                if (isRead(indices[k]))
                    last = k;
            return last;
        };
        const std::size_t lastNow = lastRead(mine, [&](std::size_t i) { return bool(regular[i]); });
        const std::size_t lastThen = lastRead(theirs, [&](std::size_t i) { return previous[i].read; });
        if (kind == std::size_t(StatisticsKind::Loop) && lastNow < same
            && (lastThen == theirs.size() || lastThen >= same))
            same = lastNow;

        for (std::size_t k = 0; k < same; ++k)
            records[mine[k]] = previous[theirs[k]];
        readFrom[kind] = same;
        kept[kind] = anyRegular(same);
        // The kind's last file, the same as before and still last, may only have grown.
        if (same + 1 == mine.size() && same + 1 == theirs.size()) {
            const FileRecord& then = previous[theirs[same]];
            const std::size_t i = mine[same];
            if (then.name == records[i].name && then.reader == records[i].reader && then.read && regular[i])
                if ((appended[kind] = ReadAppendedText(then.name, then.stamp))) {
                    records[i] = then;
                    readFrom[kind] = mine.size();
                }
        }
    }

    // Take back what the changed files added, so that they are read on top of what the
    // unchanged ones before them added.
    if (incremental) {
        const std::size_t loop = std::size_t(StatisticsKind::Loop);
        const std::size_t peer = std::size_t(StatisticsKind::Peer);
        const auto keptEntries = [&](std::size_t kind) {
            std::size_t sum = 0;
            for (std::size_t k = 0; k < readFrom[kind]; ++k)
                sum += records[now[kind][k]].entries;
            return sum;
        };
        const auto keptNames = [&](std::size_t kind) {
            QStringList names;
            for (std::size_t k = 0; k < readFrom[kind]; ++k)
                if (const FileRecord& record = records[now[kind][k]]; record.read && record.named)
                    names.append(record.name);
            return names;
        };
        if (kept[loop]) {
            Loop.Truncate(keptEntries(loop));
            LoopFilesRead = keptNames(loop);
        }
        if (kept[peer]) {
            PeerRecords.truncate(keptEntries(peer));
            PeerFilesRead = keptNames(peer);
        }
    }

    // Load what is to be read, in parallel and in order.
    std::vector<FileLoadQueue::File> toLoad;
    std::vector<bool> queued(records.size(), false);
    std::vector<std::size_t> position(records.size());
    for (std::size_t kind = 0; kind < kinds; ++kind)
        for (std::size_t k = 0; k < now[kind].size(); ++k)
            position[now[kind][k]] = k;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (regular[i] && !given[i] && position[i] >= readFrom[kindOf(records[i])]) {
            queued[i] = true;
            toLoad.push_back({ records[i].name, records[i].reader, ZoneOffset });
        }
    }
    FileLoadQueue queue(std::move(toLoad));

    // Supporting files start nothing: they are never the first of a kind.
    std::vector<bool> first(kinds, false);
    for (const StatisticsKind kind : { StatisticsKind::Loop, StatisticsKind::Peer })
        first[std::size_t(kind)] = !kept[std::size_t(kind)];
    for (std::size_t i = 0; i < records.size(); ++i) {
        FileRecord& record = records[i];
        const std::size_t kind = kindOf(record);
        if (position[i] < readFrom[kind]) {
            if (appended[kind] && position[i] + 1 == now[kind].size())
                AppendRecorded(record, std::move(*appended[kind]));
            continue;
        }
        std::optional<StampedText> text;
        if (queued[i])
            text = queue.TakeNext();
        if (!IsRegularFile(record.name))
            continue;
        if (given[i]) {
            text = StampedText { *given[i], FileStamp {} }; // not known: read again next time
        } else if (!text) {
            text = LoadStampedText(record.name);
        }
        if (recorded) {
            ReadRecorded(record, first[kind], text->text);
            record.stamp = text->stamp;
        } else {
            ReadWith(*record.reader, record.name, first[kind], &text->text);
        }
        first[kind] = false;
    }
    // The loading threads freed what they read into; give that memory back to the
    // system rather than hold it until the next reading (unless asked to keep it).
    if (ReturnFreedMemory && std::find(queued.begin(), queued.end(), true) != queued.end())
        malloc_trim(0);
    if (!recorded)
        return;

    if (incremental) {
        // What the reading of every file sets, from what each file gave.
        bool loopRead = false;
        bool peerRead = false;
        QStringList loopNames;
        QStringList peerNames;
        for (const FileRecord& record : records) {
            if (!record.read)
                continue;
            if (record.reader->Kind() == StatisticsKind::Loop) {
                loopRead = true;
                if (record.named)
                    loopNames.append(record.name);
                if (record.latest)
                    LatestTime = *record.latest;
                if (record.loaded)
                    LoopDirectory = FolderPart(record.name);
            } else {
                peerRead = true;
                if (record.named)
                    peerNames.append(record.name);
            }
        }
        if (loopRead) {
            LoopFilesRead = loopNames;
            JitterScaleChosen = false;
        }
        if (peerRead) {
            PeerFilesRead = peerNames;
            HavePeerData = !PeerRecords.empty();
        }
    }
    lastReading_ = RecordReading(std::move(records));
}

StatisticsFiles::Added StatisticsFiles::Measure(
    StatisticsKind kind, bool startsAfresh, const std::function<void()>& read)
{
    Added added;
    if (kind == StatisticsKind::Peer) {
        const std::size_t entries = startsAfresh ? 0 : PeerRecords.size();
        read();
        added.entries = PeerRecords.size() - entries;
        return added;
    }
    const std::size_t points = startsAfresh || Loop.DataSetCount == 0 ? 0 : std::size_t(Loop.PointCounts[0]);
    const double latest = LatestTime;
    LatestTime = std::bit_cast<double>(UnsetLatestBits);
    read();
    added.entries = std::size_t(Loop.PointCounts[0]) - points;
    if (SameBits(LatestTime, std::bit_cast<double>(UnsetLatestBits)))
        LatestTime = latest;
    else
        added.latest = LatestTime;
    return added;
}

void StatisticsFiles::ReadRecorded(FileRecord& record, bool first, const LoadedStatisticsFile& text)
{
    record.read = true;
    record.named = text.named;
    record.loaded = !text.failed;
    const Added added
        = Measure(record.reader->Kind(), first, [&] { ReadWith(*record.reader, record.name, first, &text); });
    record.entries = added.entries;
    if (added.latest)
        record.latest = added.latest;
}

void StatisticsFiles::AppendRecorded(FileRecord& record, AppendedText appended)
{
    record.stamp = appended.stamp;
    StatisticsSink sink { Loop, LatestTime, PeerRecords, ZoneOffset, &chrony_ };
    const StatisticsKind kind = record.reader->Kind();
    const Added added = Measure(kind, false, [&] { record.reader->Read(appended.lines, sink); });
    record.entries += added.entries;
    if (kind == StatisticsKind::Peer)
        return;
    // The file's last line is now the last appended line: it alone says the time.
    record.latest = added.latest;
    LoopFileLines.append(appended.lines);
}

StatisticsFiles::ReadingRecord StatisticsFiles::RecordReading(std::vector<FileRecord> files) const
{
    ReadingRecord reading;
    reading.files = std::move(files);
    reading.zoneOffset = ZoneOffset;
    reading.abbreviate = AbbreviateDirectoryName;
    reading.loopDataSets = Loop.DataSetCount;
    reading.loopPoints = Loop.DataSetCount > 0 ? Loop.PointCounts[0] : 0;
    reading.loopFileLines = LoopFileLines.size();
    reading.peerEntries = PeerRecords.size();
    reading.loopFilesRead = LoopFilesRead;
    reading.peerFilesRead = PeerFilesRead;
    reading.havePeerData = HavePeerData;
    return reading;
}

bool StatisticsFiles::StateIsAsRecorded(const ReadingRecord& reading) const
{
    return SameBits(reading.zoneOffset, ZoneOffset) && reading.abbreviate == AbbreviateDirectoryName
        && reading.loopDataSets == Loop.DataSetCount && Loop.DataSetCount <= 1
        && reading.loopPoints == (Loop.DataSetCount > 0 ? Loop.PointCounts[0] : 0)
        && reading.loopFileLines == LoopFileLines.size() && reading.peerEntries == PeerRecords.size()
        && reading.loopFilesRead == LoopFilesRead && reading.peerFilesRead == PeerFilesRead
        && reading.havePeerData == HavePeerData;
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
    lastReading_.reset();
    ReadWith(NtpLoopstats(), name, first, nullptr);
}

void StatisticsFiles::ReadPeerFile(const QString& name, bool first)
{
    lastReading_.reset();
    ReadWith(NtpPeerstats(), name, first, nullptr);
}

void StatisticsFiles::ReadFile(const StatisticsReader& reader, const QString& name, bool first)
{
    lastReading_.reset();
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
    // it. Throws as LoadStatisticsFile does. A text its reader parsed already is stored
    // from what was parsed; its lines are copied only where they are kept.
    const bool parsed = text && text->parsed;
    const auto load = [&](LineList& lines, QStringList& filesRead, bool copyLines = true) {
        if (!text) {
            LoadStatisticsFile(name, lines, filesRead);
            return;
        }
        if (copyLines)
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
            if (parsed)
                reader.StoreParsed(*text->parsed, sink);
            else
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
            load(lines, PeerFilesRead, !parsed);
            StatisticsSink sink { Loop, LatestTime, PeerRecords, ZoneOffset, &chrony_ };
            if (parsed)
                reader.StoreParsed(*text->parsed, sink);
            else
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
