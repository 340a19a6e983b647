#pragma once

#include <QPointF>

#include <vector>

// Thins a polyline given in pixel coordinates, in drawing order, to at most four points
// per pixel column (x from c to c+1): the first, the lowest, the highest and the last point of each run of
// points that fall into one column (lowest and highest in the order they came). The line
// drawn through the result covers the same pixels in every column as the full one, while
// tens of thousands of points shrink to a few per column.
class PolylineDecimator
{
public:
    void Add(QPointF point);
    // The thinned polyline so far; the decimator starts afresh.
    std::vector<QPointF> Take();

private:
    void FlushColumn();

    std::vector<QPointF> output_;
    bool haveColumn_ = false;
    double column_ = 0.0;
    QPointF first_, lowest_, highest_, last_;
    int lowestIndex_ = 0, highestIndex_ = 0, count_ = 0;
};
