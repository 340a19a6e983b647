#pragma once

#include <QString>

#include <functional>

class QAction;
class QMenu;
class QWidget;

// The "Copy data" item of the charts' context menus: the chart's data as CSV to the
// clipboard. The text is made only when the item is chosen, so a rebuild in between is
// copied as it stands then.
QAction* AddCopyDataAction(QMenu& menu, std::function<QString()> csvText);

// A context menu with only "Copy data", owned by parent.
QMenu* CreateCopyDataMenu(QWidget* parent, std::function<QString()> csvText);
