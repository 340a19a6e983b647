// A year of statistics opened, and reloaded after a few lines were appended to the day's
// files, as the auto-update timer and F5 do. The year is TALLIMER_BENCH_YEAR (a directory
// of ntpd's files), else /tmp/yearz when it exists, else one generated here: 365 days,
// all but the last 7 gzipped. The benchmarks read a copy of it whose plain files are
// copied (they are appended to) and whose gzip files are links.
#include "DocumentSettings.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsDocument.h"
#include "StatisticsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

QString SourceYear()
{
    static const QString path = [] {
        const QString given = qEnvironmentVariable("TALLIMER_BENCH_YEAR");
        if (!given.isEmpty())
            return given;
        if (QFileInfo(QStringLiteral("/tmp/yearz")).isDir())
            return QStringLiteral("/tmp/yearz");
        static QTemporaryDir generated;
        StatGenParams params = YearParams();
        for (int day = 0; day < params.days - 7; ++day)
            params.gzipDays.insert(day);
        WriteStatisticsDirectory(QFile::encodeName(generated.path()).toStdString(), params);
        return generated.path();
    }();
    return path;
}

struct YearCopy
{
    QTemporaryDir dir;
    QString loop; // the last loopstats and peerstats: the day being written
    QString peer;
};

// A fresh copy for each benchmark, so that what one appends does not grow the next's.
std::unique_ptr<YearCopy> CopyYear()
{
    auto copy = std::make_unique<YearCopy>();
    const QDir source(SourceYear());
    for (const QFileInfo& file : source.entryInfoList(QDir::Files, QDir::Name)) {
        const QString target = copy->dir.filePath(file.fileName());
        const bool done = file.fileName().endsWith(QLatin1String(".gz")) ? QFile::link(file.absoluteFilePath(), target)
                                                                         : QFile::copy(file.absoluteFilePath(), target);
        if (!done)
            throw std::runtime_error("cannot copy " + file.fileName().toStdString());
        if (file.fileName().startsWith(QLatin1String("loopstats")))
            copy->loop = target;
        else if (file.fileName().startsWith(QLatin1String("peerstats")))
            copy->peer = target;
    }
    return copy;
}

// Three more records: the file's last line again, three times.
void AppendRecords(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot open " + name.toStdString());
    const qint64 size = file.size();
    file.seek(std::max<qint64>(0, size - 4096));
    QByteArray tail = file.read(4096);
    tail.chop(1);
    const QByteArray line = tail.mid(tail.lastIndexOf('\n') + 1) + '\n';
    file.seek(size);
    file.write(line + line + line);
}

void BM_ReloadAfterAppend(benchmark::State& state)
{
    const auto year = CopyYear();
    StatisticsFiles files;
    files.OpenPath(year->dir.path());
    for (auto _ : state) {
        state.PauseTiming();
        AppendRecords(year->loop);
        AppendRecords(year->peer);
        state.ResumeTiming();
        files.RereadLastOpened();
        benchmark::DoNotOptimize(files.Loop.PointCounts[0]);
    }
    state.counters["records"] = files.Loop.PointCounts[0];
    state.counters["peer_entries"] = double(files.PeerRecords.size());
}
BENCHMARK(BM_ReloadAfterAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The same through the document: the reading, both chart rebuilds and the Analysis page,
// as F5 does.
void BM_DocumentReloadAfterAppend(benchmark::State& state)
{
    const auto year = CopyYear();
    StatisticsDocument document;
    const DocumentSettings settings;
    document.OpenCommandLine({ year->dir.path() }, settings);
    document.RebuildLoopCharts(settings, false, false);
    document.RebuildPeerStatistics(settings);
    double reading = 0;
    double loopRebuild = 0;
    double peerRebuild = 0;
    double analysis = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AppendRecords(year->loop);
        AppendRecords(year->peer);
        state.ResumeTiming();
        // ReloadAll, step by step, to tell the reading from the rebuilds: the Analysis
        // page is rebuilt once, as the batch ends.
        const auto start = Clock::now();
        auto read = start;
        auto loop = start;
        auto peer = start;
        {
            const StatisticsDocument::AnalysisBatch batch(document);
            document.RereadLastOpened(settings);
            read = Clock::now();
            document.RebuildLoopCharts(settings, true, false);
            loop = Clock::now();
            document.RebuildPeerStatistics(settings);
            peer = Clock::now();
        }
        const auto end = Clock::now();
        reading += Milliseconds(read - start);
        loopRebuild += Milliseconds(loop - read);
        peerRebuild += Milliseconds(peer - loop);
        analysis += Milliseconds(end - peer);
    }
    const double n = double(state.iterations());
    state.counters["read_ms"] = reading / n;
    state.counters["loop_rebuild_ms"] = loopRebuild / n;
    state.counters["peer_rebuild_ms"] = peerRebuild / n;
    state.counters["analysis_ms"] = analysis / n;
}
BENCHMARK(BM_DocumentReloadAfterAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// Opening the year: every file loaded (read, inflated, split) on the thread pool and
// parsed in order. CPU time is the whole process's, the pool's threads included.
void BM_OpenYear(benchmark::State& state)
{
    const auto year = CopyYear();
    for (auto _ : state) {
        StatisticsFiles files;
        files.OpenPath(year->dir.path());
        benchmark::DoNotOptimize(files.Loop.PointCounts[0]);
        state.counters["records"] = files.Loop.PointCounts[0];
    }
}
BENCHMARK(BM_OpenYear)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    // The charts measure text: they need an application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
