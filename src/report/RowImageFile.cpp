#include "RowImageFile.h"

#include "ChartImageSaving.h"
#include "ChartRenderer.h"
#include "DocumentImages.h"
#include "SaveImageFile.h"
#include "StatisticsDocument.h"
#include "SvgImageFile.h"

#include <QPainter>

QString ImageExtension(ImageFormat format)
{
    return format == ImageFormat::Svg ? QStringLiteral(".svg") : QStringLiteral(".png");
}

QSize RowImageSize(const StatisticsDocument& document, const ChartRow& row)
{
    const DocumentChart* chart = document.FindChart(row.Id);
    if (!chart || !chart->Model)
        return RenderRowImage(document, row).size();
    if (chart->Model->Width() <= 0 || chart->Model->Height() <= 0)
        return {};
    return QSize(chart->Model->Width(), chart->Model->Height());
}

void DrawRowImage(const StatisticsDocument& document, const ChartRow& row, QPainter& painter)
{
    const DocumentChart* chart = document.FindChart(row.Id);
    if (!chart || !chart->Model) {
        // A table is laid out and drawn as one picture, which an SVG file holds as it is.
        painter.drawImage(QPoint(0, 0), RenderRowImage(document, row));
        return;
    }
    const QSize size = RowImageSize(document, row);
    if (size.isEmpty())
        return;
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    DrawTo(*chart->Model, painter, QRect(QPoint(0, 0), size));
}

bool SaveRowImage(const StatisticsDocument& document, const ChartRow& row, const QString& path, ImageFormat format)
{
    if (format == ImageFormat::Png)
        return SaveImageFile(RenderRowImage(document, row), path, ChartImageMetadata());
    const QSize size = RowImageSize(document, row);
    if (size.isEmpty())
        return false;
    const PngTextMetadata metadata = ChartImageMetadata();
    return SaveSvgImage(
        size, metadata.Title, metadata.Description,
        [&document, &row](QPainter& painter) { DrawRowImage(document, row, painter); }, path);
}
