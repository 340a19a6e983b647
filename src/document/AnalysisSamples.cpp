#include "AnalysisSamples.h"

#include "LoopStore.h"
#include "PeerColour.h"
#include "SharedWork.h"
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
// The Y values of series i of a chart in milliseconds, into values.
void Milliseconds(const PeerChartPoints& points, std::size_t i, std::vector<double>& values)
{
    if (!points.Chart || i >= points.Chart->SeriesCount()) {
        values.clear();
        return;
    }
    const std::vector<double>& y = points.Chart->Series(i).YValues.Values();
    values.assign(y.begin(), y.end());
    if (points.Microseconds)
        for (double& v : values)
            v /= 1000.0;
}
} // namespace

void PeerSamplesFromCharts(
    const QStringList& peerNames, const std::array<PeerChartPoints, 3>& charts, std::vector<PeerSamples>& peers)
{
    peers.resize(std::size_t(peerNames.size()));
    RunSharedWork(peers.size(), [&](std::size_t i) {
        PeerSamples& peer = peers[i];
        peer.Address = peerNames[qsizetype(i)];
        peer.Colour = PeerColour(int(i));
        const PeerChartPoints& offsets = charts[SampleOffsetChart];
        if (offsets.Chart && i < offsets.Chart->SeriesCount()) {
            const std::vector<double>& x = offsets.Chart->Series(i).XValues.Values();
            peer.OffsetTimes.assign(x.begin(), x.end());
        } else {
            peer.OffsetTimes.clear();
        }
        Milliseconds(offsets, i, peer.Offsets);
        Milliseconds(charts[SampleDelayChart], i, peer.Delays);
        Milliseconds(charts[SampleJitterChart], i, peer.Jitters);
    });
}
