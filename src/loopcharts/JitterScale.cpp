#include "JitterScale.h"

#include "PlotWindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

double JitterFullScaleAt(int position)
{
    static constexpr std::array<double, 18> fullScales = {
        500000,
        200000,
        100000,
        50000,
        20000,
        10000,
        5000,
        2000,
        1000,
        500,
        200,
        100,
        50,
        20,
        10,
        5,
        2,
        1,
    };
    const int p = std::clamp(position, JitterScaleMinPosition, JitterScaleMaxPosition);
    return fullScales[static_cast<std::size_t>(p)];
}

double MedianJitter(const double* times, const double* jitters, std::int32_t count, int plotHours)
{
    const PlotWindow window = FindPlotWindow(times, count, plotHours, false);
    if (window.Count() <= 0)
        return 0;
    std::vector<double> taken;
    const double spacing = 1024.0 / 86400;
    double lastTaken = 0;
    for (std::int32_t i = window.First; i <= window.Last; ++i) {
        if (i == window.First || times[i] - lastTaken > spacing) {
            // A jitter that is not a number has no place in an order; leave it out.
            if (!std::isnan(jitters[i]))
                taken.push_back(jitters[i]);
            lastTaken = times[i];
        }
    }
    const std::size_t n = taken.size();
    if (n == 0)
        return 0;
    const auto middle = taken.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(taken.begin(), middle, taken.end());
    if (n % 2 == 1)
        return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(taken.begin(), middle);
    return (lower + upper) / 2;
}

int JitterScaleForMedian(double medianMs)
{
    struct Step
    {
        double UpTo;
        int Position;
    };
    static constexpr std::array<Step, 8> steps = { {
        { 0.05, 11 },
        { 0.1, 7 },
        { 0.2, 6 },
        { 0.7, 5 },
        { 1.5, 4 },
        { 3, 3 },
        { 6, 2 },
        { 15, 1 },
    } };
    for (const Step& step : steps) {
        if (medianMs <= step.UpTo)
            return step.Position;
    }
    return 0;
}

double DrawnJitter(double jitterMs, double fullScaleUs)
{
    const double us = jitterMs * 1000;
    return std::fabs(us) > fullScaleUs ? std::copysign(fullScaleUs, us) : us;
}
