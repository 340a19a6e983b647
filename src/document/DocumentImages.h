#pragma once

#include "ChartImageHost.h"

#include <QImage>

struct ChartRow;
class StatisticsDocument;
class TChart;

// A chart drawn at its model's size, by the same routine that draws it on screen; a
// null image for a chart without a size.
QImage RenderChartImage(const TChart& chart);

// The image of one row: its chart, or the whole peer or summary table in the
// application's font.
QImage RenderRowImage(const StatisticsDocument& document, const ChartRow& row);

// Saving the document's images without a window: there are no pages to show, each
// chart is drawn at the size the document gave its models.
class DocumentImageHost : public ChartImageHost
{
public:
    explicit DocumentImageHost(const StatisticsDocument& document);

    void BeginSaving() override { }
    void ShowImagePage(const ChartRow&) override { }
    void EndGroup(ChartGroup) override { }
    void EndSaving() override { }

    QString LoopDirectory() const override;
    bool HavePeerData() const override;
    double ReferenceHighestX(ChartGroup group) const override;
    QImage RenderImage(const ChartRow& row) override;
    bool DrawsFromAnyThread() const override;

private:
    const StatisticsDocument& document_;
};
