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

// A time stamp and its phase; once merged, Day holds seconds since the first stamp.
struct Sample
{
    double Day;
    double Phase;
};

// The median of the spacings, which are finite or +infinity (never NaN), so the ordering
// nth_element relies on holds. The list is reordered.
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

// The median spacing in seconds of stamps in time order, read through day(i).
template <typename DayAt> double MedianSpacing(std::size_t count, DayAt day)
{
    if (count < 2)
        return 0;
    std::vector<double> spacings(count - 1);
    for (std::size_t i = 1; i < count; ++i)
        spacings[i - 1] = (day(i) - day(i - 1)) * SecondsPerDay;
    return Median(spacings);
}

} // namespace

std::size_t MaxGridPoints(std::size_t samples)
{
    constexpr std::size_t floorPoints = std::size_t { 1 } << 20;
    constexpr std::size_t perSample = 8;
    if (samples > (std::numeric_limits<std::size_t>::max() - floorPoints) / perSample)
        return std::numeric_limits<std::size_t>::max();
    return floorPoints + perSample * samples;
}

double MedianSpacingSeconds(std::span<const double> dayNumbers)
{
    std::vector<double> finite;
    finite.reserve(dayNumbers.size());
    std::copy_if(dayNumbers.begin(), dayNumbers.end(), std::back_inserter(finite),
        [](double day) { return std::isfinite(day); });
    return MedianSpacing(finite.size(), [&finite](std::size_t i) { return finite[i]; });
}

PhaseGrid SamplePhaseOnGrid(std::span<const double> dayNumbers, std::span<const double> phases)
{
    const std::size_t pairs = std::min(dayNumbers.size(), phases.size());
    std::vector<Sample> samples;
    samples.reserve(pairs);
    for (std::size_t i = 0; i < pairs; ++i) {
        if (std::isfinite(dayNumbers[i]) && std::isfinite(phases[i]))
            samples.push_back({ dayNumbers[i], phases[i] });
    }
    const auto earlier = [](const Sample& a, const Sample& b) { return a.Day < b.Day; };
    if (!std::is_sorted(samples.begin(), samples.end(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);

    PhaseGrid grid;
    if (samples.size() < 2)
        return grid;

    double tau0 = MedianSpacing(samples.size(), [&samples](std::size_t i) { return samples[i].Day; });
    if (tau0 >= 1e-3 && tau0 < 1e15)
        tau0 = std::nearbyint(tau0 * 1e6) / 1e6;
    if (!(tau0 > 0) || !std::isfinite(tau0))
        return grid;

    // In place: each sample becomes its time in seconds since the first stamp (kept small,
    // so sub-second spacings survive day numbers near 60000), and samples sharing an
    // instant merge into one with their mean phase. Each phase is divided before adding
    // so that the mean of huge phases cannot overflow. The times never decrease; a late
    // one may be +infinity, which no grid point reaches.
    const double firstDay = samples.front().Day;
    std::size_t merged = 0;
    for (std::size_t i = 0; i < samples.size();) {
        const double seconds = (samples[i].Day - firstDay) * SecondsPerDay;
        std::size_t end = i + 1;
        while (end < samples.size() && (samples[end].Day - firstDay) * SecondsPerDay == seconds)
            ++end;
        double mean = samples[i].Phase;
        if (end - i > 1) {
            const double count = static_cast<double>(end - i);
            mean = 0;
            for (std::size_t j = i; j < end; ++j)
                mean += samples[j].Phase / count;
        }
        samples[merged++] = { seconds, mean };
        i = end;
    }
    const std::size_t originalCount = samples.size();
    samples.resize(merged);

    const double tolerance = CoincidenceTolerance * tau0;
    const double widestSpacing = GapSpacings * tau0 + tolerance;
    const double lastStep = std::floor(samples.back().Day / tau0 + CoincidenceTolerance);
    const std::size_t limit = MaxGridPoints(originalCount);
    const std::size_t points = lastStep < static_cast<double>(limit) ? static_cast<std::size_t>(lastStep) + 1 : limit;

    grid.Tau0 = tau0;
    grid.Phase.resize(points);
    grid.Present.resize(points);
    std::size_t left = 0; // the last sample at or before the grid point
    for (std::size_t k = 0; k < points; ++k) {
        const double at = static_cast<double>(k) * tau0;
        while (left + 1 < samples.size() && samples[left + 1].Day <= at + tolerance)
            ++left;
        const Sample& before = samples[left];
        double phase = 0;
        std::uint8_t present = 0;
        if (std::abs(before.Day - at) <= tolerance) {
            phase = before.Phase;
            present = 1;
        } else if (left + 1 < samples.size() && samples[left + 1].Day - before.Day <= widestSpacing) {
            const Sample& after = samples[left + 1];
            const double fraction = (at - before.Day) / (after.Day - before.Day);
            phase = InterpolateBetween(before.Phase, after.Phase, fraction);
            present = 1;
        }
        grid.Phase[k] = phase;
        grid.Present[k] = present;
    }
    return grid;
}
