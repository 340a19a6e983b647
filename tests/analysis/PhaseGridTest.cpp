#include "PhaseGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

std::vector<double> Days(const std::vector<double>& seconds)
{
    std::vector<double> days;
    for (double s : seconds)
        days.push_back(s / 86400);
    return days;
}

// The grid as one list, nullopt for a point in a gap.
std::vector<std::optional<double>> Points(const PhaseGrid& grid)
{
    std::vector<std::optional<double>> points;
    for (std::size_t k = 0; k < grid.Size(); ++k)
        points.push_back(grid.Present[k] != 0 ? std::optional(grid.Phase[k]) : std::nullopt);
    return points;
}

struct SpacingCase
{
    std::string Name;
    std::vector<double> Seconds;
    double Median;
};

TEST(PhaseGrid, MedianSpacing)
{
    const std::vector<SpacingCase> cases = {
        { "no stamps", {}, 0 },
        { "one stamp", { 5 }, 0 },
        { "odd count of spacings", { 0, 1, 4, 6 }, 2 }, // 1 3 2
        { "even count takes the mean of the middle two", { 0, 1, 4, 6, 16 }, 2.5 }, // 1 3 2 10
        { "zeros count", { 0, 0, 0, 10 }, 0 }, // 0 0 10
        { "zeros in an even count", { 0, 0, 8, 24 }, 8 }, // 0 8 16
        { "stamps that are not finite are skipped", { 0, Nan, 16, 32, Inf, 48 }, 16 },
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(MedianSpacingSeconds(Days(c.Seconds)), c.Median) << c.Name;
}

struct GridCase
{
    std::string Name;
    std::vector<double> Seconds;
    std::vector<double> Phases;
    double Tau0;
    std::vector<std::optional<double>> Expected;
};

TEST(PhaseGrid, InterpolationGapsAndRepeatedStamps)
{
    const auto none = std::nullopt;
    const std::vector<GridCase> cases = {
        { "on the grid already", { 0, 2, 4, 6 }, { 1, -1, 3, 5 }, 2, { 1, -1, 3, 5 } },
        // Spacings 1 1 2 1 1: tau0 1; grid point 3 lies halfway between 2 and 4.
        { "a wider spacing is interpolated", { 0, 1, 2, 4, 5, 6 }, { 0, 1, 2, 8, 9, 9 }, 1, { 0, 1, 2, 5, 8, 9, 9 } },
        // Interpolation at a quarter and three quarters of a spacing of exactly 4 tau0.
        { "a spacing of 4 tau0 is not a gap", { 0, 1, 2, 6, 7, 8 }, { 0, 0, 0, 4, 4, 4 }, 1,
            { 0, 0, 0, 1, 2, 3, 4, 4, 4 } },
        { "a spacing beyond 4 tau0 is a gap", { 0, 1, 2, 7, 8, 9 }, { 0, 0, 0, 5, 5, 5 }, 1,
            { 0, 0, 0, none, none, none, none, 5, 5, 5 } },
        // Grid points off the samples: stamps 0 3 6 9 10 11 12, spacings 3 3 3 1 1 1,
        // median 2. Points at 2, 4, 8 fall between samples.
        { "grid points between samples", { 0, 3, 6, 9, 10, 11, 12 }, { 0, 3, 9, 0, 5, 5, 5 }, 2,
            { 0, 2, 5, 9, 3, 5, 5 } },
        { "samples sharing a stamp count as their mean", { 0, 0, 1, 2, 3, 3, 4 }, { 1, 3, 4, 6, 0, 2, 5 }, 1,
            { 2, 4, 6, 1, 5 } },
        { "stamps out of order are sorted", { 2, 0, 3, 1, 4 }, { 20, 0, 30, 10, 40 }, 1, { 0, 10, 20, 30, 40 } },
        // What is left is 0 2 4 5: spacings 2 2 1.
        { "pairs with a value that is not finite are left out", { 0, 1, 2, 3, 4, 5 }, { 0, Nan, 2, Inf, 4, 5 }, 2,
            { 0, 2, 4 } },
    };
    for (const auto& c : cases) {
        const PhaseGrid grid = SamplePhaseOnGrid(Days(c.Seconds), c.Phases);
        EXPECT_NEAR(grid.Tau0, c.Tau0, 1e-9) << c.Name;
        const auto points = Points(grid);
        ASSERT_EQ(points.size(), c.Expected.size()) << c.Name;
        for (std::size_t k = 0; k < points.size(); ++k) {
            ASSERT_EQ(points[k].has_value(), c.Expected[k].has_value()) << c.Name << " at " << k;
            if (points[k]) {
                EXPECT_NEAR(*points[k], *c.Expected[k], 1e-9) << c.Name << " at " << k;
            }
        }
    }
}

TEST(PhaseGrid, PairsAreReadUpToTheShorterList)
{
    const std::vector<double> days = Days({ 0, 1, 2, 3, 4, 5 });
    const std::vector<double> phases = { 0, 1, 2 };
    EXPECT_EQ(SamplePhaseOnGrid(days, phases).Size(), 3u);
    EXPECT_EQ(SamplePhaseOnGrid(std::vector<double>(days.begin(), days.begin() + 2), std::vector<double> { 1, 2, 3, 4 })
                  .Size(),
        2u);
}

TEST(PhaseGrid, RealDayNumbersMeetTheGrid)
{
    // Day numbers near 60000 carry about a microsecond of rounding; every sample of a
    // 16-second series must still land on its grid point, not in a gap.
    std::vector<double> days;
    std::vector<double> phases;
    for (int i = 0; i < 5400; ++i) {
        days.push_back(60000 + i * 16.0 / 86400);
        phases.push_back(i % 2 == 0 ? 1e-3 : -1e-3);
    }
    const PhaseGrid grid = SamplePhaseOnGrid(days, phases);
    EXPECT_NEAR(grid.Tau0, 16, 1e-5);
    ASSERT_EQ(grid.Size(), days.size());
    for (std::size_t k = 0; k < grid.Size(); ++k) {
        ASSERT_EQ(grid.Present[k], 1) << k;
        ASSERT_EQ(grid.Phase[k], phases[k]) << k;
    }
}

struct NoGridCase
{
    std::string Name;
    std::vector<double> Days;
    std::vector<double> Phases;
};

TEST(PhaseGrid, NoGridWithoutAPositiveFiniteSpacing)
{
    const std::vector<NoGridCase> cases = {
        { "nothing", {}, {} },
        { "one sample", { 1 }, { 1 } },
        { "one finite sample", { 1, Nan, 2 }, { 1, 2, Nan } },
        { "all at one time", { 1, 1, 1, 1 }, { 1, 2, 3, 4 } },
        { "median spacing 0", { 1, 1, 1, 2 }, { 1, 2, 3, 4 } },
        { "median spacing infinite", { -1e308, 1e308 }, { 1, 2 } },
    };
    for (const auto& c : cases) {
        const PhaseGrid grid = SamplePhaseOnGrid(c.Days, c.Phases);
        EXPECT_EQ(grid.Tau0, 0) << c.Name;
        EXPECT_TRUE(grid.Empty()) << c.Name;
    }
}

TEST(PhaseGrid, AGridFarLongerThanTheSeriesIsCutAtTheLimit)
{
    // Ten samples a microsecond apart, then one a thousand years later: without the limit
    // that would be 3e16 grid points.
    std::vector<double> days;
    for (int i = 0; i < 10; ++i)
        days.push_back(i * 1e-6 / 86400);
    days.push_back(365250);
    days.push_back(1e300); // and one whose time in seconds overflows
    const std::vector<double> phases(days.size(), 1.0);
    const PhaseGrid grid = SamplePhaseOnGrid(days, phases);
    EXPECT_NEAR(grid.Tau0, 1e-6, 1e-12);
    EXPECT_EQ(grid.Size(), MaxGridPoints(days.size()));
    std::size_t present = 0;
    for (std::size_t k = 0; k < grid.Size(); ++k)
        present += grid.Present[k];
    EXPECT_EQ(present, 10u);
}

} // namespace
