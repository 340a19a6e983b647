#pragma once

#include <vector>

// Tick positions for the three kinds of axis. All return ascending values inside
// [minimum, maximum] (with a tolerance for rounding), never more than a bounded number,
// and nothing for a range that is empty, reversed or not finite.

// Multiples of a 1-2-5 step of at least span / maxTicks and at least minimumStep (so that
// labels with a limited number of decimals stay distinct).
double NiceLinearStep(double span, int maxTicks, double minimumStep = 0.0);
std::vector<double> LinearTicks(double minimum, double maximum, int maxTicks, double minimumStep = 0.0);

// Date-time ticks (day numbers) at whole seconds, minutes, hours, days or weeks
// (weeks start on Mondays); stepSeconds tells the caller which unit was chosen.
struct DateTimeTicks
{
    std::vector<double> ticks;
    double stepSeconds = 0.0;
};
DateTimeTicks MakeDateTimeTicks(double minimum, double maximum, int maxTicks);

// Logarithmic ticks: powers of two when the lower end is a power of two and they are few
// enough (4, 8, 16 ... 4096), otherwise powers of ten, with 2 and 5 between them when
// there is room.
std::vector<double> LogTicks(double minimum, double maximum, int maxTicks);

// Ticks at whole powers of ten only, every decade or, when they would be more than
// maxTicks, every second, third ... decade.
std::vector<double> DecadeTicks(double minimum, double maximum, int maxTicks);
// The 2 to 9 times every power of ten inside the range, for faint grid lines between
// decade ticks; nothing when the range spans more decades than maxDecades (the lines
// would crowd into a grey band).
std::vector<double> DecadeMinorTicks(double minimum, double maximum, int maxDecades);
