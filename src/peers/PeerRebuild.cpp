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
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
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

// The records as a rebuild reads them.
class RecordReader
{
public:
    RecordReader(
        const PeerRecordStore& records, const PeerRebuildInputs& inputs, const PeerLookup& lookup, double windowStart)
        : flags_(records.Flags())
        , peers_(records.Peers())
        , times_(records.UtcTimes())
        , columns_ { records.Offsets(), records.Delays(), records.Dispersions(), records.Jitters() }
        , shownPeer_(records.AddressCount())
        , zoneOffset_(inputs.ZoneOffset)
        , windowStart_(windowStart)
    {
        for (std::size_t c = 0; c < PeerChartCount; ++c)
            thresholds_[c] = ParsePeerThreshold(inputs.ThresholdTexts[c]);
        // The shown peer of each address as written (case-insensitively); NotFound for
        // the others.
        for (std::uint32_t a = 0; a < shownPeer_.size(); ++a)
            shownPeer_[a] = lookup.Find(records.Address(a));
    }

    std::size_t size() const { return flags_.size(); }
    int ShownPeer(std::uint32_t address) const { return shownPeer_[address]; }
    bool HasThresholds() const
    {
        return std::any_of(thresholds_.begin(), thresholds_.end(), [](double t) { return t != 0; });
    }
    bool HasValues(std::size_t r) const { return flags_[r] & PeerRecordStore::HasValues; }
    bool HasJitter(std::size_t r) const { return flags_[r] & PeerRecordStore::HasJitter; }
    double Value(std::size_t c, std::size_t r) const { return columns_[c][r]; }

    // Calls accept(record, peer, time) for every record from..to-1 of a shown peer with a
    // time in the window, in record order.
    template <class Accept> void ForEachInWindow(std::size_t from, std::size_t to, const Accept& accept) const
    {
        for (std::size_t r = from; r < to; ++r) {
            if (peers_[r] == PeerRecordStore::NoPeer)
                continue;
            const int peer = shownPeer_[peers_[r]];
            if (peer == PeerLookup::NotFound || !(flags_[r] & PeerRecordStore::HasTime))
                continue;
            const double t = times_[r] - zoneOffset_;
            if (t < windowStart_)
                continue;
            accept(r, std::size_t(peer), t);
        }
    }

    // Whether record r is a point on chart c. Offset, delay and dispersion must be
    // numbers; the jitter a number too, unless the record has none (made from another
    // format): such a record counts in every statistic and chart but the jitter's. A
    // chart's threshold keeps outliers off it.
    bool IsPoint(std::size_t c, std::size_t r) const
    {
        const std::uint8_t needed = c == PeerJitterChart ? PeerRecordStore::HasValues | PeerRecordStore::HasJitter
                                                         : PeerRecordStore::HasValues;
        const double value = columns_[c][r];
        return (flags_[r] & needed) == needed && WithinPeerThreshold(value, thresholds_[c])
            && PeerRecordStore::FitsMilliseconds(value);
    }

    // The record's values into its peer's sums.
    void AddTo(PeerAccumulator& accumulator, std::size_t r) const
    {
        const std::optional<double> jitter
            = HasJitter(r) ? std::optional<double>(columns_[PeerJitterChart][r]) : std::nullopt;
        accumulator.Add(
            columns_[PeerOffsetChart][r], columns_[PeerDelayChart][r], columns_[PeerDispersionChart][r], jitter);
    }

private:
    std::span<const std::uint8_t> flags_;
    std::span<const std::uint32_t> peers_;
    std::span<const double> times_;
    std::array<std::span<const double>, PeerChartCount> columns_;
    std::array<double, PeerChartCount> thresholds_ {};
    std::vector<int> shownPeer_;
    double zoneOffset_;
    double windowStart_;
};

std::vector<std::size_t> ShownCharts(const PeerCharts& charts)
{
    std::vector<std::size_t> shown;
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        if (charts[c])
            shown.push_back(c);
    }
    return shown;
}

// The peers to show, and how many records each has, for the store's PeerLineCounts.
struct ShownPeers
{
    std::vector<PeerCount> counts;
    std::vector<std::string> names; // in display order
};

