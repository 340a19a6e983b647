#pragma once

#include "OffsetHistogram.h"
#include "TChart.h"
#include "TLineSeries.h"

#include <memory>

// The offset histogram without a window: the copy of the offset series that each loop
// rebuild hands over, and the chart its bins are drawn on. Binned on demand (a window
// bins at every showing, an export before writing), so a rebuild costs nothing here.
class OffsetHistogramModel
{
public:
    OffsetHistogramModel();

    // Called after every loop rebuild with the copy of its offset series (as drawn:
    // clipped, in the offset unit, with the gap markers) and its clip limit (µs).
    // A null copy is taken as an empty one.
    void TakeOffsets(std::unique_ptr<TLineSeries> offsetCopy, double offsetClipLimit);

    const TLineSeries& OffsetCopy() const { return *offsetCopy_; }
    double OffsetClipLimit() const { return offsetClipLimit_; }

    // Bins the offset copy and refills the chart.
    void Recompute();
    // The histogram of the last Recompute.
    const OffsetHistogram& Histogram() const { return histogram_; }

    TChart& Chart() { return chart_; }
    const TChart& Chart() const { return chart_; }

private:
    TChart chart_;
    std::unique_ptr<TLineSeries> offsetCopy_ = std::make_unique<TLineSeries>();
    double offsetClipLimit_ = 0;
    OffsetHistogram histogram_;
};
