#include "TChartLegend.h"

#include "TChart.h"

void TChartLegend::Changed()
{
    if (chart_ != nullptr)
        chart_->NotifyChanged();
}

void TChartLegend::SetVisible(bool visible)
{
    visible_ = visible;
    Changed();
}

void TChartLegend::SetLegendStyle(::LegendStyle style)
{
    style_ = style;
    Changed();
}

void TChartLegend::SetFontSeriesColor(bool seriesColour)
{
    fontSeriesColor_ = seriesColour;
    Changed();
}
