#include "CopyDataMenu.h"

#include "ChartDataExport.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormTallimer.h"
#include "TSummaryGrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

QAction* AddCopyDataAction(QMenu& menu, std::function<QString()> csvText)
{
    QAction* action = CreateCopyDataAction(&menu, std::move(csvText));
    menu.addAction(action);
    return action;
}

QAction* CreateCopyDataAction(QObject* parent, std::function<QString()> csvText)
{
    auto* action = new QAction(QStringLiteral("Copy data"), parent);
    action->setObjectName(QStringLiteral("ActionCopyData"));
    QObject::connect(action, &QAction::triggered, parent, [text = std::move(csvText)] {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text());
    });
    return action;
}

QMenu* CreateCopyDataMenu(QWidget* parent, std::function<QString()> csvText)
{
    auto* menu = new QMenu(parent); // owned by parent
    menu->setObjectName(QStringLiteral("PopupMenuCopyData"));
    AddCopyDataAction(*menu, std::move(csvText));
    return menu;
}

void AddCopyDataMenus(TFormTallimer& form)
{
    StatisticsDocument& document = form.Document();
    for (const DocumentChart& chart : document.Charts()) {
        auto csv = [&document, id = chart.Row.Id] { return ChartDataText(document, *document.FindChart(id)); };
        if (chart.Row.Id == ChartId::AnalysisSummary && form.StringGridSummary) {
            // The grid's own menu copies the table as shown; this copies it in full.
            form.StringGridSummary->addAction(CreateCopyDataAction(form.StringGridSummary, csv));
            continue;
        }
        TChartView* view = nullptr;
        if (chart.Row.Group == ChartGroup::Loop || chart.Row.Group == ChartGroup::Analysis)
            view = form.ChartView(chart.Row.Id);
        else if (chart.Row.Group == ChartGroup::Histogram && form.FormHistogram)
            view = &form.FormHistogram->ChartHistoView();
        if (!view)
            continue;
        if (QMenu* menu = view->ContextMenu())
            AddCopyDataAction(*menu, csv);
        else
            view->SetContextMenu(CreateCopyDataMenu(view, csv));
    }
}
