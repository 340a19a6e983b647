#include "TChartAxisTitle.h"

#include "TChart.h"

void TChartAxisTitle::SetCaption(const QString& caption)
{
    caption_ = caption;
    if (chart_ != nullptr)
        chart_->NotifyChanged();
}

void TChartAxisTitle::SetAngle(int degrees)
{
    angle_ = degrees;
    if (chart_ != nullptr)
        chart_->NotifyChanged();
}

void TChartAxisTitle::SetFontColor(ChartColor colour)
{
    fontColor_ = colour;
    if (chart_ != nullptr)
        chart_->NotifyChanged();
}
