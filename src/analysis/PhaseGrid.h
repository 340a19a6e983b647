#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A phase series put on a regular time grid, the form the stability estimators need.
//
// The grid step Tau0 is the median spacing of the time stamps: with an even number of
// spacings the mean of the two middle ones, and spacings of 0 (repeated time stamps) are
// counted like any other. A median of a millisecond or more is rounded to whole
// microseconds: day numbers near 60000 resolve only about 0.6 microseconds, and a step
// off by that much would drift, over a year of samples, a good part of a spacing away
// from stamps that were taken on a regular schedule.
//
// Grid point k lies at t0 + k * Tau0, t0 being the first time stamp, and takes its phase
// by linear interpolation between the samples on either side of it. A grid point that
// falls on a sample (within a millionth of Tau0) takes that sample's phase; a grid point
// whose two neighbours are more than 4 * Tau0 apart lies in a gap and has no phase. The
// last grid point is the last one at or before the last sample.
struct PhaseGrid
{
    double Tau0 = 0; // seconds; 0 when the series has no grid
    std::vector<double> Phase; // seconds, one per grid point; 0 where Present is 0
    std::vector<std::uint8_t> Present; // 1 where the grid point has a phase

    std::size_t Size() const { return Phase.size(); }
    bool Empty() const { return Phase.empty(); }
};

// Spacings wider than this many grid steps leave the grid points between them empty.
inline constexpr double GapSpacings = 4;

// The grid never holds more than this many points for a series of `samples` samples.
// Real statistics stay far below it; a series whose median spacing is tiny beside its
// length (a burst of repeated stamps, then months later one more) would otherwise ask for
// billions of points. The points beyond the limit are left out.
std::size_t MaxGridPoints(std::size_t samples);

// The median spacing of the time stamps in seconds, from day numbers in time order.
// 0 for fewer than two stamps.
double MedianSpacingSeconds(std::span<const double> dayNumbers);

// Puts phases (seconds) taken at dayNumbers (days) on the grid. Pairs are read up to the
// shorter of the two lists. Pairs with a time stamp or phase that is not finite are left
// out; stamps out of time order are sorted first (stable, so equal stamps keep their
// order); samples that share a time stamp count as one sample with their mean phase.
// No grid (Tau0 0, no points) with fewer than two samples or a median spacing that is 0
// or not finite.
PhaseGrid SamplePhaseOnGrid(std::span<const double> dayNumbers, std::span<const double> phases);
