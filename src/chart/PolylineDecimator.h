#pragma once

#include <QPointF>

#include <cmath>
#include <vector>

// Thins a polyline given in pixel coordinates, in drawing order, to at most four points
// per pixel column (x from c to c+1): the first, the lowest, the highest and the last point of each run of
// points that fall into one column (lowest and highest in the order they came). The line
// drawn through the result covers the same pixels in every column as the full one, while
// tens of thousands of points shrink to a few per column.
class PolylineDecimator
{
public:
    // Inline: it runs once per point of every long series drawn.
    void Add(QPointF point)
    {
        const double column = std::floor(point.x()); // pixel c holds x from c to c+1
        if (haveColumn_ && column == column_) {
            if (point.y() < lowest_.y()) {
                lowest_ = point;
                lowestIndex_ = count_;
            }
            if (point.y() > highest_.y()) {
                highest_ = point;
                highestIndex_ = count_;
            }
            last_ = point;
            ++count_;
            return;
        }
        StartColumn(point, column);
    }
    // The thinned polyline so far; the decimator starts afresh.
    std::vector<QPointF> Take();

private:
    void FlushColumn();
    void StartColumn(QPointF point, double column);

    std::vector<QPointF> output_;
    bool haveColumn_ = false;
    double column_ = 0.0;
    QPointF first_, lowest_, highest_, last_;
    int lowestIndex_ = 0, highestIndex_ = 0, count_ = 0;
};
