#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The distribution of a list of values as the Analysis page tabulates it.
//
// Percentiles interpolate linearly between order statistics: for the sorted values
// v[0 .. n-1] and a fraction p, with h = (n - 1) * p, the percentile is
// v[floor(h)] + (h - floor(h)) * (v[floor(h) + 1] - v[floor(h)]), or v[n - 1] at the top.
struct PercentileSummary
{
    double Min = 0;
    double P1 = 0;
    double P5 = 0;
    double P50 = 0;
    double P95 = 0;
    double P99 = 0;
    double Max = 0;
    std::optional<double> Range90; // P95 - P5; absent only when that overflows
    std::optional<double> Range98; // P99 - P1; absent only when that overflows
    // The sample standard deviation (divided by n - 1). Absent for a single value, where it
    // is undefined (a 0 would claim a spread that was never measured), and when it
    // overflows.
    std::optional<double> StdDev;
    double Mean = 0;
    std::int64_t Samples = 0;
};

// The summary of the finite values in `values` (values that are not finite are left out
// and not counted). No summary when no finite value is left.
std::optional<PercentileSummary> SummarisePercentiles(std::span<const double> values);

// A change of unit: v divided by Divisor (unless that is 1), then multiplied by Factor.
// Both positive, so the scaled values keep their order.
struct ValueScale
{
    double Divisor = 1.0;
    double Factor = 1.0;
    double operator()(double v) const { return Divisor != 1.0 ? v / Divisor * Factor : v * Factor; }
};
// The summary of the values in another unit: of the finite values among scale(v), with no
// copy of them made.
std::optional<PercentileSummary> SummariseScaledPercentiles(std::span<const double> values, ValueScale scale);

// The percentile of the sorted, finite values at fraction p in [0, 1], by the rule above.
// 0 for an empty list.
double InterpolatedPercentile(std::span<const double> sorted, double p);

// The rows of the summary table in their order, with their captions; a value that is
// absent is an empty cell.
struct PercentileRow
{
    std::string_view Caption;
    std::optional<double> Value;
};
inline constexpr std::size_t PercentileRowCount = 12;
std::array<PercentileRow, PercentileRowCount> PercentileRows(const PercentileSummary& summary);
