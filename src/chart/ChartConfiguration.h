#pragma once

#include <QString>

class TChart;

// The program's twelve charts: eleven on the main window's pages, one in the histogram
// window.
enum class ChartId
{
    Offsets,
    OffsetVsTOD,
    AbsFrequency,
    Frequency,
    FreqVsTOD,
    Jitter,
    LoopstatsPollInterval,
    PeerstatsOffset,
    PeerstatsDelay,
    PeerstatsDispersion,
    PeerstatsJitter,
    Histo,
};

// Gives the chart its fixed design: title, margins, axes, legend, colours, and the empty
// placeholder series some charts carry until their first rebuild (ChartHisto's red fast
// line series is the one the histogram refills).
void ConfigureChart(TChart& chart, ChartId id);
// The caption of the tab page that holds the chart ("Offset vs. date"); empty for Histo.
QString PageCaption(ChartId id);
