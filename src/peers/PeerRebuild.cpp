#include "PeerRebuild.h"

#include "PeerAccumulator.h"
#include "PeerColour.h"
#include "PeerCounting.h"
#include "PeerLookup.h"
#include "PeerSeriesBuilder.h"
#include "PeerThreshold.h"
#include "PeerTimeAxisTitle.h"
#include "SharedWork.h"
#include "TChart.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

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

// One chart's series, finished off the chart: the axis scale from the extremes of every
// peer's values, then each builder's series in that unit.
struct FinishedChart
{
    PeerAxisScale scale;
    std::vector<std::unique_ptr<TLineSeries>> series;
};

FinishedChart FinishSeries(std::vector<PeerSeriesBuilder>& builders, const PeerChartDesign& design, int scaleStep)
{
    double highest = -1e20;
    double lowest = 1e20;
    for (const PeerSeriesBuilder& builder : builders) {
        highest = std::max(highest, builder.HighestY());
        lowest = std::min(lowest, builder.LowestY());
    }
    FinishedChart finished;
    finished.scale = ComputePeerAxisScale(!builders.empty(), highest, lowest, design.floorAtZero, scaleStep);
    const double factor = finished.scale.Microseconds ? 1000.0 : 1.0;
    finished.series.reserve(builders.size());
    for (PeerSeriesBuilder& builder : builders)
        finished.series.push_back(builder.Finish(factor));
    return finished;
}

void ShowSeries(TChart& chart, FinishedChart& finished, const PeerChartDesign& design)
{
    for (std::unique_ptr<TLineSeries>& series : finished.series)
        AttachSeries(chart, std::move(series));
    chart.LeftAxis().SetRange(finished.scale.Minimum, finished.scale.Maximum);
    chart.LeftAxis().Title().SetCaption(PeerAxisTitle(QString::fromLatin1(design.name), finished.scale.Unit));
}

} // namespace

