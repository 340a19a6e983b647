#pragma once

#include "ChartColor.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class TChart;
struct LoopStore;

// The loop samples of the plot window the loop charts show (the data set processed last),
// copied out of the store: a later read may change the store before the next rebuild.
struct LoopWindowSamples
{
    std::vector<double> Times; // day numbers in the time base in use, in store order
    std::vector<double> Offsets; // milliseconds, not clipped
    std::vector<double> Frequencies; // ppm
    std::vector<double> Jitters; // milliseconds
    double FirstPlottedTime = 0;
    double LatestTime = 0; // the "up to" time of the loop charts' titles

    bool Empty() const { return Times.empty(); }
};

// The records a peer's charts show: the points of its series on the offset, delay and
// jitter charts, in milliseconds whatever unit the charts' axes show.
struct PeerSamples
{
    QString Address;
    ChartColor Colour;
    std::vector<double> OffsetTimes; // day numbers, ascending
    std::vector<double> Offsets;
    std::vector<double> Delays;
    std::vector<double> Jitters;
};

// Samples first .. last of data set `dataSet`, as far as the store's arrays hold them;
// empty for a data set or window the store does not have.
LoopWindowSamples CopyLoopWindow(const LoopStore& store, std::int32_t dataSet, std::int32_t first, std::int32_t last,
    double firstPlottedTime, double latestTime);

// The peer charts in this order, each with whether its points were put into
// microseconds (a zoomed axis) or stay in milliseconds.
struct PeerChartPoints
{
    const TChart* Chart = nullptr;
    bool Microseconds = false;
};
enum PeerSampleChart { SampleOffsetChart, SampleDelayChart, SampleJitterChart };

// One PeerSamples per shown peer (series i of each chart belongs to peer i), into peers,
// whatever it held: its vectors' memory is used again, so a rebuild after a reload does
// not ask the system for a year of samples anew. The peers are copied in parallel.
void PeerSamplesFromCharts(
    const QStringList& peerNames, const std::array<PeerChartPoints, 3>& charts, std::vector<PeerSamples>& peers);
