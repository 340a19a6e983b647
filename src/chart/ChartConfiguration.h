#pragma once

#include <QString>

class TChart;

// The program's charts and tables: eleven charts and the peer table on the loop and peer
// pages, the stability chart and the summary table on the Analysis page, one chart in
// the histogram window. Every id has its row in the chart table (ChartTable.h).
enum class ChartId {
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
    PeerTable,
    Stability,
    AnalysisSummary,
    Count // not a chart: the number of ids above
};

// Gives the chart its fixed design: title, margins, axes, legend, colours, and the empty
// placeholder series some charts carry until their first rebuild (ChartHisto's red fast
// line series is the one the histogram refills).
void ConfigureChart(TChart& chart, ChartId id);
// The caption of the tab page that holds the chart ("Offset vs. date"); empty for Histo.
QString PageCaption(ChartId id);
