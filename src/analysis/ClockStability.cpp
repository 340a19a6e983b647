#include "ClockStability.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

namespace {

// The grid's phases prepared for the sums, in place: absent points (and points whose
// phase is not finite) set to 0 and flagged absent, the rest scaled by 2^-Exponent so
// that no phase exceeds 1 (second differences of phases near the largest double would
// overflow), with the least-squares line through the present points taken off. Second
// differences ignore any straight line, so the estimates are unchanged, but the running
// sums the modified deviation reads stay small and keep their precision.
struct PreparedPhase
{
    int Exponent = 0;
    std::size_t Size = 0;
    const double* Values = nullptr;
    const std::uint8_t* Present = nullptr;
    std::unique_ptr<double[]> Sums; // Sums[k] = Values[0] + ... + Values[k-1]
    std::unique_ptr<std::uint32_t[]> Absent; // Absent[k] = absent points among 0 .. k-1
};

PreparedPhase Prepare(PhaseGrid& grid, std::size_t size)
{
    grid.Phase.resize(size);
    grid.Present.resize(size, 0);
    PreparedPhase p;
    p.Size = size;
    double* values = grid.Phase.data();
    std::uint8_t* present = grid.Present.data();
    double largest = 0;
    for (std::size_t k = 0; k < size; ++k) {
        if (present[k] == 0 || !std::isfinite(values[k])) {
            present[k] = 0;
            values[k] = 0;
        } else {
            present[k] = 1;
            largest = std::max(largest, std::abs(values[k]));
        }
    }
    if (largest > 0)
        std::frexp(largest, &p.Exponent);

    double count = 0;
    double meanIndex = 0;
    double meanValue = 0;
    for (std::size_t k = 0; k < size; ++k) {
        if (present[k] == 0)
            continue;
        values[k] = std::ldexp(values[k], -p.Exponent);
        ++count;
        meanIndex += (static_cast<double>(k) - meanIndex) / count;
        meanValue += (values[k] - meanValue) / count;
    }
    double sxy = 0;
    double sxx = 0;
    for (std::size_t k = 0; k < size; ++k) {
        if (present[k] == 0)
            continue;
        const double dk = static_cast<double>(k) - meanIndex;
        sxy += dk * (values[k] - meanValue);
        sxx += dk * dk;
    }
    const double slope = sxx > 0 ? sxy / sxx : 0;

    // Compensated running sums (Neumaier), so each stored sum is the exact sum rounded
    // once and the differences of sums far apart lose nothing to accumulated rounding.
    p.Sums = std::make_unique_for_overwrite<double[]>(size + 1);
    p.Absent = std::make_unique_for_overwrite<std::uint32_t[]>(size + 1);
    double sum = 0;
    double carry = 0;
    std::uint32_t absent = 0;
    p.Sums[0] = 0;
    p.Absent[0] = 0;
    for (std::size_t k = 0; k < size; ++k) {
        if (present[k] != 0)
            values[k] -= meanValue + slope * (static_cast<double>(k) - meanIndex);
        const double v = values[k];
        const double t = sum + v;
        carry += std::abs(sum) >= std::abs(v) ? (sum - t) + v : (v - t) + sum;
        sum = t;
        p.Sums[k + 1] = sum + carry;
        absent += present[k] == 0 ? 1u : 0u;
        p.Absent[k + 1] = absent;
    }
    p.Values = values;
    p.Present = present;
    return p;
}

struct Accumulated
{
    double SumOfSquares = 0;
    std::int64_t Terms = 0;
};

Accumulated AllanTerms(const PreparedPhase& p, std::size_t m)
{
    const std::size_t size = p.Size;
    const double* x = p.Values;
    const std::uint8_t* present = p.Present;
    double sum = 0;
    std::int64_t terms = 0;
    for (std::size_t i = 0; i + 2 * m < size; ++i) {
        const bool counts = (present[i] & present[i + m] & present[i + 2 * m]) != 0;
        const double d = x[i + 2 * m] - 2 * x[i + m] + x[i];
        sum += counts ? d * d : 0.0;
        terms += counts ? 1 : 0;
    }
    return { sum, terms };
}

// The inner sum over i = j .. j+m-1 of the second differences telescopes to
// S(j+3m) - 3 S(j+2m) + 3 S(j+m) - S(j) with S the running sums, so each term costs the
// same whatever m is; a term counts when no point of j .. j+3m-1 is absent.
Accumulated ModifiedAllanTerms(const PreparedPhase& p, std::size_t m)
{
    const std::size_t size = p.Size;
    const double* s = p.Sums.get();
    const std::uint32_t* absent = p.Absent.get();
    double sum = 0;
    std::int64_t terms = 0;
    for (std::size_t j = 0; j + 3 * m <= size; ++j) {
        const bool counts = absent[j + 3 * m] == absent[j];
        const double inner = (s[j + 3 * m] - s[j]) - 3 * (s[j + 2 * m] - s[j + m]);
        sum += counts ? inner * inner : 0.0;
        terms += counts ? 1 : 0;
    }
    return { sum, terms };
}

// A point with its error bars, or nothing when the estimate is not finite (phases so
// large that the deviation overflows once scaled back) or rests on too few terms.
std::optional<StabilityPoint> MakePoint(double tau, double deviation, std::int64_t terms)
{
    if (terms < MinStabilityTerms)
        return std::nullopt;
    const double spread = deviation / std::sqrt(static_cast<double>(terms));
    StabilityPoint point { tau, deviation, deviation - spread, deviation + spread, terms };
    if (!std::isfinite(point.TauSeconds) || !std::isfinite(point.Deviation) || !std::isfinite(point.Low)
        || !std::isfinite(point.High))
        return std::nullopt;
    return point;
}

void Append(std::vector<StabilityPoint>& list, const std::optional<StabilityPoint>& point)
{
    if (point)
        list.push_back(*point);
}

// The estimates on a grid that may be spent: its phases become the prepared values.
ClockStability EstimateOnSpentGrid(PhaseGrid& grid)
{
    ClockStability result;
    if (!(grid.Tau0 > 0) || !std::isfinite(grid.Tau0))
        return result;
    result.Tau0 = grid.Tau0;
    // The absent-point counts are 32-bit; no grid that fits in memory comes near that.
    const std::size_t size = std::min<std::size_t>(grid.Phase.size(), std::numeric_limits<std::uint32_t>::max());
    if (size < 2 + MinStabilityTerms)
        return result;

    const PreparedPhase p = Prepare(grid, size);
    const double rootThree = std::sqrt(3.0);
    for (std::size_t m = 1; m <= (size - MinStabilityTerms) / 2; m *= 2) {
        const double tau = static_cast<double>(m) * grid.Tau0;
        const double factor = static_cast<double>(m);

        const Accumulated allan = AllanTerms(p, m);
        if (allan.Terms > 0) {
            const double terms = static_cast<double>(allan.Terms);
            const double rms = std::sqrt(allan.SumOfSquares / (2 * terms));
            Append(result.Adev, MakePoint(tau, std::ldexp(rms / tau, p.Exponent), allan.Terms));
        }

        const Accumulated modified = ModifiedAllanTerms(p, m);
        if (modified.Terms > 0) {
            const double terms = static_cast<double>(modified.Terms);
            const double rms = std::sqrt(modified.SumOfSquares / (2 * terms)) / factor;
            Append(result.Mdev, MakePoint(tau, std::ldexp(rms / tau, p.Exponent), modified.Terms));
            Append(result.Tdev, MakePoint(tau, std::ldexp(rms / rootThree, p.Exponent), modified.Terms));
        }
    }
    return result;
}

} // namespace

ClockStability EstimateClockStability(const PhaseGrid& grid)
{
    PhaseGrid copy = grid;
    return EstimateOnSpentGrid(copy);
}

ClockStability EstimateClockStability(std::span<const double> dayNumbers, std::span<const double> phases)
{
    PhaseGrid grid = SamplePhaseOnGrid(dayNumbers, phases);
    return EstimateOnSpentGrid(grid);
}
