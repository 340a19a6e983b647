#include "CopyDataMenu.h"

#include "ChartCsv.h"
#include "ChartDataExport.h"
#include "TChartView.h"
#include "TFormHistogram.h"

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
    auto* menu = new QMenu(parent);  // owned by parent
    menu->setObjectName(QStringLiteral("PopupMenuCopyData"));
    AddCopyDataAction(*menu, std::move(csvText));
    return menu;
}

void AddCopyDataMenus(const std::vector<TChartView*>& loopCharts, TFormHistogram& histogram)
{
    for (TChartView* view : loopCharts) {
        auto csv = [view] { return ChartCsv(view->Chart(), CsvTimeStyleOf(view->objectName())); };
        if (QMenu* menu = view->ContextMenu())
            AddCopyDataAction(*menu, csv);
        else
            view->SetContextMenu(CreateCopyDataMenu(view, csv));
    }
    TChartView& histogramView = histogram.ChartHistoView();
    histogramView.SetContextMenu(CreateCopyDataMenu(&histogramView, [&histogramView] {
        const TChart& chart = histogramView.Chart();
        return chart.SeriesCount() > 0 ? HistogramCsv(chart.Series(0)) : QStringLiteral("offset,count\n");
    }));
}
