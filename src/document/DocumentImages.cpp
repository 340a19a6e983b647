#include "DocumentImages.h"

#include "AnalysisSummary.h"
#include "ChartRenderer.h"
#include "PeerTableLayout.h"
#include "StatisticsDocument.h"

#include <QGuiApplication>
#include <QPainter>

QImage RenderChartImage(const TChart& chart)
{
    if (chart.Width() <= 0 || chart.Height() <= 0)
        return {};
    QImage image(chart.Width(), chart.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawTo(chart, painter, image.rect());
    return image;
}

QImage RenderRowImage(const StatisticsDocument& document, const ChartRow& row)
{
    if (row.Id == ChartId::PeerTable)
        return DrawPeerTableImage(document.PeerTableRows(), QGuiApplication::font());
    if (row.Id == ChartId::AnalysisSummary)
        return DrawSummaryTableImage(AnalysisSummaryTable(document, SummaryCells::Shown), QGuiApplication::font());
    const DocumentChart* chart = document.FindChart(row.Id);
    return chart && chart->Model ? RenderChartImage(*chart->Model) : QImage();
}

DocumentImageHost::DocumentImageHost(const StatisticsDocument& document)
    : document_(document)
{ }

QString DocumentImageHost::LoopDirectory() const
{
    return document_.Files().LoopDirectory;
}

bool DocumentImageHost::HavePeerData() const
{
    return document_.Files().HavePeerData;
}

double DocumentImageHost::ReferenceHighestX(ChartGroup group) const
{
    return document_.ReferenceHighestX(group);
}

QImage DocumentImageHost::RenderImage(const ChartRow& row)
{
    return RenderRowImage(document_, row);
}

bool DocumentImageHost::DrawsFromAnyThread() const
{
    return true; // the document is only read while its images are drawn
}
