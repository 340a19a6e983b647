#include "TallimerImageHost.h"

#include "TFormTallimer.h"

#include "DocumentImages.h"

#include <QTabWidget>

TallimerImageHost::TallimerImageHost(TFormTallimer& form)
    : form_(form)
{ }

void TallimerImageHost::BeginSaving()
{
    graphPage_ = form_.PageControlGraph->currentIndex();
    loopPage_ = form_.PageControlLoopstatsChart->currentIndex();
    peerPage_ = form_.PageControlPeerstatsChart->currentIndex();
    analysisPage_ = form_.PageControlAnalysis->currentIndex();
}

void TallimerImageHost::ShowImagePage(const ChartRow& row)
{
    QWidget* group = form_.TabSheetPeerstatsSummary;
    QTabWidget* pages = form_.PageControlPeerstatsChart;
    if (row.Group == ChartGroup::Loop) {
        group = form_.TabSheetLoopstatsSummary;
        pages = form_.PageControlLoopstatsChart;
    } else if (row.Group == ChartGroup::Analysis) {
        group = form_.TabSheetAnalysis;
        pages = form_.PageControlAnalysis;
    }
    form_.PageControlGraph->setCurrentWidget(group);
    if (auto* page = form_.findChild<QWidget*>(QLatin1String(row.PageName)))
        pages->setCurrentWidget(page);
}

void TallimerImageHost::EndGroup(ChartGroup group)
{
    if (group == ChartGroup::Loop)
        form_.PageControlLoopstatsChart->setCurrentIndex(loopPage_);
    else if (group == ChartGroup::Analysis)
        form_.PageControlAnalysis->setCurrentIndex(analysisPage_);
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

double TallimerImageHost::ReferenceHighestX(ChartGroup group) const
{
    return form_.Document().ReferenceHighestX(group);
}

QImage TallimerImageHost::RenderImage(const ChartRow& row)
{
    return RenderRowImage(form_.Document(), row);
}
