#include "ChartRenderer.h"

#include "TChart.h"

#include <QPainter>

void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle)
{
    DrawTo(chart, painter, rectangle, std::nullopt);
}

void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle,
            const std::optional<ChartViewRange>&)
{
    painter.fillRect(rectangle, chart.Color().ToQColor());
}
