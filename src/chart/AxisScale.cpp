#include "AxisScale.h"

#include "TChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Room left above and below the data on an automatic vertical axis, as a share of the span.
constexpr double VerticalPadding = 0.04;

bool SeriesOnAxis(const TChartSeries& series, const TChartAxis& axis)
{
    switch (axis.Position()) {
    case AxisPosition::Bottom:
        return true;
    case AxisPosition::Left:
        return series.VertAxis() == VerticalAxis::Left;
    case AxisPosition::Right:
        return series.VertAxis() == VerticalAxis::Right;
    }
    return false;
}

struct Extent
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    bool Empty() const { return !(low <= high); }
};

Extent DataExtent(const TChart& chart, const TChartAxis& axis)
{
    const bool horizontal = axis.Position() == AxisPosition::Bottom;
    Extent extent;
    for (std::size_t i = 0; i < chart.SeriesCount(); ++i) {
        const TChartSeries& series = chart.Series(i);
        if (!SeriesOnAxis(series, axis))
            continue;
        // X is ascending: its ends are the first and the last finite values. Y on a linear
        // axis comes from the series' kept range; only a logarithmic one reads every value.
        if (horizontal && !axis.Logarithmic()) {
            const ChartValues& xs = series.XValues.Values();
            const auto first = std::find_if(xs.begin(), xs.end(), [](double v) { return std::isfinite(v); });
            const auto last = std::find_if(xs.rbegin(), xs.rend(), [](double v) { return std::isfinite(v); });
            if (first != xs.end()) {
                extent.low = std::min(extent.low, *first);
                extent.high = std::max(extent.high, *last);
            }
            continue;
        }
        double low = 0.0;
        double high = 0.0;
        if (!horizontal && !axis.Logarithmic()) {
            if (series.FiniteYRange(low, high)) {
                extent.low = std::min(extent.low, low);
                extent.high = std::max(extent.high, high);
            }
            if (series.ExtraYRange(low, high, false)) {
                extent.low = std::min(extent.low, low);
                extent.high = std::max(extent.high, high);
            }
            continue;
        }
        for (const double v : horizontal ? series.XValues : series.YValues) {
            if (!std::isfinite(v) || v <= 0)
                continue;
            extent.low = std::min(extent.low, v);
            extent.high = std::max(extent.high, v);
        }
        if (!horizontal && series.ExtraYRange(low, high, true)) {
            extent.low = std::min(extent.low, low);
            extent.high = std::max(extent.high, high);
        }
    }
    return extent;
}

// Automatic ends of a decade axis go out to the powers of ten around the data, so that
// the axis begins and ends on a labelled tick.
double DecadeBelow(double value)
{
    const double decade = std::pow(10.0, std::floor(std::log10(value) + 1e-9));
    return std::isfinite(decade) && decade > 0 ? decade : value;
}

double DecadeAbove(double value)
{
    const double decade = std::pow(10.0, std::ceil(std::log10(value) - 1e-9));
    return std::isfinite(decade) ? decade : value;
}
} // namespace

double AxisScale::ToPixel(double value, double p0, double p1) const
{
    double fraction;
    if (logarithmic)
        fraction = value > 0 ? std::log(value / minimum) / std::log(maximum / minimum) : -1e6;
    else
        fraction = (value - minimum) / (maximum - minimum);
    if (!std::isfinite(fraction))
        fraction = fraction > 0 ? 1e6 : -1e6;
    // Far-off points are kept far off but within what the rasteriser handles.
    fraction = std::clamp(fraction, -1e5, 1e5);
    return p0 + fraction * (p1 - p0);
}

double AxisScale::FromPixel(double pixel, double p0, double p1) const
{
    const double fraction = p1 == p0 ? 0.0 : (pixel - p0) / (p1 - p0);
    if (logarithmic)
        return minimum * std::pow(maximum / minimum, fraction);
    return minimum + fraction * (maximum - minimum);
}

AxisScale MakeDrawableScale(double minimum, double maximum, bool logarithmic)
{
    AxisScale scale;
    scale.logarithmic = logarithmic;
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        scale.minimum = logarithmic ? 1.0 : 0.0;
        scale.maximum = logarithmic ? 10.0 : 1.0;
        return scale;
    }
    if (minimum > maximum)
        std::swap(minimum, maximum);
    if (logarithmic) {
        if (maximum <= 0) {
            minimum = 1.0;
            maximum = 10.0;
        } else if (minimum <= 0)
            minimum = maximum / 1000.0;
        // Equal ends, or ends so close that their ratio rounds to 1.
        if (!(maximum / minimum > 1.0 + 1e-12)) {
            minimum /= 2.0;
            maximum *= 2.0;
        }
    } else if (!(maximum - minimum > std::max(std::fabs(minimum), std::fabs(maximum)) * 1e-12)) {
        // A single value, or a span lost in the rounding of large ends: centre the value.
        const double half = minimum == 0 ? 1.0 : std::fabs(minimum) * 0.1;
        minimum -= half;
        maximum += half;
    }
    scale.minimum = minimum;
    scale.maximum = maximum;
    return scale;
}

AxisScale ResolveAxisScale(const TChart& chart, const TChartAxis& axis)
{
    const bool log = axis.Logarithmic();
    double low = axis.Minimum();
    double high = axis.Maximum();
    if (axis.MinimumIsAutomatic() || axis.MaximumIsAutomatic()) {
        const Extent data = DataExtent(chart, axis);
        if (data.Empty()) {
            if (axis.MinimumIsAutomatic())
                low = log ? 1.0 : 0.0;
            if (axis.MaximumIsAutomatic())
                high = log ? 10.0 : 1.0;
        } else if (log && axis.DecadeTicks()) {
            if (axis.MinimumIsAutomatic())
                low = DecadeBelow(data.low);
            if (axis.MaximumIsAutomatic())
                high = DecadeAbove(data.high);
            if (axis.MinimumIsAutomatic() && axis.MaximumIsAutomatic() && !(high > low))
                high = low * 10.0; // data on one power of ten: show the decade above it
        } else {
            double padLow = 0.0;
            double padHigh = 0.0;
            if (axis.Position() != AxisPosition::Bottom && data.high > data.low) {
                if (log) {
                    const double ratio = std::pow(data.high / data.low, VerticalPadding);
                    padLow = data.low - data.low / ratio;
                    padHigh = data.high * ratio - data.high;
                } else
                    padLow = padHigh = (data.high - data.low) * VerticalPadding;
            }
            if (axis.MinimumIsAutomatic())
                low = data.low - padLow;
            if (axis.MaximumIsAutomatic())
                high = data.high + padHigh;
        }
    }
    AxisScale scale = MakeDrawableScale(low, high, log);
    scale.decades = log && axis.DecadeTicks();
    return scale;
}

bool AxisShowsDateTime(const TChart& chart, const TChartAxis& axis)
{
    for (std::size_t i = 0; i < chart.SeriesCount(); ++i) {
        const TChartSeries& series = chart.Series(i);
        if (SeriesOnAxis(series, axis))
            return axis.Position() == AxisPosition::Bottom ? series.XValues.DateTime : series.YValues.DateTime;
    }
    return false;
}

bool RightAxisInUse(const TChart& chart)
{
    for (std::size_t i = 0; i < chart.SeriesCount(); ++i)
        if (chart.Series(i).VertAxis() == VerticalAxis::Right)
            return true;
    return false;
}
