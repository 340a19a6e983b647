#pragma once

#include "PhaseGrid.h"

#include <cstdint>
#include <span>
#include <vector>

// One averaging time of a stability estimate.
struct StabilityPoint
{
    double TauSeconds = 0;
    double Deviation = 0;
    double Low = 0; // Deviation * (1 - 1 / sqrt(Terms))
    double High = 0; // Deviation * (1 + 1 / sqrt(Terms))
    std::int64_t Terms = 0; // the terms that touched no gap, at least MinStabilityTerms
};

// The overlapping Allan deviation, the modified Allan deviation and the time deviation of
// a phase series at the averaging times tau = m * Tau0 for m = 1, 2, 4, 8 ... Each list is
// in increasing tau and holds only finite values.
struct ClockStability
{
    double Tau0 = 0; // seconds; 0 when the series had no grid
    std::vector<StabilityPoint> Adev;
    std::vector<StabilityPoint> Mdev;
    std::vector<StabilityPoint> Tdev;

    bool Empty() const { return Adev.empty() && Mdev.empty() && Tdev.empty(); }
};

// An averaging time with fewer terms than this is left out: its estimate means little.
inline constexpr std::int64_t MinStabilityTerms = 4;

// The estimates on a grid, with x the grid's phases and N its size:
//   ADEV^2(tau) = sum_i (x[i+2m] - 2 x[i+m] + x[i])^2 / (2 tau^2 n)
//   MDEV^2(tau) = sum_j (sum_{i=j}^{j+m-1} (x[i+2m] - 2 x[i+m] + x[i]))^2 / (2 m^2 tau^2 n)
//   TDEV(tau)   = tau / sqrt(3) * MDEV(tau)
// where a term counts only if every point it reads is present (ADEV: i, i+m, i+2m; MDEV:
// j .. j+3m-1) and n is the number of terms that count. A grid point whose phase is not
// finite counts as absent. Each tau costs O(N) whatever m is.
ClockStability EstimateClockStability(const PhaseGrid& grid);

// SamplePhaseOnGrid followed by EstimateClockStability: day numbers (days) and phases
// (seconds), e.g. the loop offsets of the loop statistics.
ClockStability EstimateClockStability(std::span<const double> dayNumbers, std::span<const double> phases);
