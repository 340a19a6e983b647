#pragma once

#include "ChartConfiguration.h"

#include <span>

// The groups of pages: each takes the date prefix of its saved files from its reference
// chart (ChartOffsets for the loop charts and the Analysis page, whose estimates come
// from the plotted loop window; ChartPeerstatsOffset for the peer pages). The offset
// histogram lives in a window of its own and belongs to no page.
enum class ChartGroup { Loop, Peer, Histogram, Analysis };

// One chart (or the peer table) as the program shows and writes it. Pages, Save,
// --save-images, --export-csv and "Copy data" are all built from the list of rows, so a
// chart is described here once.
struct ChartRow
{
    ChartId Id;
    ChartGroup Group;
    const char* ControlName; // object name of the view: "ChartOffsets"
    const char* PageName; // object name of its tab page: "TabSheetOffset"; "" for none
    const char* PageCaption; // the tab's caption: "Offset vs. date"
    const char* FileSuffix; // "_offset": the image is "_offset.png", its data "_offset.csv"
    bool SavedAsImage; // false: written as data only (the histogram)
    bool TimeOfDay; // its data gives times of day (the charts folded onto one day)
};

// Every built-in row, in the order the files are written: the seven loop charts, the
// offset histogram's data, the stability chart and the summary table of the Analysis
// page, then the peer table and the four peer charts.
std::span<const ChartRow> BuiltInChartRows();

// The built-in row of an id; null for an id without one.
const ChartRow* FindBuiltInChartRow(ChartId id);