ShownPeers CountShownPeers(const PeerRecordStore& records, const PeerRebuildInputs& inputs)
{
    ShownPeers shown;
    shown.counts = CountPeerRecords(records, inputs.LanOnly, inputs.SelectedPeers);
    KeepBusiestPeers(shown.counts);
    shown.names = PeerDisplayOrder(shown.counts);
    return shown;
}

void KeepLineCounts(PeerStore& store, const std::vector<PeerCount>& counts)
{
    store.PeerLineCounts.clear();
    store.PeerLineCounts.reserve(counts.size());
    for (const PeerCount& c : counts)
        store.PeerLineCounts.push_back({ QString::fromStdString(c.Address), c.Count });
}

std::vector<QString> Addresses(const std::vector<std::string>& names)
{
    std::vector<QString> addresses;
    addresses.reserve(names.size());
    for (const std::string& name : names)
        addresses.push_back(QString::fromStdString(name));
    return addresses;
}

} // namespace

// One series as its builder left it: what adding more points to it needs.
struct PeerSeriesProgress
{
    // The series as the rebuild left it: the same object, points and storage show that
    // nothing else replaced or changed it since.
    TChartSeries* Series = nullptr;
    std::size_t Points = 0;
    const double* Values = nullptr;
    double LowestMs = 0; // the builder's extremes, before any change of unit
    double HighestMs = 0;
    double LastTime = 0;
};

struct PeerRebuildProgress
{
    // The records read, and the inputs the series depend on.
    std::uint64_t History = 0;
    std::size_t Records = 0;
    bool LanOnly = false;
    QStringList SelectedPeers;
    std::array<QString, PeerChartCount> ThresholdTexts;
    std::array<int, PeerChartCount> ScaleSteps {};
    double ZoneOffset = 0;

    std::array<bool, PeerChartCount> Shown {}; // the charts given
    std::vector<std::string> Names;
    std::vector<PeerAccumulator> Accumulators;
    std::optional<double> FirstPeerTime;
    std::optional<double> NewestPeerTime;
    // Per peer, the times its series share; none for a peer whose series each have their own.
    std::vector<std::shared_ptr<ChartValues>> SharedTimes;
    std::array<std::vector<PeerSeriesProgress>, PeerChartCount> Series;
    std::array<PeerAxisScale, PeerChartCount> Scales;

    bool SameInputs(const PeerRebuildInputs& inputs) const
    {
        return inputs.PeerDays <= 0 && LanOnly == inputs.LanOnly && SelectedPeers == inputs.SelectedPeers
            && ThresholdTexts == inputs.ThresholdTexts && ScaleSteps == inputs.ScaleSteps
            && ZoneOffset == inputs.ZoneOffset;
    }
};

