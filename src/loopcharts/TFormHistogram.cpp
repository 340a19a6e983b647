#include "TFormHistogram.h"

#include "TChartView.h"

#include <QVBoxLayout>

TFormHistogram::TFormHistogram(OffsetHistogramModel& model, QWidget* parent)
    : QDialog(parent)
    , model_(model)
{
    setWindowTitle(QStringLiteral("Tallimer - Histogram of offsets"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    chartView_ = new TChartView(&model_.Chart(), this);
    chartView_->setObjectName(QStringLiteral("ChartHisto"));
    layout->addWidget(chartView_);
    resize(535, 341);
}

TFormHistogram::~TFormHistogram() = default;

void TFormHistogram::PopupOffsethistogramClick()
{
    exec();
}

void TFormHistogram::showEvent(QShowEvent* event)
{
    model_.Recompute();
    QDialog::showEvent(event);
}
