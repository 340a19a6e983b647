#pragma once

#include "ChartColor.h"

// Colour of the n-th day series of a rebuild (n from 0): fifteen distinct colours, then
// black for every later day.
ChartColor DayColour(int n);