namespace {

// The rebuild of records appended since the last one, with the same inputs and peers:
// their points are appended to the series, their values added to the sums, exactly as a
// rebuild of every record would place and add them. None when that is not so (records
// changed or out of time order, other inputs or peers, a chart changing its unit); the
// series are then untouched.
std::optional<PeerRebuildResult> ContinueRebuild(const PeerRecordStore& records, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts)
{
    PeerRebuildProgress* progress = store.LastRebuild.get();
    if (!progress || progress->History != records.History() || progress->Records > records.size()
        || !progress->SameInputs(inputs))
        return std::nullopt;
    const std::vector<std::size_t> shownCharts = ShownCharts(charts);
    const std::size_t peerCount = progress->Names.size();
    for (std::size_t c = 0; c < PeerChartCount; ++c) {
        const bool shown = charts[c] != nullptr;
        if (shown != progress->Shown[c])
            return std::nullopt;
        if (!shown)
            continue;
        if (charts[c]->SeriesCount() != peerCount)
            return std::nullopt;
        for (std::size_t i = 0; i < peerCount; ++i) {
            const PeerSeriesProgress& kept = progress->Series[c][i];
            const TChartSeries& now = charts[c]->Series(i);
            if (&now != kept.Series || now.PointCount() != kept.Points || now.YValues.data() != kept.Values)
                return std::nullopt;
            // Shared times must still be shared by this very series.
            const auto& times = progress->SharedTimes[i];
            if (times && &now.XValues.Values() != times.get())
                return std::nullopt;
        }
    }
    const ShownPeers shown = CountShownPeers(records, inputs);
    if (shown.names != progress->Names)
        return std::nullopt;

    // The new records' points, in record order, and the sums with them.
    const PeerLookup lookup(shown.names);
    const RecordReader reader(records, inputs, lookup, 0);
    struct NewPoints
    {
        std::vector<double> times;
        std::vector<double> values; // milliseconds
    };
    std::array<std::vector<NewPoints>, PeerChartCount> added;
    for (const std::size_t c : shownCharts)
        added[c].resize(peerCount);
    std::vector<PeerAccumulator> accumulators = progress->Accumulators;
    std::array<std::vector<PeerSeriesProgress>, PeerChartCount> series = progress->Series;
    std::optional<double> first = progress->FirstPeerTime;
    std::optional<double> newest = progress->NewestPeerTime;
    bool continues = true;
    reader.ForEachInWindow(progress->Records, records.size(), [&](std::size_t r, std::size_t peer, double t) {
        if (!first)
            first = t;
        newest = newest ? std::max(*newest, t) : t;
        if (!reader.HasValues(r))
            return;
        reader.AddTo(accumulators[peer], r);
        const bool onFirst = !shownCharts.empty() && reader.IsPoint(shownCharts.front(), r);
        for (const std::size_t c : shownCharts) {
            const bool point = reader.IsPoint(c, r);
            if (progress->SharedTimes[peer] && point != onFirst)
                continues = false; // the times would differ from chart to chart
            if (!point)
                continue;
            PeerSeriesProgress& s = series[c][peer];
            const double ms = reader.Value(c, r) * 1000.0;
            const bool firstPoint = s.Series->PointCount() == 0 && added[c][peer].times.empty();
            if (!firstPoint && t < s.LastTime)
                continues = false; // a series out of time order is ordered as a whole
            s.LowestMs = firstPoint ? ms : std::min(s.LowestMs, ms);
            s.HighestMs = firstPoint ? ms : std::max(s.HighestMs, ms);
            s.LastTime = t;
            added[c][peer].times.push_back(t);
            added[c][peer].values.push_back(ms);
        }
    });
    if (!continues)
        return std::nullopt;

    // Each chart's scale from the extremes of all its series, as a rebuild finds it; the
    // new points in the chart's unit.
    std::array<PeerAxisScale, PeerChartCount> scales = progress->Scales;
    for (const std::size_t c : shownCharts) {
        double highest = -1e20;
        double lowest = 1e20;
        for (const PeerSeriesProgress& s : series[c]) {
            highest = std::max(highest, s.HighestMs);
            lowest = std::min(lowest, s.LowestMs);
        }
        scales[c]
            = ComputePeerAxisScale(peerCount > 0, highest, lowest, ChartDesigns[c].floorAtZero, inputs.ScaleSteps[c]);
        if (scales[c].Microseconds != progress->Scales[c].Microseconds)
            return std::nullopt;
        const double factor = scales[c].Microseconds ? 1000.0 : 1.0;
        for (NewPoints& points : added[c]) {
            for (double& value : points.values) {
                value *= factor;
                if (!std::isfinite(value))
                    return std::nullopt;
            }
        }
    }
    // Times shared with anything but the peer's series (a copy of one) stay as they are.
    for (std::size_t i = 0; i < peerCount; ++i) {
        const auto& times = progress->SharedTimes[i];
        if (times && times.use_count() != long(shownCharts.size()) + 1)
            return std::nullopt;
    }

    // Every check passed: the points go on. Shared times are lengthened before the values
    // of the series sharing them, so the room for all is made first: once anything has
    // changed, nothing can fail. Should making room fail, the next rebuild starts afresh.
    std::shared_ptr<PeerRebuildProgress> kept = std::move(store.LastRebuild);
    for (std::size_t i = 0; i < peerCount; ++i) {
        const auto& times = progress->SharedTimes[i];
        if (!times || shownCharts.empty())
            continue;
        times->reserve(times->size() + added[shownCharts.front()][i].times.size());
        for (const std::size_t c : shownCharts)
            series[c][i].Series->ReserveYValues(added[c][i].values.size());
    }
    for (std::size_t i = 0; i < peerCount; ++i) {
        if (progress->SharedTimes[i] && !shownCharts.empty()) {
            const std::vector<double>& times = added[shownCharts.front()][i].times;
            progress->SharedTimes[i]->insert(progress->SharedTimes[i]->end(), times.begin(), times.end());
        }
    }
    for (const std::size_t c : shownCharts) {
        for (std::size_t i = 0; i < peerCount; ++i) {
            const NewPoints& points = added[c][i];
            if (points.values.empty())
                continue;
            TChartSeries& s = *series[c][i].Series;
            double lowest = 0;
            double highest = 0;
            const bool had = s.FiniteYRange(lowest, highest);
            for (std::size_t k = 0; k < points.values.size(); ++k) {
                const double drawn = points.values[k];
                lowest = !had && k == 0 ? drawn : std::min(lowest, drawn);
                highest = !had && k == 0 ? drawn : std::max(highest, drawn);
            }
            if (progress->SharedTimes[i])
                s.AppendFiniteYValues(points.values, lowest, highest);
            else
                s.AppendFinitePoints(points.times, points.values, lowest, highest);
            series[c][i].Points = s.PointCount();
            series[c][i].Values = s.YValues.data();
        }
        charts[c]->LeftAxis().SetRange(scales[c].Minimum, scales[c].Maximum);
    }

    KeepLineCounts(store, shown.counts);
    store.LastRebuild = std::move(kept);
    progress->Records = records.size();
    progress->Accumulators = accumulators;
    progress->FirstPeerTime = first;
    progress->NewestPeerTime = newest;
    progress->Series = series;
    progress->Scales = scales;

    PeerRebuildResult result;
    result.Rebuilt = true;
    result.Continued = true;
    if (newest)
        latestTime = std::max(latestTime, *newest);
    result.FirstPeerTime = first.value_or(0.0);
    result.TimeAxisTitle = PeerTimeAxisTitle(inputs.DirectoryLabel, result.FirstPeerTime, latestTime, inputs.ZoneLabel);
    for (const std::size_t c : shownCharts)
        charts[c]->BottomAxis().Title().SetCaption(result.TimeAxisTitle);
    result.Scales = scales;
    result.TableRows = BuildPeerTableRows(Addresses(shown.names), accumulators, inputs.Sort, inputs.Locale);
    return result;
}

// Where the passes over the records have got to. When the rebuild is the records' last
// reading, the records every pass is done with go back to the system as the passes move
// on, and the series filled meanwhile take their memory: a year's charts then need little
// fresh memory beside the records'.
class PassProgress
{
public:
    PassProgress(PeerRecordStore* spent, std::size_t passes, std::size_t records)
        : spent_(spent)
    {
        for (std::size_t i = passes; i < done_.size(); ++i)
            done_[i] = records;
    }

