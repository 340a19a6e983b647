#include "TPersistentControl.h"

#include <QWidget>

const QString& TPersistentControl::ResolveName(const QObject& control)
{
    if (namedAs_.isEmpty())
        namedAs_ = control.objectName();
    return namedAs_;
}

void LoadPersistentControls(QWidget* root)
{
    if (!root)
        return;
    if (auto* control = dynamic_cast<TPersistentControl*>(root))
        control->Load();
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children)
        if (auto* control = dynamic_cast<TPersistentControl*>(child))
            control->Load();
}
