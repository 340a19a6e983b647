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
    const auto copy = [begin, end](const std::vector<double>& from, std::vector<double>& to) {
        to.assign(from.begin() + std::ptrdiff_t(begin), from.begin() + std::ptrdiff_t(end));
    };
    copy(store.LoopTimes[s], samples.Times);
    copy(store.LoopOffsets[s], samples.Offsets);
    copy(store.LoopFrequencies[s], samples.Frequencies);
    copy(store.LoopJitters[s], samples.Jitters);
    return samples;
}

namespace {
// The Y values of series i of a chart in milliseconds.
std::vector<double> Milliseconds(const PeerChartPoints& points, std::size_t i)
{
    if (!points.Chart || i >= points.Chart->SeriesCount())
        return {};
    std::vector<double> values = points.Chart->Series(i).YValues.Values();
    if (points.Microseconds)
        for (double& v : values)
            v /= 1000.0;
    return values;
}
} // namespace

std::vector<PeerSamples> PeerSamplesFromCharts(
    const QStringList& peerNames, const std::array<PeerChartPoints, 3>& charts)
{
    std::vector<PeerSamples> peers;
    peers.reserve(std::size_t(peerNames.size()));
    for (qsizetype i = 0; i < peerNames.size(); ++i) {
        PeerSamples peer;
        peer.Address = peerNames[i];
        peer.Colour = PeerColour(int(i));
        const PeerChartPoints& offsets = charts[SampleOffsetChart];
        if (offsets.Chart && std::size_t(i) < offsets.Chart->SeriesCount())
            peer.OffsetTimes = offsets.Chart->Series(std::size_t(i)).XValues.Values();
        peer.Offsets = Milliseconds(offsets, std::size_t(i));
        peer.Delays = Milliseconds(charts[SampleDelayChart], std::size_t(i));
        peer.Jitters = Milliseconds(charts[SampleJitterChart], std::size_t(i));
        peers.push_back(std::move(peer));
    }
    return peers;
}
