#include "PlotWindow.h"

PlotWindow FindPlotWindow(const double* times, std::int32_t count, int plotHours, bool cutToMaximum)
{
    PlotWindow window;
    if (count <= 0)
        return window;
    window.Last = count - 1;
    const double start = times[window.Last] - plotHours / 24.0;
    // The last sample always qualifies; if its time is not a number nothing else can, and
    // it stands alone.
    window.First = window.Last;
    for (std::int32_t i = 0; i < window.Last; ++i) {
        if (times[i] >= start) {
            window.First = i;
            break;
        }
    }
    if (cutToMaximum && window.Last - window.First > MaxPlotSpan) {
        window.First = window.Last - MaxPlotSpan;
        window.Cut = true;
    }
    return window;
}
