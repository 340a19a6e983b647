#include "PeerRebuild.h"

#include "LineList.h"
#include "PeerAccumulator.h"
#include "PeerColour.h"
#include "PeerCounting.h"
#include "PeerLineFormat.h"
#include "PeerLookup.h"
#include "PeerRecordFields.h"
#include "PeerSeriesBuilder.h"
#include "PeerThreshold.h"
#include "PeerTimeAxisTitle.h"
#include "TChart.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
struct PeerChartDesign
{
    const char* name; // in the value axis title
    bool floorAtZero;
};

constexpr std::array<PeerChartDesign, PeerChartCount> ChartDesigns { {
    { "Offset", false },
    { "Delay", true },
    { "Dispersion", true },
    { "Jitter", true },
} };

// Record fields 5 to 8 in chart order: offset, delay, dispersion, jitter.
constexpr std::size_t FirstValueField = 5;

void ShowSeries(TChart& chart, std::vector<PeerSeriesBuilder>& builders, const PeerChartDesign& design, int scaleStep,
    PeerAxisScale& scale)
{
    double highest = -1e20;
    double lowest = 1e20;
    for (const PeerSeriesBuilder& builder : builders) {
        highest = std::max(highest, builder.HighestY());
        lowest = std::min(lowest, builder.LowestY());
    }
    scale = ComputePeerAxisScale(!builders.empty(), highest, lowest, design.floorAtZero, scaleStep);
    const double factor = scale.Microseconds ? 1000.0 : 1.0;
    for (PeerSeriesBuilder& builder : builders)
        AttachSeries(chart, builder.Finish(factor));
    chart.LeftAxis().SetRange(scale.Minimum, scale.Maximum);
    chart.LeftAxis().Title().SetCaption(PeerAxisTitle(QString::fromLatin1(design.name), scale.Unit));
}
} // namespace

PeerRebuildResult RebuildPeerStatistics(const LineList& lines, const PeerRebuildInputs& inputs, PeerStore& store,
    double& latestTime, const PeerCharts& charts)
{
    return RebuildPeerStatistics(
        std::span<const std::string_view>(lines.begin(), lines.end()), inputs, store, latestTime, charts);
}

PeerRebuildResult RebuildPeerStatistics(std::span<const std::string_view> lines, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts)
{
    PeerRebuildResult result;
    if (lines.empty())
        return result;
    result.Rebuilt = true;

    // Which peers, how many lines each, in which order.
    std::vector<PeerCount> counts = CountPeerLines(lines, inputs.LanOnly, inputs.SelectedPeers);
    KeepBusiestPeers(counts);
    const std::vector<std::string> names = PeerDisplayOrder(counts);
    const double windowStart = PeerWindowStart(lines, inputs.PeerDays, inputs.ZoneOffset);

    store.PeerLineCounts.clear();
    store.PeerLineCounts.reserve(counts.size());
    for (const PeerCount& c : counts)
        store.PeerLineCounts.push_back({ QString::fromStdString(c.Address), c.Count });
    store.PeerNames.clear();
    std::vector<QString> addresses;
    addresses.reserve(names.size());
    for (const std::string& name : names) {
        addresses.push_back(QString::fromStdString(name));
        store.PeerNames.push_back(addresses.back());
    }

    for (TChart* chart : charts) {
        if (chart)
            RemoveAllSeries(*chart);
    }

    // One series per peer and chart, filled detached and attached complete.
    const PeerLookup lookup(names);
    std::vector<PeerAccumulator> accumulators(names.size());
    std::array<std::vector<PeerSeriesBuilder>, PeerChartCount> builders;
    // Without a window every counted line may become a point, so each series gets its
    // room at once; with one, most lines of a long history are skipped and reserving for
    // all of them would hold memory for nothing.
    std::vector<std::size_t> expectedPoints(names.size());
    if (windowStart <= 0) {
        for (const PeerCount& c : counts) {
            const int i = lookup.Find(c.Address);
            if (i != PeerLookup::NotFound)
                expectedPoints[std::size_t(i)] = std::size_t(c.Count);
        }
    }
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        builders[c].reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            builders[c].emplace_back(PeerColour(int(i)), addresses[i], expectedPoints[i]);
    }

    std::array<double, PeerChartCount> thresholds {};
    for (std::size_t c = 0; c < PeerChartCount; ++c)
        thresholds[c] = ParsePeerThreshold(inputs.ThresholdTexts[c]);

    bool haveFirst = false;
    for (const std::string_view line : lines) {
        const PeerRecordFields fields(line);
        if (fields.Count() < 3)
            continue;
        const int peer = lookup.Find(fields.Field(3));
        if (peer == PeerLookup::NotFound)
            continue;
        const auto t = fields.Time(inputs.ZoneOffset);
        if (!t || *t < windowStart)
            continue;
        if (!haveFirst) {
            result.FirstPeerTime = *t;
            haveFirst = true;
        }
        latestTime = std::max(latestTime, *t);

        // Offset, delay and dispersion must be numbers; the jitter a number too, or the
        // mark of a record that has none (made from another format): such a record counts
        // in every statistic and chart but the jitter's.
        std::array<double, PeerChartCount> values {};
        bool readable = true;
        for (std::size_t c = 0; c < PeerJitterChart && readable; ++c) {
            const auto v = fields.Value(FirstValueField + c);
            readable = v.has_value();
            values[c] = v.value_or(0);
        }
        if (!readable)
            continue;
        const std::size_t jitterField = FirstValueField + PeerJitterChart;
        const std::optional<double> jitter = fields.Value(jitterField);
        if (!jitter && fields.Field(jitterField) != NoJitterField)
            continue;
        values[PeerJitterChart] = jitter.value_or(0);

        accumulators[std::size_t(peer)].Add(values[0], values[1], values[2], jitter);
        // Thresholds only keep outliers off the charts; every record counts above.
        const std::size_t charted = jitter ? PeerChartCount : PeerJitterChart;
        for (std::size_t c = 0; c < charted; ++c) {
            const double milliseconds = values[c] * 1000.0;
            if (WithinPeerThreshold(values[c], thresholds[c]) && std::isfinite(milliseconds))
                builders[c][std::size_t(peer)].Add(*t, milliseconds);
        }
    }

    result.TimeAxisTitle = PeerTimeAxisTitle(inputs.DirectoryLabel, result.FirstPeerTime, latestTime, inputs.ZoneLabel);
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (!charts[c])
            continue;
        charts[c]->BottomAxis().Title().SetCaption(result.TimeAxisTitle);
        ShowSeries(*charts[c], builders[c], ChartDesigns[c], inputs.ScaleSteps[c], result.Scales[c]);
    }

    result.TableRows = BuildPeerTableRows(addresses, accumulators, inputs.Sort, inputs.Locale);
    return result;
}
