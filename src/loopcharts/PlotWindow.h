#pragma once

#include <cstdint>

// The samples of one data set that a rebuild plots: indexes First..Last inclusive.
struct PlotWindow
{
    std::int32_t First = 0;
    std::int32_t Last = -1;
    // True when the window held more samples than a chart can take and was cut at its
    // start; First is then Last - MaxPlotSpan.
    bool Cut = false;

    std::int32_t Count() const { return Last - First + 1; }
};

// At most MaxPlotSpan + 1 samples are plotted per data set.
inline constexpr std::int32_t MaxPlotSpan = 57600;

// The last `plotHours` hours of a data set, ending at its last sample. The first index is
// the first sample from the beginning whose time is not earlier than the window start,
// so a data set with out-of-order stamps keeps its reading order. With `cutToMaximum`
// the window is shortened at its start to MaxPlotSpan + 1 samples.
// An empty data set gives an empty window (Last = -1).
PlotWindow FindPlotWindow(const double* times, std::int32_t count, int plotHours, bool cutToMaximum);
