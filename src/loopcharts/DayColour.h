#pragma once

#include <QColor>

// Colour of the n-th day series of a rebuild (n from 0): fifteen distinct colours, then
// black for every later day.
QColor DayColour(int n);
