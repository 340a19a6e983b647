#pragma once

#include "ChartConfiguration.h"
#include "TChart.h"

// Charts filled with made-up data of the shapes the program draws, for render tests,
// sample images and benchmarks.
namespace SampleCharts {
constexpr double DayOf20261203 = 46359.0; // 2026-12-03 00:00 as a day number

// A wandering offset line of n samples, every `spacingSeconds`, from the given day.
void FillOffsets(TChart& chart, int n, double firstDay, double spacingSeconds);
void MakeHistogram(TChart& chart);
void MakeHourOfOffsets(TChart& chart);
void MakeWeekOfOffsets(TChart& chart);
void MakePollIntervals(TChart& chart);
void MakeJitter(TChart& chart);
void MakeOffsetVsTimeOfDay(TChart& chart);
} // namespace SampleCharts
