#include "CopyDataMenu.h"

#include "ChartDataExport.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormTallimer.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

QAction* AddCopyDataAction(QMenu& menu, std::function<QString()> csvText)
{
    QAction* action = menu.addAction(QStringLiteral("Copy data"));
    action->setObjectName(QStringLiteral("ActionCopyData"));
    QObject::connect(action, &QAction::triggered, &menu, [text = std::move(csvText)] {
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
        TChartView* view = nullptr;
        if (chart.Row.Group == ChartGroup::Loop)
            view = form.ChartView(chart.Row.Id);
        else if (chart.Row.Group == ChartGroup::Histogram && form.FormHistogram)
            view = &form.FormHistogram->ChartHistoView();
        if (!view)
            continue;
        auto csv = [&document, id = chart.Row.Id] { return ChartDataText(document, *document.FindChart(id)); };
        if (QMenu* menu = view->ContextMenu())
            AddCopyDataAction(*menu, csv);
        else
            view->SetContextMenu(CreateCopyDataMenu(view, csv));
    }
}
