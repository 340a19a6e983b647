#pragma once

#include "ChartColor.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
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

// The Y values of one peer series in milliseconds, whatever unit its chart shows.
struct PeerChartValues
{
    std::span<const double> Shown; // as the series holds them
    bool Microseconds = false; // the chart's axis is zoomed into microseconds

    // What a shown value is divided by to be in milliseconds.
    double Divisor() const { return Microseconds ? 1000.0 : 1.0; }
    std::size_t size() const { return Shown.size(); }
    bool empty() const { return Shown.empty(); }
    double operator[](std::size_t i) const { return Microseconds ? Shown[i] / 1000.0 : Shown[i]; }
};

// The records a peer's charts show: the points of its series on the offset, delay and
// jitter charts. Views of the series, not copies (a year of them is tens of MB): they
// hold until the peer charts are rebuilt, and the document takes them again after
// every rebuild.
struct PeerSamples
{
    QString Address;
    ChartColor Colour;
    std::span<const double> OffsetTimes; // day numbers, ascending
    PeerChartValues Offsets;
    PeerChartValues Delays;
    PeerChartValues Jitters;
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

// One PeerSamples per shown peer (series i of each chart belongs to peer i).
std::vector<PeerSamples> PeerSamplesFromCharts(
    const QStringList& peerNames, const std::array<PeerChartPoints, 3>& charts);
