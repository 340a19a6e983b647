#include "TErrorBarSeries.h"

#include <algorithm>
#include <cmath>
#include <iterator>

void TErrorBarSeries::AddBar(double x, double y, double low, double high, std::int64_t terms)
{
    if (std::isnan(x))
        return;
    if (bars_.size() != PointCount())
        bars_.clear(); // out of step: see LowAt
    const bool inStep = bars_.size() == PointCount();
    TLineSeries::AddPoint(x, y);
    if (!inStep)
        return;
    const ChartValues& xs = XValues.Values();
    // AddPoint puts the point after every point whose X is not greater.
    const auto at = std::size_t(std::upper_bound(xs.begin(), xs.end(), x) - xs.begin()) - 1;
    bars_.insert(bars_.begin() + std::ptrdiff_t(std::min(at, bars_.size())), Bar { low, high, terms });
}

void TErrorBarSeries::AddPoint(double x, double y)
{
    AddBar(x, y, y, y, 0);
}

bool TErrorBarSeries::InStep() const
{
    return bars_.size() == PointCount();
}

double TErrorBarSeries::LowAt(std::size_t i) const
{
    return InStep() && i < bars_.size() ? bars_[i].Low : YValueAt(i);
}

double TErrorBarSeries::HighAt(std::size_t i) const
{
    return InStep() && i < bars_.size() ? bars_[i].High : YValueAt(i);
}

std::int64_t TErrorBarSeries::TermsAt(std::size_t i) const
{
    return InStep() && i < bars_.size() ? bars_[i].Terms : 0;
}

void TErrorBarSeries::SetValueNames(
    const QString& xName, const QString& xUnit, const QString& yName, const QString& yUnit)
{
    xName_ = xName;
    xUnit_ = xUnit;
    yName_ = yName;
    yUnit_ = yUnit;
}

bool TErrorBarSeries::ExtraYRange(double& lowest, double& highest, bool positiveOnly) const
{
    bool any = false;
    const std::size_t n = InStep() ? bars_.size() : 0;
    for (std::size_t i = 0; i < n; ++i)
        for (const double v : { bars_[i].Low, bars_[i].High }) {
            if (!std::isfinite(v) || (positiveOnly && v <= 0))
                continue;
            lowest = any ? std::min(lowest, v) : v;
            highest = any ? std::max(highest, v) : v;
            any = true;
        }
    return any;
}
