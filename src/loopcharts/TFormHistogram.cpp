#include "TFormHistogram.h"

#include "ChartConfiguration.h"
#include "TChart.h"
#include "TChartView.h"
#include "TFastLineSeries.h"

#include <QVBoxLayout>

#include <vector>

TFormHistogram::TFormHistogram(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tallimer - Histogram of offsets"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    chartView = new TChartView(this);
    layout->addWidget(chartView);
    ConfigureChart(chartView->Chart(), ChartId::Histo);
    resize(535, 341);
}

TFormHistogram::~TFormHistogram() = default;

TChart& TFormHistogram::ChartHisto()
{
    return chartView->Chart();
}

void TFormHistogram::TakeOffsets(std::unique_ptr<TLineSeries> copy, double clipLimit)
{
    offsetCopy = copy ? std::move(copy) : std::make_unique<TLineSeries>();
    offsetClipLimit = clipLimit;
}

void TFormHistogram::Recompute()
{
    const std::vector<double>& ys = offsetCopy->YValues.Values();
    histogram = BinOffsets(ys, offsetClipLimit);

    TChart& chart = ChartHisto();
    if (chart.SeriesCount() == 0) {
        auto line = std::make_unique<TFastLineSeries>();
        line->SetSeriesColor(ChartColors::Red);
        AttachSeries(chart, std::move(line));
    }
    TChartSeries& line = chart.Series(0);
    line.BeginUpdate();
    line.ClearPoints();
    for (const HistogramBin& bin : histogram.Bins)
        line.AddPoint(bin.Offset, bin.Count);
    line.EndUpdate();
    chart.SetTitle(histogram.ChartTitle);
    chart.BottomAxis().Title().SetCaption(histogram.BottomTitle);
}

void TFormHistogram::PopupOffsethistogramClick()
{
    exec();
}

void TFormHistogram::showEvent(QShowEvent* event)
{
    Recompute();
    QDialog::showEvent(event);
}
