#pragma once

#include "OffsetHistogramModel.h"

#include <QDialog>

class TChart;
class TChartView;

// The window "Tallimer - Histogram of offsets": how the offsets of the latest loop
// rebuild are distributed, with their mean and standard deviation. Shown modally from
// the context menu of ChartOffsets; it shows a histogram model it does not own and has
// it binned anew at every showing.
class TFormHistogram : public QDialog
{
    Q_OBJECT

public:
    explicit TFormHistogram(OffsetHistogramModel& model, QWidget* parent = nullptr);
    ~TFormHistogram() override;

    OffsetHistogramModel& Model() { return model_; }
    TChart& ChartHisto() { return model_.Chart(); }
    TChartView& ChartHistoView() { return *chartView_; }

    // PopupOffsethistogramClick: shows the window modally.
    void PopupOffsethistogramClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    OffsetHistogramModel& model_;
    TChartView* chartView_ = nullptr;
};
