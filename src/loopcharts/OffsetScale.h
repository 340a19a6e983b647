#pragma once

// How the offset charts scale one data set: the clip limit and the unit it implies.
struct OffsetScale
{
    double ClipLimitUs = 500; // largest offset magnitude drawn, microseconds

    // Offsets are drawn in milliseconds above a limit of 1000 µs, else in microseconds.
    bool InMilliseconds() const { return ClipLimitUs > 1000; }
    // An offset in milliseconds as drawn: clipped to the limit, in the chart's unit.
    double Drawn(double offsetMs) const;
    // An hourly RMS level (milliseconds) as drawn; clipped only when clipping is on.
    double DrawnRms(double rmsMs, bool clipOffsets) const;
    // "Offset - ms" or "Offset - µs".
    const char* AxisTitle() const;
};

// The clip limit for a data set whose mean absolute offset is `meanAbsOffsetMs`.
// Without clipping, or with several data sets, only offsets beyond 5 s are clipped.
double OffsetClipLimitFor(double meanAbsOffsetMs, bool clipOffsets, int dataSetCount);
