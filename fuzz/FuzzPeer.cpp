// Peer statistics lines through the whole peer rebuild: field splitting, counting and
// ordering of peers, accumulation, thresholds, the four chart series and axis scales,
// and the table texts. The first two bytes choose the window's control values.

#include "ChartConfiguration.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "LineList.h"
#include "PeerRebuild.h"
#include "PeerRecordStore.h"
#include "TChart.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::array<QString, 6> ThresholdChoices { QString(), QStringLiteral("0"), QStringLiteral("1"),
    QStringLiteral("500"), QStringLiteral("-3"), QStringLiteral("99999999999") };

PeerRebuildInputs InputsFrom(FuzzInput& input, const LineList& lines)
{
    const std::uint8_t a = input.TakeByte();
    const std::uint8_t b = input.TakeByte();
    PeerRebuildInputs inputs;
    inputs.PeerDays = a % 10;
    inputs.LanOnly = (a & 0x10) != 0;
    if ((a & 0x20) != 0 && !lines.empty()) {
        // The peer of the first line, whatever it is, and one that may be absent.
        const QString firstAddress = lines.text(0).section(QLatin1Char(' '), 2, 2);
        inputs.SelectedPeers = { firstAddress, QStringLiteral("192.168.1.10") };
    }
    inputs.ZoneOffset = (a & 0x40) != 0 ? -1.0 / 24.0 : 0.0;
    inputs.Sort.Column = static_cast<std::int32_t>(b % 12) - 1;
    inputs.Sort.Ascending = (a & 0x80) != 0;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        inputs.ThresholdTexts[c] = ThresholdChoices[(b >> c) % ThresholdChoices.size()];
        inputs.ScaleSteps[c] = static_cast<int>((b >> (2 * c)) % 4) * 9;
    }
    return inputs;
}

void CheckChart(const TChart& chart, std::size_t peers)
{
    FuzzCheck(chart.SeriesCount() == peers, "one series per peer and chart");
    FuzzCheck(std::isfinite(chart.LeftAxis().Minimum()) && std::isfinite(chart.LeftAxis().Maximum()),
        "value axis range is finite");
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const TChartSeries& series = chart.Series(s);
        for (std::size_t i = 0; i < series.PointCount(); ++i) {
            FuzzCheck(
                std::isfinite(series.XValueAt(i)) && std::isfinite(series.YValueAt(i)), "plotted points are finite");
            FuzzCheck(i == 0 || series.XValueAt(i - 1) <= series.XValueAt(i), "series run forward in time");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    // The control bytes are read after the lines are split, from the front of the input.
    FuzzInput controls = input;
    controls.TakeByte();
    controls.TakeByte();
    LineList lines;
    lines.appendText(std::string(controls.Rest()));
    const PeerRebuildInputs inputs = InputsFrom(input, lines);
    PeerRecordStore records;
    records.appendLines(lines);
    // The same records as a reload that keeps the first half would leave them: cut back
    // after other lines (the second half backwards), then the rest read again.
    PeerRecordStore refilled;
    const std::size_t half = lines.size() / 2;
    for (std::size_t i = 0; i < half; ++i)
        refilled.appendLine(lines[i]);
    for (std::size_t i = lines.size(); i-- > half;)
        refilled.appendLine(lines[i]);
    refilled.truncate(half);
    for (std::size_t i = half; i < lines.size(); ++i)
        refilled.appendLine(lines[i]);

    std::array<TChart, PeerChartCount> charts;
    for (std::size_t i = 0; i < charts.size(); ++i)
        ConfigureChart(
            charts[i], static_cast<ChartId>(static_cast<int>(ChartId::PeerstatsOffset) + static_cast<int>(i)));
    const PeerCharts chartPointers { &charts[0], &charts[1], &charts[2], &charts[3] };
    PeerStore store;
    double latestTime = 0;
    // Twice: the second rebuild must start from nothing, as a reload does (while it fills
    // the storage of the first's points), and give what the first gave.
    std::vector<PeerTableRow> firstRows;
    for (int pass = 0; pass < 2; ++pass) {
        const double latestBefore = latestTime;
        const PeerRebuildResult result
            = RebuildPeerStatistics(pass == 0 ? records : refilled, inputs, store, latestTime, chartPointers);
        FuzzCheck(result.Rebuilt == !lines.empty(), "a rebuild happens exactly when there are lines");
        if (!result.Rebuilt)
            continue;
        FuzzCheck(
            latestTime >= latestBefore && std::isfinite(latestTime), "the latest time only grows and stays finite");
        const std::size_t peers = static_cast<std::size_t>(store.PeerNames.size());
        FuzzCheck(store.PeerLineCounts.size() == peers, "every counted peer is shown");
        FuzzCheck(result.TableRows.size() == peers, "one table row per peer");
        for (const TChart& chart : charts)
            CheckChart(chart, peers);
        if (pass == 0)
            firstRows = result.TableRows;
        else
            FuzzCheck(result.TableRows == firstRows, "records cut back and read again give the same table");
    }
    return 0;
}
