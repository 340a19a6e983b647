// A loop statistics file read into the loop store (first, then appended), and the seven
// loop charts rebuilt from that store, as a user opening the file would have them.

#include "ChartConfiguration.h"
#include "FuzzCheck.h"
#include "FuzzScratchDirectory.h"
#include "LoopChartRebuild.h"
#include "StatisticsFiles.h"
#include "TChart.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace {

void CheckStore(const LoopStore& store)
{
    FuzzCheck(store.DataSetCount == 1, "the reader keeps one data set");
    const auto count = static_cast<std::size_t>(store.PointCounts[0]);
    FuzzCheck(store.PointCounts[0] >= 0, "point count is not negative");
    for (const auto* values :
        { &store.LoopTimes[0], &store.LoopOffsets[0], &store.LoopFrequencies[0], &store.LoopJitters[0] }) {
        FuzzCheck(values->size() >= count, "arrays hold every counted record");
        for (std::size_t i = 0; i < count; ++i)
            FuzzCheck(std::isfinite((*values)[i]), "stored values are finite");
    }
    FuzzCheck(store.LoopPollExponents[0].size() >= count, "poll exponents hold every record");
}

void CheckChart(const TChart& chart)
{
    for (const TChartAxis* axis : { &chart.LeftAxis(), &chart.RightAxis(), &chart.BottomAxis() }) {
        FuzzCheck(std::isfinite(axis->Minimum()) && std::isfinite(axis->Maximum()), "axis ranges are finite");
        FuzzCheck(axis->Minimum() <= axis->Maximum(), "axis minimum is not above its maximum");
    }
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const TChartSeries& series = chart.Series(s);
        for (std::size_t i = 0; i < series.PointCount(); ++i) {
            if (std::isfinite(series.XValueAt(i)) && std::isfinite(series.YValueAt(i)))
                continue;
            const std::string what = "plotted points are finite (chart \"" + chart.Title().toStdString()
                + "\", series \"" + series.Title().toStdString() + "\")";
            FuzzCheck(false, what.c_str());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString name = FuzzScratchDirectory::Instance().Write(QStringLiteral("loopstats.20200419"), data, size);

    // The options follow from the input's length, so they vary without a header that
    // would stop the seeds from being plain statistics files.
    StatisticsFiles files;
    files.ZoneOffset = size % 2 == 0 ? 0.0 : -1.0 / 24.0;
    files.ReadLoopFile(name, true);
    CheckStore(files.Loop);
    FuzzCheck(files.LoopFilesRead.size() == 1, "the file is named as read");
    const std::int32_t once = files.Loop.PointCounts[0];

    files.ReadLoopFile(name, false);
    CheckStore(files.Loop);
    FuzzCheck(files.Loop.PointCounts[0] == 2 * once, "a file read twice stores its records twice");
    FuzzCheck(std::isfinite(files.LatestTime), "the latest time is finite");

    // The charts as the window makes them, in the order of their identifiers.
    std::array<TChart, 7> charts;
    for (std::size_t i = 0; i < charts.size(); ++i)
        ConfigureChart(charts[i], static_cast<ChartId>(static_cast<int>(ChartId::Offsets) + static_cast<int>(i)));
    const LoopChartSet set { &charts[0], &charts[1], &charts[2], &charts[3], &charts[4], &charts[5], &charts[6] };
    LoopRebuildInputs inputs;
    inputs.Store = &files.Loop;
    inputs.LatestTime = files.LatestTime;
    inputs.LoopFilesRead = files.LoopFilesRead;
    inputs.PlotHours = 12 + static_cast<int>(size / 2 % 157);
    inputs.HoursToAverage = 1 + static_cast<int>(size / 4 % 12);
    inputs.ExponentialAverage = size / 8 % 2 != 0;
    inputs.IgnoreDataGaps = size / 16 % 2 != 0;
    inputs.ClipOffsets = size / 32 % 2 == 0;
    inputs.JitterScalePosition = static_cast<int>(size / 64 % 18);
    const LoopRebuildResults results = BuildLoopCharts(inputs, set);
    for (const TChart& chart : charts)
        CheckChart(chart);
    FuzzCheck(results.OffsetCopy != nullptr, "the histogram always gets a series");
    return 0;
}