PeerRebuildResult RebuildPeerStatistics(const PeerRecordStore& records, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts)
{
    PeerRebuildResult result;
    if (records.empty())
        return result;
    result.Rebuilt = true;

    // Which peers, how many records each, in which order.
    std::vector<PeerCount> counts = CountPeerRecords(records, inputs.LanOnly, inputs.SelectedPeers);
    KeepBusiestPeers(counts);
    const std::vector<std::string> names = PeerDisplayOrder(counts);
    const double windowStart = PeerWindowStart(records, inputs.PeerDays, inputs.ZoneOffset);

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

    // The old series go, their points' storage is kept for the new ones: a year of
    // points is hundreds of MB, and fresh memory costs more to fill than reused memory.
    std::array<std::vector<PeerPointStorage>, PeerChartCount> spare;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (!charts[c])
            continue;
        for (const std::unique_ptr<TChartSeries>& old : charts[c]->DetachAllSeries()) {
            PeerPointStorage storage;
            old->TakePointStorage(storage.xs, storage.ys);
            spare[c].push_back(std::move(storage));
        }
        // The largest to the busiest peers, which come first.
        std::sort(spare[c].begin(), spare[c].end(),
            [](const PeerPointStorage& a, const PeerPointStorage& b) { return a.xs.capacity() > b.xs.capacity(); });
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
        if (!charts[c])
            continue;
        builders[c].reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            builders[c].emplace_back(PeerColour(int(i)), addresses[i], expectedPoints[i],
                i < spare[c].size() ? std::move(spare[c][i]) : PeerPointStorage {});
        }
    }

    std::array<double, PeerChartCount> thresholds {};
    for (std::size_t c = 0; c < PeerChartCount; ++c)
        thresholds[c] = ParsePeerThreshold(inputs.ThresholdTexts[c]);

    // The shown peer of each address as written (case-insensitively); NotFound for the
    // others.
    std::vector<int> shownPeer(records.AddressCount());
    for (std::uint32_t a = 0; a < shownPeer.size(); ++a)
        shownPeer[a] = lookup.Find(records.Address(a));

    const std::span<const std::uint8_t> flags = records.Flags();
    const std::span<const std::uint32_t> peers = records.Peers();
    const std::span<const double> times = records.UtcTimes();
    const std::array<std::span<const double>, PeerChartCount> columns { records.Offsets(), records.Delays(),
        records.Dispersions(), records.Jitters() };
    // Calls accept(record, peer, time) for every record of a shown peer with a time in the
    // window, in record order.
    const auto forEachInWindow = [&](auto&& accept) {
        const std::size_t count = flags.size();
        for (std::size_t r = 0; r < count; ++r) {
            if (peers[r] == PeerRecordStore::NoPeer)
                continue;
            const int peer = shownPeer[peers[r]];
            if (peer == PeerLookup::NotFound || !(flags[r] & PeerRecordStore::HasTime))
                continue;
            const double t = times[r] - inputs.ZoneOffset;
            if (t < windowStart)
                continue;
            accept(r, std::size_t(peer), t);
        }
    };

    // The first and newest times with the table's sums, and each chart's series, are
    // independent: each is filled in record order, so the same values arrive in the same
    // order wherever it is filled. Two passes over the records, one a thread: the sums
    // with the first half of the charts, and the other half.
    std::vector<std::size_t> shownCharts;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (charts[c])
            shownCharts.push_back(c);
    }
    const std::size_t firstHalf = (shownCharts.size() + 1) / 2;
    bool haveFirst = false;
    double newest = latestTime;
    std::array<FinishedChart, PeerChartCount> finished;
    const auto pass = [&](bool sums, std::span<const std::size_t> chartList) {
        // A chart's threshold keeps outliers off it; every record counts in the sums.
        struct ChartFill
        {
            std::uint8_t needed;
            const double* column;
            double threshold;
            PeerSeriesBuilder* builders;
        };
        std::vector<ChartFill> fills;
        for (const std::size_t c : chartList) {
            fills.push_back(
                { std::uint8_t(c == PeerJitterChart ? PeerRecordStore::HasValues | PeerRecordStore::HasJitter
                                                    : PeerRecordStore::HasValues),
                    columns[c].data(), thresholds[c], builders[c].data() });
        }
        forEachInWindow([&](std::size_t r, std::size_t peer, double t) {
            if (sums) {
                if (!haveFirst) {
                    result.FirstPeerTime = t;
                    haveFirst = true;
                }
                newest = std::max(newest, t);
            }
            // Offset, delay and dispersion must be numbers; the jitter a number too, unless
            // the record has none (made from another format): such a record counts in every
            // statistic and chart but the jitter's.
            if (!(flags[r] & PeerRecordStore::HasValues))
                return;
            if (sums) {
                const std::optional<double> jitter = (flags[r] & PeerRecordStore::HasJitter)
                    ? std::optional<double>(columns[PeerJitterChart][r])
                    : std::nullopt;
                accumulators[peer].Add(
                    columns[PeerOffsetChart][r], columns[PeerDelayChart][r], columns[PeerDispersionChart][r], jitter);
            }
            for (const ChartFill& fill : fills) {
                if ((flags[r] & fill.needed) != fill.needed)
                    continue;
                const double value = fill.column[r];
                const double milliseconds = value * 1000.0;
                if (WithinPeerThreshold(value, fill.threshold) && std::isfinite(milliseconds))
                    fill.builders[peer].Add(t, milliseconds);
            }
        });
        for (const std::size_t c : chartList)
            finished[c] = FinishSeries(builders[c], ChartDesigns[c], inputs.ScaleSteps[c]);
    };
    const std::span<const std::size_t> chartsShown(shownCharts);
    RunSharedWork(chartsShown.size() > firstHalf ? 2 : 1, [&](std::size_t piece) {
        if (piece == 0)
            pass(true, chartsShown.first(firstHalf));
        else
            pass(false, chartsShown.subspan(firstHalf));
    });
    latestTime = newest;

    result.TimeAxisTitle = PeerTimeAxisTitle(inputs.DirectoryLabel, result.FirstPeerTime, latestTime, inputs.ZoneLabel);
    for (const std::size_t c : shownCharts) {
        charts[c]->BottomAxis().Title().SetCaption(result.TimeAxisTitle);
        ShowSeries(*charts[c], finished[c], ChartDesigns[c]);
        result.Scales[c] = finished[c].scale;
    }

    result.TableRows = BuildPeerTableRows(addresses, accumulators, inputs.Sort, inputs.Locale);
    return result;
}
