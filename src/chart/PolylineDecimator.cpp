#include "PolylineDecimator.h"

#include <cmath>

void PolylineDecimator::Add(QPointF point)
{
    // Columns as the aliased rasteriser fills them: pixel c holds the points from c to c+1.
    const double column = std::floor(point.x());
    if (haveColumn_ && column == column_)
    {
        if (point.y() < lowest_.y())
        {
            lowest_ = point;
            lowestIndex_ = count_;
        }
        if (point.y() > highest_.y())
        {
            highest_ = point;
            highestIndex_ = count_;
        }
        last_ = point;
        ++count_;
        return;
    }
    FlushColumn();
    haveColumn_ = true;
    column_ = column;
    first_ = lowest_ = highest_ = last_ = point;
    lowestIndex_ = highestIndex_ = 0;
    count_ = 1;
}

void PolylineDecimator::FlushColumn()
{
    if (!haveColumn_)
        return;
    auto append = [this](QPointF p) {
        if (output_.empty() || output_.back() != p)
            output_.push_back(p);
    };
    append(first_);
    if (lowestIndex_ < highestIndex_)
    {
        append(lowest_);
        append(highest_);
    }
    else
    {
        append(highest_);
        append(lowest_);
    }
    append(last_);
    haveColumn_ = false;
}

std::vector<QPointF> PolylineDecimator::Take()
{
    FlushColumn();
    std::vector<QPointF> result;
    result.swap(output_);
    return result;
}
