#include "TChartSeries.h"

#include "TChart.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <iterator>

void TChartSeries::Changed()
{
    // A detached series has nobody to tell; inside a batch the last EndUpdate tells.
    if (chart_ != nullptr && updateDepth_ == 0)
        chart_->NotifyChanged();
}

void TChartSeries::SetTitle(const QString& title)
{
    title_ = title;
    Changed();
}

void TChartSeries::SetSeriesColor(ChartColor colour)
{
    color_ = colour;
    Changed();
}

void TChartSeries::SetShowInLegend(bool show)
{
    showInLegend_ = show;
    Changed();
}

void TChartSeries::SetVertAxis(VerticalAxis axis)
{
    vertAxis_ = axis;
    Changed();
}

void TChartSeries::BeginUpdate()
{
    ++updateDepth_;
}

void TChartSeries::EndUpdate()
{
    if (updateDepth_ <= 0)
        return;
    --updateDepth_;
    Changed();
}

void TChartSeries::AddPoint(double x, double y)
{
    if (std::isnan(x))
        return;
    if (yRangeKnown_ && std::isfinite(y)) {
        finiteLowY_ = anyFiniteY_ ? std::min(finiteLowY_, y) : y;
        finiteHighY_ = anyFiniteY_ ? std::max(finiteHighY_, y) : y;
        anyFiniteY_ = true;
    }
    ChartValues& xs = XValues.Own();
    ChartValues& ys = YValues.Own();
    if (xs.empty() || !(x < xs.back())) {
        xs.push_back(x);
        ys.push_back(y);
    } else {
        // Walk back past every point with a greater X; equal X values stay in front of the
        // new point, so their insertion order is kept.
        std::size_t at = xs.size();
        while (at > 0 && xs[at - 1] > x)
            --at;
        xs.insert(xs.begin() + std::ptrdiff_t(at), x);
        ys.insert(ys.begin() + std::ptrdiff_t(at), y);
    }
    Changed();
}

void TChartSeries::ClearPoints()
{
    XValues.Assign({});
    YValues.Assign({});
    yRangeKnown_ = true;
    anyFiniteY_ = false;
    Changed();
}

void TChartSeries::ReservePoints(std::size_t n)
{
    XValues.Own().reserve(n);
    YValues.Own().reserve(n);
}

void TChartSeries::AssignFinitePoints(ChartValues&& xs, ChartValues&& ys, double lowestY, double highestY)
{
    XValues.Assign(std::move(xs));
    AssignFiniteYValues(std::move(ys), lowestY, highestY);
}

void TChartSeries::AssignFinitePoints(
    std::shared_ptr<ChartValues> xs, ChartValues&& ys, double lowestY, double highestY)
{
    XValues.values_ = {};
    XValues.shared_ = std::move(xs);
    AssignFiniteYValues(std::move(ys), lowestY, highestY);
}

void TChartSeries::AppendFinitePoints(
    std::span<const double> xs, std::span<const double> ys, double lowestY, double highestY)
{
    // Both have room first: X never grows without Y.
    ChartValues& own = XValues.Own();
    own.reserve(own.size() + xs.size());
    ReserveYValues(ys.size());
    own.insert(own.end(), xs.begin(), xs.end());
    AppendFiniteYValues(ys, lowestY, highestY);
}

void TChartSeries::ReserveYValues(std::size_t more)
{
    ChartValues& own = YValues.Own();
    own.reserve(own.size() + more);
}

void TChartSeries::AppendFiniteYValues(std::span<const double> ys, double lowestY, double highestY)
{
    ChartValues& own = YValues.Own();
    own.insert(own.end(), ys.begin(), ys.end());
    Q_ASSERT(XValues.size() == YValues.size());
    if (yRangeKnown_) {
        anyFiniteY_ = !YValues.empty();
        finiteLowY_ = anyFiniteY_ ? lowestY : 0.0;
        finiteHighY_ = anyFiniteY_ ? highestY : 0.0;
    }
    Changed();
}

void TChartSeries::AssignFiniteYValues(ChartValues&& ys, double lowestY, double highestY)
{
    YValues.Assign(std::move(ys));
    yRangeKnown_ = true;
    anyFiniteY_ = !YValues.empty();
    finiteLowY_ = anyFiniteY_ ? lowestY : 0.0;
    finiteHighY_ = anyFiniteY_ ? highestY : 0.0;
    Changed();
}

void TChartSeries::TakePointStorage(ChartValues& xs, ChartValues& ys)
{
    xs = XValues.TakeStorage();
    ys = YValues.TakeStorage();
    yRangeKnown_ = true;
    anyFiniteY_ = false;
    Changed();
}

void TChartSeries::SetYValueAt(std::size_t i, double y)
{
    if (i >= YValues.size())
        return;
    YValues.Own()[i] = y;
    yRangeKnown_ = false;
    Changed();
}

double TChartSeries::HighestY() const
{
    const ChartValues& ys = YValues.Values();
    return ys.empty() ? 0.0 : *std::max_element(ys.begin(), ys.end());
}

double TChartSeries::LowestY() const
{
    const ChartValues& ys = YValues.Values();
    return ys.empty() ? 0.0 : *std::min_element(ys.begin(), ys.end());
}

double TChartSeries::HighestX() const
{
    // X is ascending, so the last point holds the largest X.
    return XValues.empty() ? 0.0 : XValues.Values().back();
}

bool TChartSeries::FiniteYRange(double& lowest, double& highest) const
{
    if (!yRangeKnown_) {
        anyFiniteY_ = false;
        for (const double y : YValues)
            if (std::isfinite(y)) {
                finiteLowY_ = anyFiniteY_ ? std::min(finiteLowY_, y) : y;
                finiteHighY_ = anyFiniteY_ ? std::max(finiteHighY_, y) : y;
                anyFiniteY_ = true;
            }
        yRangeKnown_ = true;
    }
    lowest = finiteLowY_;
    highest = finiteHighY_;
    return anyFiniteY_;
}

bool TChartSeries::ExtraYRange(double&, double&, bool) const
{
    return false;
}

void TChartSeries::CopyFrom(const TChartSeries& other)
{
    if (&other == this)
        return;
    title_ = other.title_;
    if (other.color_.has_value() || chart_ == nullptr)
        color_ = other.color_;
    showInLegend_ = other.showInLegend_;
    vertAxis_ = other.vertAxis_;
    XValues.DateTime = other.XValues.DateTime;
    YValues.DateTime = other.YValues.DateTime;
    // Shared values stay shared: the copy is taken when either series changes them.
    XValues.values_ = other.XValues.values_;
    XValues.shared_ = other.XValues.shared_;
    YValues.values_ = other.YValues.values_;
    YValues.shared_ = other.YValues.shared_;
    yRangeKnown_ = false;
    Changed();
}
