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
    // Times shared by a peer's series go back to the first chart, whose builders keep
    // times: it hands over its storage last, once no other series holds them.
    std::array<std::vector<std::unique_ptr<TChartSeries>>, PeerChartCount> oldSeries;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (charts[c])
            oldSeries[c] = charts[c]->DetachAllSeries();
    }
    std::array<std::vector<PeerPointStorage>, PeerChartCount> spare;
    for (std::size_t c = PeerChartCount; c-- > 0;) {
        for (const std::unique_ptr<TChartSeries>& old : oldSeries[c]) {
            PeerPointStorage storage;
            old->TakePointStorage(storage.xs, storage.ys);
            spare[c].push_back(std::move(storage));
        }
        oldSeries[c].clear();
        // The largest to the busiest peers, which come first.
        std::sort(spare[c].begin(), spare[c].end(),
            [](const PeerPointStorage& a, const PeerPointStorage& b) { return a.ys.capacity() > b.ys.capacity(); });
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
    // Calls accept(record, peer, time) for every record from..to-1 of a shown peer with a
    // time in the window, in record order.
    const auto forEachInWindowOf = [&](std::size_t from, std::size_t to, auto&& accept) {
        for (std::size_t r = from; r < to; ++r) {
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
    const auto forEachInWindow = [&](auto&& accept) { forEachInWindowOf(0, flags.size(), accept); };

    std::vector<std::size_t> shownCharts;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (charts[c])
            shownCharts.push_back(c);
    }
    // Whether record r is a point on chart c. Offset, delay and dispersion must be numbers;
    // the jitter a number too, unless the record has none (made from another format): such
    // a record counts in every statistic and chart but the jitter's. A chart's threshold
    // keeps outliers off it.
    const auto isPoint = [&](std::size_t c, std::size_t r) {
        const std::uint8_t needed = c == PeerJitterChart ? PeerRecordStore::HasValues | PeerRecordStore::HasJitter
                                                         : PeerRecordStore::HasValues;
        const double value = columns[c][r];
        return (flags[r] & needed) == needed && WithinPeerThreshold(value, thresholds[c])
            && std::isfinite(value * 1000.0);
    };
    // A peer whose records are points on every chart alike or on none (no threshold takes
    // any off, every one has a jitter) has the same times on every chart: one copy of them
    // serves all its series, kept by the builder of the first chart.
    std::vector<char> sameTimes(names.size(), 1);
    if (shownCharts.size() > 1) {
        std::array<std::vector<char>, 2> differs { std::vector<char>(names.size()), std::vector<char>(names.size()) };
        RunSharedWork(2, [&](std::size_t half) {
            const std::size_t middle = flags.size() / 2;
            forEachInWindowOf(half == 0 ? 0 : middle, half == 0 ? middle : flags.size(),
                [&](std::size_t r, std::size_t peer, double) {
                    const bool first = isPoint(shownCharts.front(), r);
                    for (std::size_t k = 1; k < shownCharts.size(); ++k)
                        differs[half][peer] |= char(isPoint(shownCharts[k], r) != first);
                });
        });
        for (std::size_t i = 0; i < names.size(); ++i)
            sameTimes[i] = !differs[0][i] && !differs[1][i];
    }
    for (const std::size_t c : shownCharts) {
        builders[c].reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            builders[c].emplace_back(PeerColour(int(i)), addresses[i], expectedPoints[i],
                i < spare[c].size() ? std::move(spare[c][i]) : PeerPointStorage {},
                !sameTimes[i] || c == shownCharts.front());
        }
    }

    // The first and newest times with the table's sums, and each chart's series, are
    // independent: each is filled in record order, so the same values arrive in the same
    // order wherever it is filled. Two passes over the records, one a thread: the sums
    // with the first half of the charts, and the other half.
    const std::size_t firstHalf = (shownCharts.size() + 1) / 2;
    bool haveFirst = false;
    double newest = latestTime;
    std::array<FinishedChart, PeerChartCount> finished;
    const auto pass = [&](bool sums, std::span<const std::size_t> chartList) {
        forEachInWindow([&](std::size_t r, std::size_t peer, double t) {
            if (sums) {
                if (!haveFirst) {
                    result.FirstPeerTime = t;
                    haveFirst = true;
                }
                newest = std::max(newest, t);
            }
            if (!(flags[r] & PeerRecordStore::HasValues))
                return;
            if (sums) {
                const std::optional<double> jitter = (flags[r] & PeerRecordStore::HasJitter)
                    ? std::optional<double>(columns[PeerJitterChart][r])
                    : std::nullopt;
                accumulators[peer].Add(
                    columns[PeerOffsetChart][r], columns[PeerDelayChart][r], columns[PeerDispersionChart][r], jitter);
            }
            for (const std::size_t c : chartList) {
                if (isPoint(c, r))
                    builders[c][peer].Add(t, columns[c][r] * 1000.0);
            }
        });
    };
    const std::span<const std::size_t> chartsShown(shownCharts);
    RunSharedWork(chartsShown.size() > firstHalf ? 2 : 1, [&](std::size_t piece) {
        if (piece == 0)
            pass(true, chartsShown.first(firstHalf));
        else
            pass(false, chartsShown.subspan(firstHalf));
    });
    latestTime = newest;
    for (std::size_t i = 0; i < names.size() && !shownCharts.empty(); ++i) {
        if (!sameTimes[i])
            continue;
        const auto shared = builders[shownCharts.front()][i].ShareTimes();
        for (const std::size_t c : shownCharts)
            builders[c][i].UseTimes(shared);
    }
    RunSharedWork(shownCharts.size(), [&](std::size_t k) {
        const std::size_t c = shownCharts[k];
        finished[c] = FinishSeries(builders[c], ChartDesigns[c], inputs.ScaleSteps[c]);
    });

    result.TimeAxisTitle = PeerTimeAxisTitle(inputs.DirectoryLabel, result.FirstPeerTime, latestTime, inputs.ZoneLabel);
    for (const std::size_t c : shownCharts) {
        charts[c]->BottomAxis().Title().SetCaption(result.TimeAxisTitle);
        ShowSeries(*charts[c], finished[c], ChartDesigns[c]);
        result.Scales[c] = finished[c].scale;
    }

    result.TableRows = BuildPeerTableRows(addresses, accumulators, inputs.Sort, inputs.Locale);
    return result;
}
