#include "PercentileSummary.h"

#include "Interpolation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::optional<double> FiniteOrNothing(double value)
{
    if (std::isfinite(value))
        return value;
    return std::nullopt;
}

struct Moments
{
    double Mean = 0;
    std::optional<double> StdDev;
};

// Two passes over the values scaled by a power of two so that none exceeds 1: the sums
// cannot overflow however large the values, and the scaling itself is exact.
Moments MeanAndStdDev(const std::vector<double>& values, double min, double max)
{
    const double count = static_cast<double>(values.size());
    const double largest = std::max(std::abs(min), std::abs(max));
    int exponent = 0;
    if (largest > 0)
        std::frexp(largest, &exponent);

    // v scaled by 2^-exponent: a multiplication by that power of two, which rounds as
    // ldexp does, wherever the power is a double itself (all but subnormal extremes).
    const bool multiply = exponent >= -1023 && exponent <= 1074;
    const double down = multiply ? std::ldexp(1.0, -exponent) : 0.0;
    const auto scaled = [&](double v) { return multiply ? v * down : std::ldexp(v, -exponent); };

    double sum = 0;
    for (double v : values)
        sum += scaled(v);
    double mean = sum / count;
    // The second pass corrects the mean by the rounding the first one left.
    double residual = 0;
    for (double v : values)
        residual += scaled(v) - mean;
    mean += residual / count;

    Moments moments;
    moments.Mean = std::clamp(std::ldexp(mean, exponent), min, max);
    if (values.size() > 1) {
        double squares = 0;
        for (double v : values) {
            const double d = scaled(v) - mean;
            squares += d * d;
        }
        moments.StdDev = FiniteOrNothing(std::ldexp(std::sqrt(squares / (count - 1)), exponent));
    }
    return moments;
}

constexpr std::array<double, 5> Fractions = { 0.01, 0.05, 0.50, 0.95, 0.99 };

// Puts the order statistics every percentile reads (floor(h) and the one above) in their
// sorted places, much quicker than sorting a million values. The lower places are
// selected middle first, each within the stretch between places already fixed, so
// that each selection works on a share of the list; the place above one then takes
// the smallest value of the stretch above it, which a scan finds.
void SelectPlaces(std::vector<double>& values, std::size_t first, std::size_t last, std::span<const std::size_t> places)
{
    if (places.empty())
        return;
    const std::size_t middle = places.size() / 2;
    const auto begin = values.begin();
    std::nth_element(begin + std::ptrdiff_t(first), begin + std::ptrdiff_t(places[middle]),
        begin + std::ptrdiff_t(last));
    SelectPlaces(values, first, places[middle], places.first(middle));
    SelectPlaces(values, places[middle] + 1, last, places.subspan(middle + 1));
}

void PlaceOrderStatistics(std::vector<double>& values)
{
    std::vector<std::size_t> lower;
    for (double p : Fractions)
        lower.push_back(static_cast<std::size_t>(std::floor(static_cast<double>(values.size() - 1) * p)));
    std::sort(lower.begin(), lower.end());
    lower.erase(std::unique(lower.begin(), lower.end()), lower.end());
    SelectPlaces(values, 0, values.size(), lower);
    const auto begin = values.begin();
    for (std::size_t k = 0; k < lower.size(); ++k) {
        const std::size_t above = lower[k] + 1;
        const std::size_t next = k + 1 < lower.size() ? lower[k + 1] : values.size();
        if (above < next)
            std::iter_swap(begin + std::ptrdiff_t(above),
                std::min_element(begin + std::ptrdiff_t(above), begin + std::ptrdiff_t(next)));
    }
}

} // namespace

double InterpolatedPercentile(std::span<const double> sorted, double p)
{
    if (sorted.empty())
        return 0;
    const double h = static_cast<double>(sorted.size() - 1) * std::clamp(p, 0.0, 1.0);
    const double below = std::floor(h);
    const auto index = static_cast<std::size_t>(below);
    if (index + 1 >= sorted.size())
        return sorted.back();
    return InterpolateBetween(sorted[index], sorted[index + 1], h - below);
}

std::optional<PercentileSummary> SummarisePercentiles(std::span<const double> values)
{
    std::vector<double> copy(values.begin(), values.end());
    return SummarisePercentilesInPlace(copy);
}

std::optional<PercentileSummary> SummarisePercentilesInPlace(std::vector<double>& finite)
{
    finite.erase(std::remove_if(finite.begin(), finite.end(), [](double v) { return !std::isfinite(v); }),
        finite.end());
    if (finite.empty())
        return std::nullopt;
    const auto [min, max] = std::minmax_element(finite.begin(), finite.end());

    PercentileSummary s;
    s.Min = *min;
    s.Max = *max;
    const Moments moments = MeanAndStdDev(finite, s.Min, s.Max);
    s.Mean = moments.Mean;
    s.StdDev = moments.StdDev;
    s.Samples = static_cast<std::int64_t>(finite.size());

    // Only the places PlaceOrderStatistics fills are read, so the partly ordered list
    // serves as the sorted one.
    PlaceOrderStatistics(finite);
    s.P1 = InterpolatedPercentile(finite, Fractions[0]);
    s.P5 = InterpolatedPercentile(finite, Fractions[1]);
    s.P50 = InterpolatedPercentile(finite, Fractions[2]);
    s.P95 = InterpolatedPercentile(finite, Fractions[3]);
    s.P99 = InterpolatedPercentile(finite, Fractions[4]);
    s.Range90 = FiniteOrNothing(s.P95 - s.P5);
    s.Range98 = FiniteOrNothing(s.P99 - s.P1);
    return s;
}

std::array<PercentileRow, PercentileRowCount> PercentileRows(const PercentileSummary& summary)
{
    return { {
        { "Min", summary.Min },
        { "1%", summary.P1 },
        { "5%", summary.P5 },
        { "50%", summary.P50 },
        { "95%", summary.P95 },
        { "99%", summary.P99 },
        { "Max", summary.Max },
        { "90% range", summary.Range90 },
        { "98% range", summary.Range98 },
        { "StdDev", summary.StdDev },
        { "Mean", summary.Mean },
        { "Samples", static_cast<double>(summary.Samples) },
    } };
}
