#pragma once

#include "OffsetHistogram.h"
#include "TLineSeries.h"

#include <QDialog>

#include <memory>

class TChart;
class TChartView;

// The window "Tallimer - Histogram of offsets": how the offsets of the latest loop
// rebuild are distributed, with their mean and standard deviation. Shown modally from
// the context menu of ChartOffsets; recomputed at every showing from the copy of the
// offset series that each rebuild hands over.
class TFormHistogram : public QDialog
{
    Q_OBJECT

public:
    explicit TFormHistogram(QWidget* parent = nullptr);
    ~TFormHistogram() override;

    // Called after every loop rebuild with the copy of its offset series (as drawn:
    // clipped, in the offset unit, with the gap markers) and its clip limit (µs).
    // A null copy is taken as an empty one.
    void TakeOffsets(std::unique_ptr<TLineSeries> offsetCopy, double offsetClipLimit);

    const TLineSeries& OffsetCopy() const { return *offsetCopy; }
    double OffsetClipLimit() const { return offsetClipLimit; }
    TChart& ChartHisto();
    TChartView& ChartHistoView() { return *chartView; }

    // Bins the offset copy and redraws the chart; every showing does this first.
    void Recompute();
    // The histogram of the last Recompute.
    const OffsetHistogram& Histogram() const { return histogram; }

    // PopupOffsethistogramClick: shows the window modally.
    void PopupOffsethistogramClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TChartView* chartView = nullptr;
    std::unique_ptr<TLineSeries> offsetCopy = std::make_unique<TLineSeries>();
    double offsetClipLimit = 0;
    OffsetHistogram histogram;
};
