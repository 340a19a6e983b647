#include "SvgImageFile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

bool SaveSvgImage(QSize size, const QString& title, const QString& description,
    const std::function<void(QPainter&)>& draw, const QString& path)
{
    if (size.isEmpty())
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        // A QImage's resolution: a font in points takes as many pixels as in the PNG.
        generator.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiX());
        generator.setTitle(title);
        generator.setDescription(description);
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        draw(painter);
        if (!painter.end())
            return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(buffer.data()) != buffer.data().size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
