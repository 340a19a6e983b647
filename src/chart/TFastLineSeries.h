#pragma once

#include "TChartSeries.h"

// Looks like a line series; the histogram chart uses this kind.
class TFastLineSeries : public TChartSeries
{ };
