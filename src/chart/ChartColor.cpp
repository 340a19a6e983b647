#include "ChartColor.h"

#include <QGuiApplication>
#include <QPalette>

QColor ChartColor::ToQColor() const
{
    if (!buttonFace_)
        return QColor(Red(), Green(), Blue());
    // Without an application object (a command-line export) there is no palette; use the
    // usual light grey of window surfaces.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        return QGuiApplication::palette().color(QPalette::Active, QPalette::Window);
    return QColor(240, 240, 240);
}
