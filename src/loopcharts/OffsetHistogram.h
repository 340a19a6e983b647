#pragma once

#include <QString>

#include <span>
#include <vector>

// One non-empty bin of the offset histogram.
struct HistogramBin
{
    int Index = 0; // -100 .. 100
    double Offset = 0; // the bin's centre, in the offsets' unit
    int Count = 0;
};

// The histogram of the plotted offsets, as the histogram window shows it.
struct OffsetHistogram
{
    // False when there is nothing to bin: no offsets, or all of them 0 (the bins would
    // have no width). The bins are then empty and the title says so.
    bool HasBins = false;
    double Scale = 0; // bins per unit of offset; bin i is centred on i / Scale
    std::vector<HistogramBin> Bins; // non-empty bins in increasing order
    double Mean = 0;
    double StandardDeviation = 0;
    QString ChartTitle;
    QString BottomTitle; // mean and standard deviation; empty without offsets
};

// Bins offsets into 201 bins, -100 to 100, of width s/35 where s is half the sum of the
// magnitudes of the largest and the smallest offset, so the data span bins -35..35 (or
// 0..70 when all are positive). An offset goes to the bin round(y x 35/s), halves to the
// even neighbour. The mean and sample standard deviation cover all offsets; for a single
// offset both are that offset. `clipLimitUs` above 1000 means the offsets are in
// milliseconds, else in microseconds.
OffsetHistogram BinOffsets(std::span<const double> offsets, double clipLimitUs);
