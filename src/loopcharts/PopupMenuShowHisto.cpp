#include "PopupMenuShowHisto.h"

#include "TFormHistogram.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

QMenu* CreatePopupMenuShowHisto(TFormHistogram& histogram, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenuShowHisto"));
    QPointer<TFormHistogram> target(&histogram);
    QAction* show = menu->addAction(QStringLiteral("Offset histogram"));
    QObject::connect(show, &QAction::triggered, menu, [target] {
        if (target)
            target->PopupOffsethistogramClick();
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Change scale"))->setEnabled(false);
    menu->addAction(QStringLiteral("Restore auto-scale"))->setEnabled(false);
    return menu;
}
