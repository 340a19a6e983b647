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
Moments MeanAndStdDev(const std::vector<double>& sorted)
{
    const double count = static_cast<double>(sorted.size());
    const double largest = std::max(std::abs(sorted.front()), std::abs(sorted.back()));
    int exponent = 0;
    if (largest > 0)
        std::frexp(largest, &exponent);

    double sum = 0;
    for (double v : sorted)
        sum += std::ldexp(v, -exponent);
    double mean = sum / count;
    // The second pass corrects the mean by the rounding the first one left.
    double residual = 0;
    for (double v : sorted)
        residual += std::ldexp(v, -exponent) - mean;
    mean += residual / count;

    Moments moments;
    moments.Mean = std::clamp(std::ldexp(mean, exponent), sorted.front(), sorted.back());
    if (sorted.size() > 1) {
        double squares = 0;
        for (double v : sorted) {
            const double d = std::ldexp(v, -exponent) - mean;
            squares += d * d;
        }
        moments.StdDev = FiniteOrNothing(std::ldexp(std::sqrt(squares / (count - 1)), exponent));
    }
    return moments;
}

}  // namespace

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
    std::vector<double> sorted;
    sorted.reserve(values.size());
    for (double v : values) {
        if (std::isfinite(v))
            sorted.push_back(v);
    }
    if (sorted.empty())
        return std::nullopt;
    std::sort(sorted.begin(), sorted.end());

    PercentileSummary s;
    s.Min = sorted.front();
    s.P1 = InterpolatedPercentile(sorted, 0.01);
    s.P5 = InterpolatedPercentile(sorted, 0.05);
    s.P50 = InterpolatedPercentile(sorted, 0.50);
    s.P95 = InterpolatedPercentile(sorted, 0.95);
    s.P99 = InterpolatedPercentile(sorted, 0.99);
    s.Max = sorted.back();
    s.Range90 = FiniteOrNothing(s.P95 - s.P5);
    s.Range98 = FiniteOrNothing(s.P99 - s.P1);
    const Moments moments = MeanAndStdDev(sorted);
    s.Mean = moments.Mean;
    s.StdDev = moments.StdDev;
    s.Samples = static_cast<std::int64_t>(sorted.size());
    return s;
}

std::array<PercentileRow, PercentileRowCount> PercentileRows(const PercentileSummary& summary)
{
    return {{
        {"Min", summary.Min},
        {"1%", summary.P1},
        {"5%", summary.P5},
        {"50%", summary.P50},
        {"95%", summary.P95},
        {"99%", summary.P99},
        {"Max", summary.Max},
        {"90% range", summary.Range90},
        {"98% range", summary.Range98},
        {"StdDev", summary.StdDev},
        {"Mean", summary.Mean},
        {"Samples", static_cast<double>(summary.Samples)},
    }};
}
