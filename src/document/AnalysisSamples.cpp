#include "AnalysisSamples.h"

#include "LoopStore.h"
#include "PeerColour.h"
#include "TChart.h"

#include <algorithm>

LoopWindowSamples CopyLoopWindow(const LoopStore& store, std::int32_t dataSet, std::int32_t first, std::int32_t last,
    double firstPlottedTime, double latestTime)
{
    LoopWindowSamples samples;
    samples.FirstPlottedTime = firstPlottedTime;
    samples.LatestTime = latestTime;
    if (dataSet < 0 || dataSet >= store.DataSetCount || first < 0 || last < first)
        return samples;
    const auto s = std::size_t(dataSet);
    if (s >= store.PointCounts.size() || s >= store.LoopTimes.size() || s >= store.LoopOffsets.size()
        || s >= store.LoopFrequencies.size() || s >= store.LoopJitters.size())
        return samples;
    const std::size_t held = std::min({ std::size_t(std::max(0, store.PointCounts[s])), store.LoopTimes[s].size(),
        store.LoopOffsets[s].size(), store.LoopFrequencies[s].size(), store.LoopJitters[s].size() });
    const std::size_t begin = std::size_t(first);
    const std::size_t end = std::min(held, std::size_t(last) + 1);
    if (begin >= end)
        return samples;
    const auto copy = [begin, end](const LoopStore::Column<double>& from, std::vector<double>& to) {
        to.assign(from.begin() + std::ptrdiff_t(begin), from.begin() + std::ptrdiff_t(end));
    };
    copy(store.LoopTimes[s], samples.Times);
    copy(store.LoopOffsets[s], samples.Offsets);
    copy(store.LoopFrequencies[s], samples.Frequencies);
    copy(store.LoopJitters[s], samples.Jitters);
    return samples;
}

namespace {
std::span<const double> SeriesValues(const TChart* chart, std::size_t i, bool y)
{
    if (!chart || i >= chart->SeriesCount())
        return {};
    const TChartSeries& series = chart->Series(i);
    return (y ? series.YValues : series.XValues).Values();
}
} // namespace

std::vector<PeerSamples> PeerSamplesFromCharts(
    const QStringList& peerNames, const std::array<PeerChartPoints, 3>& charts)
{
    std::vector<PeerSamples> peers(std::size_t(peerNames.size()));
    for (std::size_t i = 0; i < peers.size(); ++i) {
        PeerSamples& peer = peers[i];
        peer.Address = peerNames[qsizetype(i)];
        peer.Colour = PeerColour(int(i));
        peer.OffsetTimes = SeriesValues(charts[SampleOffsetChart].Chart, i, false);
        const auto values = [&](PeerSampleChart c) {
            return PeerChartValues { SeriesValues(charts[c].Chart, i, true), charts[c].Microseconds };
        };
        peer.Offsets = values(SampleOffsetChart);
        peer.Delays = values(SampleDelayChart);
        peer.Jitters = values(SampleJitterChart);
    }
    return peers;
}
