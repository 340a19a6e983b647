#pragma once

#include <QPointF>
#include <QString>

#include <cstddef>
#include <optional>

class TChart;
struct ChartLayout;

struct NearestPoint
{
    std::size_t series = 0;
    std::size_t point = 0;
    double distance = 0.0; // pixels
};

// The point drawn nearest to a pixel position, if one lies within maxDistance pixels.
std::optional<NearestPoint> FindNearestPoint(
    const TChart& chart, const ChartLayout& layout, QPointF position, double maxDistance);

// "title\n2026-12-03 14:05:10\n12.345": the series, the point's X (a date and time for
// date-time series, the time alone for a time of day) and its Y.
QString PointDescription(const TChart& chart, const NearestPoint& nearest);
