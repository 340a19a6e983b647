// `tallimer --save-images`, `--export-csv` and `--report` as cron runs them, timed from the
// outside: wall time (what the user waits for), the CPU time of the process and its peak
// resident memory, beside `zcat` of the same files. The data are made once per run:
// - a year at benchmark density (365 days, 8 peers), all but the newest 7 days gzipped;
// - those newest 7 days alone, plain;
// - a hostile directory: a gzip bomb of 4 GiB at about 230:1, a FIFO, a symbolic link to
//   itself, random bytes under statistics names and one valid day.
#include "StatisticsDirectoryWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ChildRun
{
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakRssMB = 0;
    int status = 0;
};

// Runs a program to its end, its output thrown away.
ChildRun Run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* devNull = std::fopen("/dev/null", "w");
        if (devNull) {
            dup2(fileno(devNull), 1);
            dup2(fileno(devNull), 2);
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ChildRun run;
    rusage usage {};
    wait4(pid, &run.status, 0, &usage);
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakRssMB = double(usage.ru_maxrss) / 1024.0;
    return run;
}

std::string Path(const QTemporaryDir& dir, const char* name = "")
{
    return QFile::encodeName(dir.path()).toStdString() + "/" + name;
}

struct BenchSets
{
    QTemporaryDir root;
    QTemporaryDir year, week, hostile, home, out;
    std::vector<std::string> yearFiles;
    double bombRatio = 0;

    BenchSets()
    {
        StatGenParams params = YearParams();
        params.gapStartHours = -1;
        params.restartHours = -1;
        params.gzipDays.clear();
        for (int d = 0; d < params.days - 7; ++d)
            params.gzipDays.insert(d);
        yearFiles = WriteStatisticsDirectory(Path(year), params);
        for (const std::string& file : yearFiles)
            if (!QFileInfo(QString::fromStdString(file)).fileName().endsWith(QLatin1String(".gz")))
                QFile::copy(QString::fromStdString(file),
                    week.path() + u'/' + QFileInfo(QString::fromStdString(file)).fileName());
        MakeHostile(params);
        // What was just written reaches the disk now, not while the first run is timed.
        sync();
    }

    void MakeHostile(const StatGenParams& yearParams)
    {
        StatGenParams params = yearParams;
        params.days = 1;
        params.gzipDays.clear();
        params.startMjd = MjdFromDate(2026, 12, 31);
        WriteStatisticsDirectory(Path(hostile), params);
        bombRatio = WriteBomb(Path(hostile, "loopstats.20261227.gz"), std::uint64_t { 4 } << 30);
        mkfifo(Path(hostile, "loopstats.20261230").c_str(), 0600);
        symlink("peerstats.20261229", Path(hostile, "peerstats.20261229").c_str());
        std::mt19937 random(7);
        std::string noise(1 << 20, '\0');
        for (char& c : noise)
            c = char(random());
        WritePlainFile(Path(hostile, "peerstats.20261228"), noise);
        WritePlainFile(Path(hostile, "loopstats.20261228.gz"), noise);
    }

    // Statistics-like lines that repeat but for a changing digit now and then, so the
    // gzip file is about 230 times smaller than its text: within the limit on the ratio
    // and far over the limit on the size. Returns the ratio reached.
    static double WriteBomb(const std::string& path, std::uint64_t bytes)
    {
        gzFile file = gzopen(path.c_str(), "wb6");
        if (!file)
            throw std::runtime_error("cannot write the gzip bomb");
        std::mt19937 random(3);
        std::string block;
        const std::string line = "61000 12.345 0.000012345 -15.123 0.000001234 0.001234 6\n";
        while (block.size() < (1u << 20)) {
            block += line;
            if (random() % 24 == 0)
                block[block.size() - 10] = char('0' + random() % 10);
        }
        for (std::uint64_t written = 0; written < bytes; written += block.size())
            gzwrite(file, block.data(), unsigned(block.size()));
        gzclose(file);
        return double(bytes) / double(QFileInfo(QString::fromStdString(path)).size());
    }
};

BenchSets& Sets()
{
    static BenchSets sets;
    return sets;
}

void Report(benchmark::State& state, const ChildRun& run)
{
    state.SetIterationTime(run.wallSeconds);
    state.counters["cpu_s"] = run.cpuSeconds;
    state.counters["peakRssMB"] = run.peakRssMB;
    state.counters["exit"] = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
}

void RunProgram(benchmark::State& state, const char* option, const QTemporaryDir& data)
{
    BenchSets& sets = Sets();
    setenv("HOME", QFile::encodeName(sets.home.path()).constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(sets.home.path()).constData(), 1);
    for (auto _ : state)
        Report(state, Run({ TALLIMER_PROGRAM, option, Path(sets.out), Path(data) }));
}

void BM_SaveImagesYear(benchmark::State& state)
{
    RunProgram(state, "--save-images", Sets().year);
    // zcat of the same files in the same run: the figure the program's time is set against.
    std::vector<std::string> zcat { "/bin/zcat", "-f" };
    for (const std::string& file : Sets().yearFiles)
        zcat.push_back(file);
    state.counters["zcat_s"] = Run(zcat).wallSeconds;
}

void BM_ExportCsvYear(benchmark::State& state)
{
    RunProgram(state, "--export-csv", Sets().year);
}

void BM_SaveImagesWeek(benchmark::State& state)
{
    RunProgram(state, "--save-images", Sets().week);
}

void BM_ExportCsvWeek(benchmark::State& state)
{
    RunProgram(state, "--export-csv", Sets().week);
}

void BM_ReportWeek(benchmark::State& state)
{
    RunProgram(state, "--report", Sets().week);
}

void BM_SaveImagesHostile(benchmark::State& state)
{
    RunProgram(state, "--save-images", Sets().hostile);
    state.counters["bombRatio"] = Sets().bombRatio;
}

} // namespace

BENCHMARK(BM_SaveImagesYear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportCsvYear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveImagesWeek)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportCsvWeek)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReportWeek)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveImagesHostile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
