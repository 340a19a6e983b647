#pragma once

#include "AnalysisSamples.h"
#include "ClockStability.h"

#include <QString>

#include <span>
#include <vector>

class TChart;

// One curve of the stability chart: a deviation of the loop's or a peer's offsets.
struct StabilityCurve
{
    QString Name; // "Loop ADEV", "192.168.0.5 ADEV": legend and CSV
    ChartColor Colour;
    bool TimeDeviation = false; // TDEV, in seconds, on the right axis
    std::vector<StabilityPoint> Points;
};

// What the stability chart and its data show.
struct StabilityEstimates
{
    std::vector<StabilityCurve> Curves; // curves without points are left out
    QString Span; // "2023-Feb-25 00:00 to 12:00 UTC"; empty without data

    bool Empty() const { return Curves.empty(); }
};

// The title the chart has while no averaging time can be estimated.
QString NotEnoughDataTitle();

// The loop's ADEV, MDEV and TDEV from the offsets of the plotted window and, with
// withPeers, each peer's ADEV from its offset records within the same span (all of them
// when there is no loop window). Offsets are read as phases in seconds.
StabilityEstimates EstimateStability(
    const LoopWindowSamples& loop, std::span<const PeerSamples> peers, bool withPeers, const QString& zoneLabel);

// Fills the stability chart: one series per curve, drawn with its error bars σ(1 ± 1/√n),
// the time deviation on the right axis (titled and labelled in its colour), and the
// title "Stability versus averaging time  -  " and the span, or NotEnoughDataTitle().
void BuildStabilityChart(const StabilityEstimates& estimates, TChart& chart);

// The curves as CSV: "series,tau,deviation,low,high,n", then one row per point; tau in
// seconds and the deviations with 9 significant digits.
QString StabilityCsv(const StabilityEstimates& estimates);
