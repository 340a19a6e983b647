#pragma once

#include <QSize>
#include <QString>

#include <functional>

class QPainter;

// Writes what draw paints on a canvas of size pixels as an SVG file with that title and
// description. The canvas has the resolution of the images drawn for PNG files, so texts
// given in points take the same room in both. The file is written through a temporary
// file renamed into place; false (and nothing under path changed) on any failure.
bool SaveSvgImage(QSize size, const QString& title, const QString& description,
    const std::function<void(QPainter&)>& draw, const QString& path);