    void Reached(std::size_t pass, std::size_t record)
    {
        done_[pass] = record;
        if (!spent_)
            return;
        const std::size_t behindAll = std::min(done_[0].load(), done_[1].load());
        const std::lock_guard lock(mutex_);
        if (behindAll > discarded_) {
            spent_->DiscardFront(behindAll);
            discarded_ = behindAll;
        }
    }

private:
    PeerRecordStore* spent_;
    std::array<std::atomic<std::size_t>, 2> done_ {};
    std::mutex mutex_;
    std::size_t discarded_ = 0;
};

// spent: the records themselves when this is their last reading.
PeerRebuildResult Rebuild(const PeerRecordStore& records, PeerRecordStore* spent, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts)
{
    PeerRebuildResult result;
    if (records.empty())
        return result;
    if (std::optional<PeerRebuildResult> continued = ContinueRebuild(records, inputs, store, latestTime, charts))
        return *continued;
    store.LastRebuild.reset(); // it holds the series' shared times, which are about to be reused
    result.Rebuilt = true;

    // Which peers, how many records each, in which order.
    const ShownPeers shown = CountShownPeers(records, inputs);
    const std::vector<PeerCount>& counts = shown.counts;
    const std::vector<std::string>& names = shown.names;
    const double windowStart = PeerWindowStart(records, inputs.PeerDays, inputs.ZoneOffset);

    KeepLineCounts(store, counts);
    const std::vector<QString> addresses = Addresses(names);
    store.PeerNames = QStringList(addresses.begin(), addresses.end());

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
    const RecordReader reader(records, inputs, lookup, windowStart);
    std::vector<PeerAccumulator> accumulators(names.size());
    std::array<std::vector<PeerSeriesBuilder>, PeerChartCount> builders;
    // Without a window every counted line may become a point, so each series gets its
    // room at once, and a little more for the records a reload appends; with one, most
    // lines of a long history are skipped and reserving for all of them would hold
    // memory for nothing.
    std::vector<std::size_t> expectedPoints(names.size());
    if (windowStart <= 0) {
        for (const PeerCount& c : counts) {
            const int i = lookup.Find(c.Address);
            if (i != PeerLookup::NotFound)
                expectedPoints[std::size_t(i)] = std::size_t(c.Count) + std::size_t(c.Count) / 64;
        }
    }

    const std::vector<std::size_t> shownCharts = ShownCharts(charts);
    // A peer whose records are points on every chart alike or on none (no threshold takes
    // any off, every one has a jitter) has the same times on every chart: one copy of them
    // serves all its series, kept by the builder of the first chart.
    std::vector<char> sameTimes(names.size(), 1);
    if (shownCharts.size() > 1 && !reader.HasThresholds()) {
        // What the store knows of each address tells, without a look at the records.
        for (std::uint32_t a = 0; a < records.AddressCount(); ++a) {
            const int peer = reader.ShownPeer(a);
            if (peer != PeerLookup::NotFound && !records.PointsAlike(a))
                sameTimes[std::size_t(peer)] = 0;
        }
    } else if (shownCharts.size() > 1) {
        std::array<std::vector<char>, 2> differs { std::vector<char>(names.size()), std::vector<char>(names.size()) };
        RunSharedWork(2, [&](std::size_t half) {
            const std::size_t middle = reader.size() / 2;
            reader.ForEachInWindow(half == 0 ? 0 : middle, half == 0 ? middle : reader.size(),
                [&](std::size_t r, std::size_t peer, double) {
                    const bool first = reader.IsPoint(shownCharts.front(), r);
                    for (std::size_t k = 1; k < shownCharts.size(); ++k)
                        differs[half][peer] |= char(reader.IsPoint(shownCharts[k], r) != first);
                });
        });
        for (std::size_t i = 0; i < names.size(); ++i)
            sameTimes[i] = !differs[0][i] && !differs[1][i];
    }
    for (const std::size_t c : shownCharts) {
        builders[c].reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool keepsTimes = !sameTimes[i] || c == shownCharts.front();
            builders[c].emplace_back(PeerColour(int(i)), addresses[i], expectedPoints[i],
                i < spare[c].size() ? std::move(spare[c][i]) : PeerPointStorage {}, keepsTimes);
        }
    }

