#pragma once

#include <QString>

#include <functional>
#include <vector>

class QAction;
class QObject;
class QMenu;
class QWidget;
class TFormTallimer;

// The "Copy data" item of the charts' context menus: the chart's data as CSV to the
// clipboard. The text is made only when the item is chosen, so a rebuild in between is
// copied as it stands then.
QAction* AddCopyDataAction(QMenu& menu, std::function<QString()> csvText);

// The same item on its own, owned by parent, for a widget's own list of actions.
QAction* CreateCopyDataAction(QObject* parent, std::function<QString()> csvText);

// A context menu with only "Copy data", owned by parent.
QMenu* CreateCopyDataMenu(QWidget* parent, std::function<QString()> csvText);

// Gives every chart of the loop and Analysis pages and the histogram's chart "Copy
// data", as the chart table lists them: added to a chart's own context menu when it has
// one (after its items), else as the only item of a new menu. The summary table gets it
// after its "&Copy to clipboard".
void AddCopyDataMenus(TFormTallimer& form);
