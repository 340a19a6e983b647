#include "OffsetHistogramModel.h"

#include "ChartConfiguration.h"
#include "TFastLineSeries.h"

#include <vector>

OffsetHistogramModel::OffsetHistogramModel()
{
    ConfigureChart(chart_, ChartId::Histo);
}

void OffsetHistogramModel::TakeOffsets(std::unique_ptr<TLineSeries> copy, double clipLimit)
{
    offsetCopy_ = copy ? std::move(copy) : std::make_unique<TLineSeries>();
    offsetClipLimit_ = clipLimit;
}

void OffsetHistogramModel::Recompute()
{
    const ChartValues& ys = offsetCopy_->YValues.Values();
    histogram_ = BinOffsets(ys, offsetClipLimit_);

    if (chart_.SeriesCount() == 0) {
        auto line = std::make_unique<TFastLineSeries>();
        line->SetSeriesColor(ChartColors::Red);
        AttachSeries(chart_, std::move(line));
    }
    TChartSeries& line = chart_.Series(0);
    line.BeginUpdate();
    line.ClearPoints();
    for (const HistogramBin& bin : histogram_.Bins)
        line.AddPoint(bin.Offset, bin.Count);
    line.EndUpdate();
    chart_.SetTitle(histogram_.ChartTitle);
    chart_.BottomAxis().Title().SetCaption(histogram_.BottomTitle);
}
