#pragma once

#include <QRect>

#include <optional>

class QPainter;
class TChart;

// A temporary view range laid over a chart's own axis ranges (the widget's zoom); the
// model's ranges are left alone.
struct ChartViewRange
{
    double xMinimum = 0.0;
    double xMaximum = 1.0;
    double leftMinimum = 0.0;
    double leftMaximum = 1.0;
    double rightMinimum = 0.0;
    double rightMaximum = 1.0;
};

// Draws the chart into the rectangle exactly as the screen shows it at that size; the one
// routine behind both the widget and saved images.
void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle);
void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle, const std::optional<ChartViewRange>& view);
