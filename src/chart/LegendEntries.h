#pragma once

#include "ChartColor.h"

#include <QString>

#include <cstddef>
#include <vector>

class TChart;

struct LegendEntry
{
    QString text;
    ChartColor color; // the swatch
    ChartColor textColor; // the series colour, or the chart's text colour
};

// What the legend lists, in order, at most maxEntries of them. Series style: every
// attached series shown in the legend. Automatic style: the same with more than one
// series; with exactly one, that series' points (their Y values in its axis's pattern)
// if it is shown in the legend, nothing otherwise. Empty when the legend is hidden.
std::vector<LegendEntry> LegendEntries(const TChart& chart, std::size_t maxEntries);
