#include "TallimerImageHost.h"

#include "TFormTallimer.h"

#include "ChartRenderer.h"
#include "TChartView.h"
#include "TPeerStatsGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QTabWidget>

#include <algorithm>

TallimerImageHost::TallimerImageHost(TFormTallimer& form)
    : form_(form)
{
}

void TallimerImageHost::BeginSaving()
{
    graphPage_ = form_.PageControlGraph->currentIndex();
    loopPage_ = form_.PageControlLoopstatsChart->currentIndex();
    peerPage_ = form_.PageControlPeerstatsChart->currentIndex();
}

void TallimerImageHost::ShowImagePage(const ChartImageKind& kind)
{
    const bool loop = kind.Group == ChartImageGroup::Loop;
    form_.PageControlGraph->setCurrentWidget(loop ? form_.TabSheetLoopstatsSummary : form_.TabSheetPeerstatsSummary);
    QTabWidget* pages = loop ? form_.PageControlLoopstatsChart : form_.PageControlPeerstatsChart;
    if (auto* page = form_.findChild<QWidget*>(QLatin1String(kind.PageName)))
        pages->setCurrentWidget(page);
}

void TallimerImageHost::EndGroup(ChartImageGroup group)
{
    if (group == ChartImageGroup::Loop)
        form_.PageControlLoopstatsChart->setCurrentIndex(loopPage_);
    else
        form_.PageControlPeerstatsChart->setCurrentIndex(peerPage_);
}

void TallimerImageHost::EndSaving()
{
    form_.PageControlGraph->setCurrentIndex(graphPage_);
}

QString TallimerImageHost::LoopDirectory() const
{
    return form_.Statistics().LoopDirectory;
}

bool TallimerImageHost::HavePeerData() const
{
    return form_.Statistics().HavePeerData;
}

double TallimerImageHost::ReferenceHighestX(ChartImageGroup group) const
{
    const TChart& chart = group == ChartImageGroup::Loop ? form_.ChartOffsets->Chart()
                                                         : form_.ChartPeerstatsOffset->Chart();
    return HighestXOnAxis(chart, chart.BottomAxis());
}

QImage TallimerImageHost::RenderImage(const ChartImageKind& kind)
{
    if (form_.StringGridPeerstats->objectName() == QLatin1String(kind.ControlName))
        return RenderPeerTable();
    auto* view = form_.findChild<TChartView*>(QLatin1String(kind.ControlName));
    if (!view)
        return {};
    const TChart& chart = view->Chart();
    if (chart.Width() <= 0 || chart.Height() <= 0)
        return {};
    QImage image(chart.Width(), chart.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawTo(chart, painter, image.rect());
    return image;
}

QImage TallimerImageHost::RenderPeerTable()
{
    // The cells as far as the window shows them, headers and grid lines included.
    TPeerStatsGrid* grid = form_.StringGridPeerstats;
    const int frame = grid->frameWidth();
    const QHeaderView* top = grid->horizontalHeader();
    const QHeaderView* side = grid->verticalHeader();
    const int width = 2 * frame + (side->isVisible() ? side->width() : 0) + top->length();
    const int height = 2 * frame + (top->isVisible() ? top->height() : 0) + side->length();
    const QRect area(0, 0, std::min(width, grid->width()), std::min(height, grid->height()));
    if (area.isEmpty())
        return {};
    return grid->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}