    // The first and newest times with the table's sums, and each chart's series, are
    // independent: each is filled in record order, so the same values arrive in the same
    // order wherever it is filled. Two passes over the records, one a thread: the sums
    // with the first half of the charts, and the other half.
    const std::size_t firstHalf = (shownCharts.size() + 1) / 2;
    std::optional<double> first;
    std::optional<double> newest;
    std::array<FinishedChart, PeerChartCount> finished;
    const auto pass = [&](bool sums, std::span<const std::size_t> chartList, std::size_t from, std::size_t to) {
        reader.ForEachInWindow(from, to, [&](std::size_t r, std::size_t peer, double t) {
            if (sums) {
                if (!first)
                    first = t;
                newest = newest ? std::max(*newest, t) : t;
            }
            if (!reader.HasValues(r))
                return;
            if (sums)
                reader.AddTo(accumulators[peer], r);
            for (const std::size_t c : chartList) {
                if (reader.IsPoint(c, r))
                    builders[c][peer].Add(t, reader.Value(c, r) * 1000.0);
            }
        });
    };
    const std::span<const std::size_t> chartsShown(shownCharts);
    const std::size_t passes = chartsShown.size() > firstHalf ? 2 : 1;
    PassProgress progressOfPasses(spent, passes, reader.size());
    RunSharedWork(passes, [&](std::size_t piece) {
        constexpr std::size_t Block = std::size_t(1) << 16;
        for (std::size_t from = 0; from < reader.size(); from += Block) {
            const std::size_t to = std::min(reader.size(), from + Block);
            if (piece == 0)
                pass(true, chartsShown.first(firstHalf), from, to);
            else
                pass(false, chartsShown.subspan(firstHalf), from, to);
            progressOfPasses.Reached(piece, to);
        }
    });
    if (newest)
        latestTime = std::max(latestTime, *newest);
    result.FirstPeerTime = first.value_or(0.0);

