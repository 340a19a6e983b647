#pragma once

#include "TChartSeries.h"

// Points joined by straight lines in X order; no point markers, no value marks.
class TLineSeries : public TChartSeries
{ };
