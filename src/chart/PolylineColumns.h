#pragma once

#include <QPointF>
#include <QRect>

#include <cstddef>

class QPainter;

// Draws a polyline with the painter's pen, as QPainter::drawPolyline does, pixel for
// pixel. An antialiased wide pen on a line that zig-zags across the plot (a peer polled
// every 17 minutes over a week) makes Qt fill one outline with thousands of crossing
// edges, and that costs time growing with the square of the crossings per scan line:
// half a second for 600 points. On a 32-bit image with no scaling, the line is instead
// drawn in narrow columns of the image, each with only the segments that reach it (and
// one more on each side), through an image that shares the column's pixels. Every pixel
// gets the same coverage as from the whole outline, since what lies beyond a column's
// margin cannot reach into it. Elsewhere (a widget, SVG, a scaled painter) the line is
// drawn whole. clip is the painter's clip rectangle in its own coordinates.
void DrawPolylineInColumns(QPainter& painter, const QPointF* points, std::size_t count, const QRect& clip);
