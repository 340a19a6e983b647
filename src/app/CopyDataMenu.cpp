#include "CopyDataMenu.h"

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
