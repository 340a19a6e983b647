#include "StabilityChart.h"

#include "ChartCsv.h"
#include "LoopChartRebuild.h"
#include "SharedWork.h"
#include "TChart.h"
#include "TErrorBarSeries.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Apart from the peers' colours, which the peer charts use.
constexpr ChartColor AdevColour { 200, 0, 0 };
constexpr ChartColor MdevColour { 0, 140, 0 };
constexpr ChartColor TdevColour { 120, 60, 200 };

std::vector<double> Seconds(std::span<const double> milliseconds)
{
    std::vector<double> seconds(milliseconds.begin(), milliseconds.end());
    for (double& v : seconds)
        v /= 1000.0;
    return seconds;
}

void AddCurve(StabilityEstimates& estimates, const QString& name, ChartColor colour, bool timeDeviation,
    const std::vector<StabilityPoint>& points)
{
    if (!points.empty())
        estimates.Curves.push_back({ name, colour, timeDeviation, points });
}

} // namespace

QString NotEnoughDataTitle()
{
    return QStringLiteral("Not enough data for a stability estimate");
}

StabilityEstimates EstimateStability(
    const LoopWindowSamples& loop, std::span<const PeerSamples> peers, bool withPeers, const QString& zoneLabel)
{
    StabilityEstimates estimates;
    const std::size_t loopCount = std::min(loop.Times.size(), loop.Offsets.size());
    double from = -INFINITY;
    double to = INFINITY;
    if (loopCount > 0) {
        const std::span<const double> times(loop.Times.data(), loopCount);
        const ClockStability stability = EstimateClockStability(times, Seconds({ loop.Offsets.data(), loopCount }));
        AddCurve(estimates, QStringLiteral("Loop ADEV"), AdevColour, false, stability.Adev);
        AddCurve(estimates, QStringLiteral("Loop MDEV"), MdevColour, false, stability.Mdev);
        AddCurve(estimates, QStringLiteral("Loop TDEV"), TdevColour, true, stability.Tdev);
        const auto [lowest, highest] = std::minmax_element(times.begin(), times.end());
        from = *lowest;
        to = *highest;
        estimates.Span = PlottedSpanText(loop.FirstPlottedTime, loop.LatestTime, zoneLabel);
    }
    if (!withPeers)
        return estimates;

    // Each peer's estimate is its own: they are made on whichever core is free.
    struct PeerEstimate
    {
        ClockStability stability;
        double from = INFINITY;
        double to = -INFINITY;
    };
    std::vector<PeerEstimate> perPeer(peers.size());
    RunSharedWork(peers.size(), [&](std::size_t k) {
        const PeerSamples& peer = peers[k];
        PeerEstimate& estimate = perPeer[k];
        std::vector<double> times;
        std::vector<double> phases;
        const std::size_t n = std::min(peer.OffsetTimes.size(), peer.Offsets.size());
        for (std::size_t i = 0; i < n; ++i) {
            const double t = peer.OffsetTimes[i];
            if (t < from || t > to)
                continue;
            times.push_back(t);
            phases.push_back(peer.Offsets[i] / 1000.0);
            if (std::isfinite(t)) {
                estimate.from = std::min(estimate.from, t);
                estimate.to = std::max(estimate.to, t);
            }
        }
        estimate.stability = EstimateClockStability(times, phases);
    });
    double peersFrom = INFINITY;
    double peersTo = -INFINITY;
    for (std::size_t k = 0; k < peers.size(); ++k) {
        AddCurve(
            estimates, peers[k].Address + QStringLiteral(" ADEV"), peers[k].Colour, false, perPeer[k].stability.Adev);
        peersFrom = std::min(peersFrom, perPeer[k].from);
        peersTo = std::max(peersTo, perPeer[k].to);
    }
    // Without a loop window the span is that of the peer records used.
    if (estimates.Span.isEmpty() && peersFrom <= peersTo)
        estimates.Span = PlottedSpanText(peersFrom, peersTo, zoneLabel);
    return estimates;
}

void BuildStabilityChart(const StabilityEstimates& estimates, TChart& chart)
{
    RemoveAllSeries(chart);
    bool anyTimeDeviation = false;
    for (const StabilityCurve& curve : estimates.Curves) {
        auto series = std::make_unique<TErrorBarSeries>();
        series->SetTitle(curve.Name);
        series->SetSeriesColor(curve.Colour);
        series->SetValueNames(QStringLiteral("τ"), QStringLiteral("s"), QStringLiteral("σ"),
            curve.TimeDeviation ? QStringLiteral("s") : QString());
        if (curve.TimeDeviation)
            series->SetVertAxis(VerticalAxis::Right);
        series->BeginUpdate();
        for (const StabilityPoint& point : curve.Points)
            // A deviation of 0 (a straight or exactly periodic phase) has no place on a
            // logarithmic axis; the data file still lists it.
            if (point.Deviation > 0 && point.TauSeconds > 0)
                series->AddBar(point.TauSeconds, point.Deviation, point.Low, point.High, point.Terms);
        series->EndUpdate();
        if (series->PointCount() == 0)
            continue;
        anyTimeDeviation = anyTimeDeviation || curve.TimeDeviation;
        AttachSeries(chart, std::move(series));
    }
    TChartAxis& right = chart.RightAxis();
    const ChartColor rightColour = anyTimeDeviation ? TdevColour : ChartColors::Black;
    right.Title().SetFontColor(rightColour);
    right.SetLabelsFontColor(rightColour);
    chart.SetTitle(chart.SeriesCount() == 0 ? NotEnoughDataTitle()
                                            : QStringLiteral("Stability versus averaging time  -  ") + estimates.Span);
}

QString StabilityCsv(const StabilityEstimates& estimates)
{
    QString text = QStringLiteral("series,tau,deviation,low,high,n\n");
    for (const StabilityCurve& curve : estimates.Curves)
        for (const StabilityPoint& point : curve.Points)
            text += CsvField(curve.Name) + QLatin1Char(',') + CsvNumber(point.TauSeconds) + QLatin1Char(',')
                + CsvNumber(point.Deviation) + QLatin1Char(',') + CsvNumber(point.Low) + QLatin1Char(',')
                + CsvNumber(point.High) + QLatin1Char(',') + QString::number(point.Terms) + QLatin1Char('\n');
    return text;
}
