#include "TChartAxis.h"

#include "AxisException.h"
#include "TChart.h"

#include <utility>

namespace {
// The smallest span a manual axis is given, so that a range of one value still maps.
constexpr double MinimumSpan = 1e-10;

int DefaultTitleAngle(AxisPosition position)
{
    switch (position) {
    case AxisPosition::Left:
        return 90;
    case AxisPosition::Right:
        return 270;
    case AxisPosition::Bottom:
        return 0;
    }
    return 0;
}
} // namespace

TChartAxis::TChartAxis(AxisPosition position)
    : position_(position)
    , title_(DefaultTitleAngle(position))
{ }

void TChartAxis::Changed()
{
    if (chart_ != nullptr)
        chart_->NotifyChanged();
}

void TChartAxis::SetLabelsFontColor(ChartColor colour)
{
    labelsFontColor_ = colour;
    Changed();
}

void TChartAxis::SetAutomatic(bool automatic)
{
    automatic_ = automatic;
    automaticMinimum_ = automatic;
    automaticMaximum_ = automatic;
    Changed();
}

void TChartAxis::SetAutomaticMinimum(bool automatic)
{
    automaticMinimum_ = automatic;
    Changed();
}

void TChartAxis::SetAutomaticMaximum(bool automatic)
{
    automaticMaximum_ = automatic;
    Changed();
}

void TChartAxis::SetMinimum(double minimum)
{
    // Written as !(a <= b) so that a NaN end is refused too instead of poisoning the axis.
    if (!(minimum <= maximum_))
        throw AxisException("Axis Minimum Value must be <= Maximum");
    minimum_ = minimum;
    Changed();
}

void TChartAxis::SetMaximum(double maximum)
{
    if (!(maximum >= minimum_))
        throw AxisException("Axis Maximum Value must be >= Minimum");
    maximum_ = maximum;
    Changed();
}

void TChartAxis::SetRange(double a, double b)
{
    automatic_ = false;
    automaticMinimum_ = false;
    automaticMaximum_ = false;
    if (a > b)
        std::swap(a, b);
    minimum_ = a;
    maximum_ = b;
    if (maximum_ - minimum_ < MinimumSpan)
        maximum_ = minimum_ + MinimumSpan;
    Changed();
}

void TChartAxis::SetLogarithmic(bool logarithmic)
{
    logarithmic_ = logarithmic;
    Changed();
}

void TChartAxis::SetDecadeTicks(bool decades)
{
    decadeTicks_ = decades;
    Changed();
}

void TChartAxis::SetAxisValuesFormat(const QString& pattern)
{
    axisValuesFormat_ = pattern;
    Changed();
}

void TChartAxis::SetDateTimeFormat(const QString& pattern)
{
    dateTimeFormat_ = pattern;
    Changed();
}

void SetRange(TChartAxis& axis, double a, double b)
{
    axis.SetRange(a, b);
}
