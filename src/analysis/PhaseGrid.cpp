#include "PhaseGrid.h"

#include "Interpolation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr double SecondsPerDay = 86400;
// How close a grid point and a sample must be to count as the same instant. Grid points
// are computed as k * Tau0 and stamps come from day numbers, so a series sampled exactly
// on the grid still misses it by a few units in the last place.
constexpr double CoincidenceTolerance = 1e-6;

struct Sample
{
    double Day;
    double Phase;
};

// The median of the spacings, which are finite or +infinity (never NaN), so the ordering
// nth_element relies on holds.
double Median(std::vector<double>& spacings)
{
    const std::size_t count = spacings.size();
    const auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(count / 2);
    std::nth_element(spacings.begin(), middle, spacings.end());
    const double upper = *middle;
    if (count % 2 == 1)
        return upper;
    const double lower = *std::max_element(spacings.begin(), middle);
    // Halved first: the sum of two huge spacings must not overflow.
    return lower / 2 + upper / 2;
}

}  // namespace

std::size_t MaxGridPoints(std::size_t samples)
{
    constexpr std::size_t floorPoints = std::size_t{1} << 20;
    constexpr std::size_t perSample = 8;
    if (samples > (std::numeric_limits<std::size_t>::max() - floorPoints) / perSample)
        return std::numeric_limits<std::size_t>::max();
    return floorPoints + perSample * samples;
}

double MedianSpacingSeconds(std::span<const double> dayNumbers)
{
    std::vector<double> spacings;
    spacings.reserve(dayNumbers.size());
    const double* previous = nullptr;
    for (const double& day : dayNumbers) {
        if (!std::isfinite(day))
            continue;
        if (previous != nullptr)
            spacings.push_back((day - *previous) * SecondsPerDay);
        previous = &day;
    }
    if (spacings.empty())
        return 0;
    return Median(spacings);
}

PhaseGrid SamplePhaseOnGrid(std::span<const double> dayNumbers, std::span<const double> phases)
{
    const std::size_t pairs = std::min(dayNumbers.size(), phases.size());
    std::vector<Sample> samples;
    samples.reserve(pairs);
    for (std::size_t i = 0; i < pairs; ++i) {
        if (std::isfinite(dayNumbers[i]) && std::isfinite(phases[i]))
            samples.push_back({dayNumbers[i], phases[i]});
    }
    const auto earlier = [](const Sample& a, const Sample& b) { return a.Day < b.Day; };
    if (!std::is_sorted(samples.begin(), samples.end(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);

    PhaseGrid grid;
    if (samples.size() < 2)
        return grid;

    std::vector<double> days(samples.size());
    std::transform(samples.begin(), samples.end(), days.begin(),
                   [](const Sample& s) { return s.Day; });
    double tau0 = MedianSpacingSeconds(days);
    if (tau0 >= 1e-3 && tau0 < 1e15)
        tau0 = std::nearbyint(tau0 * 1e6) / 1e6;
    if (!(tau0 > 0) || !std::isfinite(tau0))
        return grid;

    // Seconds since the first stamp (kept small, so sub-second spacings survive day
    // numbers near 60000), with samples sharing an instant merged into their mean. Each
    // phase is divided before adding so that the mean of huge phases cannot overflow.
    // The times never decrease; a late one may be +infinity, which no grid point reaches.
    std::vector<double> times;
    std::vector<double> values;
    times.reserve(samples.size());
    values.reserve(samples.size());
    for (std::size_t i = 0; i < samples.size();) {
        const double seconds = (samples[i].Day - samples.front().Day) * SecondsPerDay;
        std::size_t end = i + 1;
        while (end < samples.size() &&
               (samples[end].Day - samples.front().Day) * SecondsPerDay == seconds)
            ++end;
        const double count = static_cast<double>(end - i);
        double mean = 0;
        for (std::size_t j = i; j < end; ++j)
            mean += samples[j].Phase / count;
        times.push_back(seconds);
        values.push_back(mean);
        i = end;
    }

    const double tolerance = CoincidenceTolerance * tau0;
    const double widestSpacing = GapSpacings * tau0 + tolerance;
    const double lastStep = std::floor(times.back() / tau0 + CoincidenceTolerance);
    const std::size_t limit = MaxGridPoints(samples.size());
    const std::size_t points =
        lastStep < static_cast<double>(limit) ? static_cast<std::size_t>(lastStep) + 1 : limit;

    grid.Tau0 = tau0;
    grid.Phase.assign(points, 0.0);
    grid.Present.assign(points, 0);
    std::size_t left = 0;  // the last sample at or before the grid point
    for (std::size_t k = 0; k < points; ++k) {
        const double at = static_cast<double>(k) * tau0;
        while (left + 1 < times.size() && times[left + 1] <= at + tolerance)
            ++left;
        if (std::abs(times[left] - at) <= tolerance) {
            grid.Phase[k] = values[left];
            grid.Present[k] = 1;
            continue;
        }
        const std::size_t right = left + 1;
        if (right < times.size() && times[right] - times[left] <= widestSpacing) {
            const double fraction = (at - times[left]) / (times[right] - times[left]);
            grid.Phase[k] = InterpolateBetween(values[left], values[right], fraction);
            grid.Present[k] = 1;
        }
    }
    return grid;
}