    // What a later rebuild of appended records goes on from: taken before the builders
    // are spent. Without a window only: a window moves with every record appended.
    auto progress = std::make_shared<PeerRebuildProgress>();
    bool canContinue = inputs.PeerDays <= 0;
    progress->SharedTimes.resize(names.size());
    for (const std::size_t c : shownCharts) {
        for (const PeerSeriesBuilder& builder : builders[c]) {
            canContinue = canContinue && !builder.Unordered();
            progress->Series[c].push_back(
                { nullptr, 0, nullptr, builder.LowestY(), builder.HighestY(), builder.LastX() });
        }
    }
    for (std::size_t i = 0; i < names.size() && !shownCharts.empty(); ++i) {
        if (!sameTimes[i])
            continue;
        const auto shared = builders[shownCharts.front()][i].ShareTimes();
        for (const std::size_t c : shownCharts)
            builders[c][i].UseTimes(shared);
        progress->SharedTimes[i] = shared->xs;
    }
    std::array<std::vector<std::size_t>, PeerChartCount> pointsAdded;
    for (const std::size_t c : shownCharts) {
        for (const PeerSeriesBuilder& builder : builders[c])
            pointsAdded[c].push_back(builder.PointCount());
    }
    RunSharedWork(shownCharts.size(), [&](std::size_t k) {
        const std::size_t c = shownCharts[k];
        finished[c] = FinishSeries(builders[c], ChartDesigns[c], inputs.ScaleSteps[c]);
    });

    result.TimeAxisTitle = PeerTimeAxisTitle(inputs.DirectoryLabel, result.FirstPeerTime, latestTime, inputs.ZoneLabel);
    for (const std::size_t c : shownCharts) {
        for (std::size_t i = 0; i < finished[c].series.size(); ++i) {
            // A point left out on changing the unit leaves the series' times its own.
            canContinue = canContinue && finished[c].series[i]->PointCount() == pointsAdded[c][i];
            progress->Series[c][i].Series = finished[c].series[i].get();
            progress->Series[c][i].Points = finished[c].series[i]->PointCount();
            progress->Series[c][i].Values = finished[c].series[i]->YValues.data();
        }
        charts[c]->BottomAxis().Title().SetCaption(result.TimeAxisTitle);
        ShowSeries(*charts[c], finished[c], ChartDesigns[c]);
        result.Scales[c] = finished[c].scale;
    }

    result.TableRows = BuildPeerTableRows(addresses, accumulators, inputs.Sort, inputs.Locale);
    if (canContinue) {
        progress->History = records.History();
        progress->Records = records.size();
        for (const std::size_t c : shownCharts)
            progress->Shown[c] = true;
        progress->LanOnly = inputs.LanOnly;
        progress->SelectedPeers = inputs.SelectedPeers;
        progress->ThresholdTexts = inputs.ThresholdTexts;
        progress->ScaleSteps = inputs.ScaleSteps;
        progress->ZoneOffset = inputs.ZoneOffset;
        progress->Names = names;
        progress->Accumulators = std::move(accumulators);
        progress->FirstPeerTime = first;
        progress->NewestPeerTime = newest;
        progress->Scales = result.Scales;
        store.LastRebuild = std::move(progress);
    }
    return result;
}

} // namespace

PeerRebuildResult RebuildPeerStatistics(const PeerRecordStore& records, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts)
{
    return Rebuild(records, nullptr, inputs, store, latestTime, charts);
}

PeerRebuildResult RebuildPeerStatistics(PeerRecordStore&& records, const PeerRebuildInputs& inputs, PeerStore& store,
    double& latestTime, const PeerCharts& charts)
{
    // Emptied whatever happens: some of the records' memory may be gone already.
    struct Emptied
    {
        PeerRecordStore& records;
        ~Emptied() { records = PeerRecordStore {}; }
    } emptied { records };
    return Rebuild(records, &records, inputs, store, latestTime, charts);
}
