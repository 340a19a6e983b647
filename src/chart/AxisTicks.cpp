#include "AxisTicks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double SecondsPerDay = 86400.0;
// However the inputs look, no axis gets more ticks than this.
constexpr int TickLimit = 200;

bool UsableRange(double minimum, double maximum)
{
    return std::isfinite(minimum) && std::isfinite(maximum) && maximum > minimum;
}

// Multiples of step from minimum to maximum, with a tolerance of a millionth of a step at
// both ends so that an end that is itself a multiple is kept despite rounding.
std::vector<double> Multiples(double minimum, double maximum, double step, double origin = 0.0)
{
    std::vector<double> ticks;
    if (!(step > 0) || !std::isfinite(step))
        return ticks;
    const double tolerance = step * 1e-6;
    const double first = std::ceil((minimum - origin - tolerance) / step);
    const double last = std::floor((maximum - origin + tolerance) / step);
    if (!std::isfinite(first) || !std::isfinite(last) || last - first > TickLimit)
        return ticks;
    for (double k = first; k <= last; k += 1.0) {
        double tick = origin + k * step;
        if (std::fabs(tick) < tolerance)
            tick = 0.0; // no "-0.000000001" for the zero tick
        ticks.push_back(tick);
    }
    return ticks;
}
} // namespace

double NiceLinearStep(double span, int maxTicks, double minimumStep)
{
    maxTicks = std::clamp(maxTicks, 1, TickLimit);
    double raw = std::max(span / maxTicks, minimumStep);
    if (!(raw > 0) || !std::isfinite(raw))
        return 0.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : { 1.0, 2.0, 5.0, 10.0 })
        if (factor * magnitude >= raw * (1 - 1e-9))
            return factor * magnitude;
    return 10.0 * magnitude;
}

std::vector<double> LinearTicks(double minimum, double maximum, int maxTicks, double minimumStep)
{
    if (!UsableRange(minimum, maximum))
        return {};
    const double step = NiceLinearStep(maximum - minimum, maxTicks, minimumStep);
    // A span lost in the rounding of huge ends has no multiples worth showing.
    if (step <= 0 || maximum - step == maximum)
        return {};
    return Multiples(minimum, maximum, step);
}

DateTimeTicks MakeDateTimeTicks(double minimum, double maximum, int maxTicks)
{
    DateTimeTicks result;
    if (!UsableRange(minimum, maximum))
        return result;
    maxTicks = std::clamp(maxTicks, 1, TickLimit);
    static constexpr std::array<double, 19> steps { 1, 2, 5, 10, 15, 30, // seconds
        60, 120, 300, 600, 900, 1800, // minutes
        3600, 7200, 10800, 21600, 43200, // hours
        SecondsPerDay, 2 * SecondsPerDay }; // days
    const double spanSeconds = (maximum - minimum) * SecondsPerDay;
    for (const double step : steps)
        if (spanSeconds / step <= maxTicks + 1e-6) {
            result.stepSeconds = step;
            result.ticks = Multiples(minimum, maximum, step / SecondsPerDay);
            return result;
        }
    // Weeks and beyond: whole weeks, starting on Mondays (day 2 was a Monday).
    const double weeks = NiceLinearStep(spanSeconds / (7 * SecondsPerDay), maxTicks);
    const double stepDays = 7.0 * std::max(1.0, std::round(weeks));
    result.stepSeconds = stepDays * SecondsPerDay;
    result.ticks = Multiples(minimum, maximum, stepDays, 2.0);
    return result;
}

std::vector<double> LogTicks(double minimum, double maximum, int maxTicks)
{
    if (!UsableRange(minimum, maximum) || minimum <= 0)
        return {};
    maxTicks = std::clamp(maxTicks, 2, TickLimit);
    const double lowTwo = std::log2(minimum);
    const double highTwo = std::log2(maximum);
    if (std::fabs(lowTwo - std::round(lowTwo)) < 1e-9) {
        const double count = std::floor(highTwo + 1e-9) - std::round(lowTwo) + 1;
        if (count <= maxTicks && count >= 2) {
            std::vector<double> ticks;
            for (double e = std::round(lowTwo); e <= highTwo + 1e-9; e += 1.0)
                ticks.push_back(std::exp2(e));
            return ticks;
        }
    }
    const double lowTen = std::floor(std::log10(minimum));
    const double highTen = std::ceil(std::log10(maximum));
    const double decades = highTen - lowTen;
    // Every decade, every second, fifth ... so that the count fits.
    const double every = std::max(1.0, std::ceil(decades / maxTicks));
    const bool withIntermediates = every == 1.0 && decades * 3 <= maxTicks;
    std::vector<double> ticks;
    for (double e = lowTen; e <= highTen; e += every)
        for (const double factor : { 1.0, 2.0, 5.0 }) {
            if (factor != 1.0 && !withIntermediates)
                continue;
            const double tick = factor * std::pow(10.0, e);
            if (tick >= minimum * (1 - 1e-9) && tick <= maximum * (1 + 1e-9))
                ticks.push_back(tick);
        }
    return ticks;
}

std::vector<double> DecadeTicks(double minimum, double maximum, int maxTicks)
{
    if (!UsableRange(minimum, maximum) || minimum <= 0)
        return {};
    maxTicks = std::clamp(maxTicks, 2, TickLimit);
    const double low = std::ceil(std::log10(minimum) - 1e-9);
    const double high = std::floor(std::log10(maximum) + 1e-9);
    if (!(high >= low))
        return {};
    const double every = std::max(1.0, std::ceil((high - low + 1) / maxTicks));
    std::vector<double> ticks;
    for (double e = low; e <= high; e += every)
        ticks.push_back(std::pow(10.0, e));
    return ticks;
}

std::vector<double> DecadeMinorTicks(double minimum, double maximum, int maxDecades)
{
    if (!UsableRange(minimum, maximum) || minimum <= 0)
        return {};
    const double low = std::floor(std::log10(minimum));
    const double high = std::ceil(std::log10(maximum));
    if (high - low > std::clamp(maxDecades, 0, TickLimit / 8))
        return {};
    std::vector<double> ticks;
    for (double e = low; e < high; e += 1.0)
        for (int factor = 2; factor <= 9; ++factor) {
            const double tick = factor * std::pow(10.0, e);
            if (tick >= minimum * (1 - 1e-9) && tick <= maximum * (1 + 1e-9))
                ticks.push_back(tick);
        }
    return ticks;
}
