#include "PolylineDecimator.h"

#include <cmath>

void PolylineDecimator::StartColumn(QPointF point, double column)
{
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
    if (lowestIndex_ < highestIndex_) {
        append(lowest_);
        append(highest_);
    } else {
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
