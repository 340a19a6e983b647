#include "ClockStability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Day numbers of samples taken every `step` seconds from day 0.
std::vector<double> EveryStep(std::size_t count, double step)
{
    std::vector<double> days;
    for (std::size_t i = 0; i < count; ++i)
        days.push_back(static_cast<double>(i) * step / 86400);
    return days;
}

std::vector<double> Days(const std::vector<double>& seconds)
{
    std::vector<double> days;
    for (double s : seconds)
        days.push_back(s / 86400);
    return days;
}

// Deterministic noise without any library: a 64-bit linear congruential generator and
// Box-Muller for normal deviates.
class Noise
{
public:
    explicit Noise(std::uint64_t seed)
        : state(seed)
    { }
    double Uniform()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    }
    double Normal()
    {
        const double r = std::sqrt(-2 * std::log(Uniform()));
        return r * std::cos(6.283185307179586 * Uniform());
    }

private:
    std::uint64_t state;
};

// What one estimator should hold at one m: the number of terms and the deviation, or no
// point at all.
struct Expected
{
    std::int64_t M;
    std::optional<std::int64_t> Terms;
    double Deviation = 0;
};

void ExpectPoints(const std::vector<StabilityPoint>& points, double tau0, const std::vector<Expected>& expected,
    const std::string& what)
{
    std::size_t next = 0;
    for (const Expected& e : expected) {
        const double tau = static_cast<double>(e.M) * tau0;
        const bool listed = next < points.size() && std::abs(points[next].TauSeconds - tau) < 1e-9 * tau;
        ASSERT_EQ(listed, e.Terms.has_value()) << what << " m=" << e.M;
        if (!listed)
            continue;
        const StabilityPoint& p = points[next++];
        EXPECT_EQ(p.Terms, *e.Terms) << what << " m=" << e.M;
        EXPECT_NEAR(p.Deviation, e.Deviation, 1e-9 * std::abs(e.Deviation) + 1e-15) << what << " m=" << e.M;
    }
    EXPECT_EQ(next, points.size()) << what << ": more points than expected";
}

void ExpectFiniteWithErrorBars(const ClockStability& s, const std::string& what)
{
    for (const auto* list : { &s.Adev, &s.Mdev, &s.Tdev }) {
        double previousTau = 0;
        for (const StabilityPoint& p : *list) {
            ASSERT_TRUE(std::isfinite(p.TauSeconds) && std::isfinite(p.Deviation) && std::isfinite(p.Low)
                && std::isfinite(p.High))
                << what;
            EXPECT_GT(p.TauSeconds, previousTau) << what;
            previousTau = p.TauSeconds;
            EXPECT_GE(p.Terms, MinStabilityTerms) << what;
            const double spread = p.Deviation / std::sqrt(static_cast<double>(p.Terms));
            EXPECT_DOUBLE_EQ(p.Low, p.Deviation - spread) << what;
            EXPECT_DOUBLE_EQ(p.High, p.Deviation + spread) << what;
        }
    }
    EXPECT_TRUE(std::isfinite(s.Tau0)) << what;
}

struct ExactCase
{
    std::string Name;
    std::vector<double> Seconds;
    std::vector<double> Phases;
    double Tau0;
    std::vector<Expected> Adev;
    std::vector<Expected> Mdev;
    std::vector<Expected> Tdev;
};

std::vector<ExactCase> ExactCases()
{
    std::vector<ExactCase> cases;

    // Quadratic phase x = a t^2 / 2 (a steady frequency drift a): every second difference
    // at lag m is a tau^2, so ADEV = MDEV = a tau / sqrt 2 and TDEV = a tau^2 / sqrt 6.
    {
        ExactCase c { "quadratic phase", {}, {}, 16, {}, {}, {} };
        const double a = 1e-9;
        for (int i = 0; i < 40; ++i) {
            const double t = 16.0 * i;
            c.Seconds.push_back(t);
            c.Phases.push_back(a * t * t / 2);
        }
        for (std::int64_t m : { 1, 2, 4, 8, 16 }) {
            const double tau = 16.0 * static_cast<double>(m);
            const std::int64_t mdevTerms = 40 - 3 * m + 1;
            const auto mdevOrNone = mdevTerms >= 4 ? std::optional(mdevTerms) : std::nullopt;
            c.Adev.push_back({ m, 40 - 2 * m, a * tau / std::sqrt(2.0) });
            c.Mdev.push_back({ m, mdevOrNone, a * tau / std::sqrt(2.0) });
            c.Tdev.push_back({ m, mdevOrNone, a * tau * tau / std::sqrt(6.0) });
        }
        cases.push_back(c);
    }

    // Alternating 0, 1: second differences of +-2 at m = 1, none at even m.
    {
        ExactCase c { "alternating phase", {}, {}, 1, {}, {}, {} };
        for (int i = 0; i < 12; ++i) {
            c.Seconds.push_back(i);
            c.Phases.push_back(i % 2);
        }
        c.Adev = { { 1, 10, std::sqrt(2.0) }, { 2, 8, 0 }, { 4, 4, 0 } };
        c.Mdev = { { 1, 10, std::sqrt(2.0) }, { 2, 7, 0 }, { 4, std::nullopt } };
        c.Tdev = { { 1, 10, std::sqrt(2.0 / 3) }, { 2, 7, 0 }, { 4, std::nullopt } };
        cases.push_back(c);
    }

    // No pattern: computed by hand term by term. At m = 4 the modified deviation has a
    // single term and is left out.
    cases.push_back(
        { "irregular phase", { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 }, { 0, 1, 3, 2, 5, 4, 4, 6, 7, 3, 1, 2 }, 1,
            { { 1, 10, 2.073644135332772 }, { 2, 8, 1.4630874888399532 }, { 4, 4, 0.9057110466368399 } },
            { { 1, 10, 2.073644135332772 }, { 2, 7, 1.1080065755348978 }, { 4, std::nullopt } },
            { { 1, 10, 1.1972189997378648 }, { 2, 7, 1.2794157892978975 }, { 4, std::nullopt } } });

    // A gap of 11 s leaves grid points 10 .. 19 empty; terms must not reach across it. At
    // m = 4 only i = 0, 1, 20, 21 have all three points; at m = 8 no term is left.
    {
        ExactCase c { "gap", {}, {}, 1, {}, {}, {} };
        for (int i = 0; i < 30; ++i) {
            if (i >= 10 && i < 20)
                continue;
            c.Seconds.push_back(i);
            c.Phases.push_back(0.001 * ((i % 3) - 1) + 1e-4 * i);
        }
        c.Adev = { { 1, 16, 0.0016770509831248424 }, { 2, 12, 0.0008660254037844387 }, { 4, 4, 0.00037499999999999995 },
            { 8, std::nullopt } };
        c.Mdev = { { 1, 16, 0.0016770509831248424 }, { 2, 10, 0.0004107919181288746 }, { 4, std::nullopt },
            { 8, std::nullopt } };
        c.Tdev = { { 1, 16, 0.0009682458365518544 }, { 2, 10, 0.00047434164902525696 }, { 4, std::nullopt },
            { 8, std::nullopt } };
        cases.push_back(c);
    }

    // Uneven spacings (median 1 s): the grid is 0, 2, 4, 1, 0, -1, -2, 3, 5, 2.5, 0, 2, -1, 1
    // with points 1, 4, 5 and 9 interpolated.
    cases.push_back({ "uneven spacing", { 0, 2, 3, 6, 7, 8, 10, 11, 12, 13 }, { 0, 4, 1, -2, 3, 5, 0, 2, -1, 1 }, 1,
        { { 1, 12, 2.6180463454008347 }, { 2, 10, 2.140385479300399 }, { 4, 6, 1.221018188507717 } },
        { { 1, 12, 2.6180463454008347 }, { 2, 9, 1.7034992580633026 }, { 4, std::nullopt } },
        { { 1, 12, 1.511529762268088 }, { 2, 9, 1.9670315104143514 }, { 4, std::nullopt } } });

    // The fewest samples that give a point: six give ADEV and MDEV at m = 1 with four
    // terms each; five give three terms, which is too few.
    cases.push_back({ "six samples", { 0, 1, 2, 3, 4, 5 }, { 0, 1, 0, 1, 0, 1 }, 1, { { 1, 4, std::sqrt(2.0) } },
        { { 1, 4, std::sqrt(2.0) } }, { { 1, 4, std::sqrt(2.0 / 3) } } });
    cases.push_back({ "five samples", { 0, 1, 2, 3, 4 }, { 0, 1, 0, 1, 0 }, 1, {}, {}, {} });
    cases.push_back({ "three samples", { 0, 10, 20 }, { 0, 1, 0 }, 10, {}, {}, {} });
    return cases;
}

TEST(ClockStability, ExactSmallSeries)
{
    for (const ExactCase& c : ExactCases()) {
        const ClockStability s = EstimateClockStability(Days(c.Seconds), c.Phases);
        EXPECT_NEAR(s.Tau0, c.Tau0, 1e-9) << c.Name;
        ExpectPoints(s.Adev, c.Tau0, c.Adev, c.Name + " ADEV");
        ExpectPoints(s.Mdev, c.Tau0, c.Mdev, c.Name + " MDEV");
        ExpectPoints(s.Tdev, c.Tau0, c.Tdev, c.Name + " TDEV");
        ExpectFiniteWithErrorBars(s, c.Name);
    }
}

// The definitions summed term by term, in long double, for comparison with the running
// sums.
struct Reference
{
    std::optional<double> Adev;
    std::optional<double> Mdev;
    std::int64_t AdevTerms = 0;
    std::int64_t MdevTerms = 0;
};

Reference Direct(const PhaseGrid& g, std::size_t m)
{
    const std::size_t size = g.Size();
    const auto at = [&](std::size_t k) { return static_cast<long double>(g.Phase[k]); };
    const long double tau = static_cast<long double>(m) * g.Tau0;
    Reference r;
    long double sum = 0;
    for (std::size_t i = 0; i + 2 * m < size; ++i) {
        if (g.Present[i] && g.Present[i + m] && g.Present[i + 2 * m]) {
            const long double d = at(i + 2 * m) - 2 * at(i + m) + at(i);
            sum += d * d;
            ++r.AdevTerms;
        }
    }
    if (r.AdevTerms >= MinStabilityTerms)
        r.Adev = static_cast<double>(std::sqrt(sum / (2 * tau * tau * r.AdevTerms)));
    sum = 0;
    for (std::size_t j = 0; j + 3 * m <= size; ++j) {
        bool whole = true;
        for (std::size_t k = j; k < j + 3 * m; ++k)
            whole = whole && g.Present[k];
        if (!whole)
            continue;
        long double inner = 0;
        for (std::size_t i = j; i < j + m; ++i)
            inner += at(i + 2 * m) - 2 * at(i + m) + at(i);
        sum += inner * inner;
        ++r.MdevTerms;
    }
    if (r.MdevTerms >= MinStabilityTerms)
        r.Mdev = static_cast<double>(std::sqrt(sum / (2 * m * m * tau * tau * r.MdevTerms)));
    return r;
}

TEST(ClockStability, RunningSumsAgreeWithTheDefinitionsOnNoisyDriftingPhaseWithGaps)
{
    // A large offset and drift on top of nanosecond noise, the case in which running sums
    // lose precision if they are taken carelessly; gaps of varying length throughout.
    Noise noise(7);
    PhaseGrid g;
    g.Tau0 = 64;
    for (int k = 0; k < 3000; ++k) {
        const double t = 64.0 * k;
        g.Phase.push_back(0.25 + 2e-5 * t + 1e-9 * noise.Normal());
        g.Present.push_back(noise.Uniform() < 0.02 ? 0 : 1);
    }
    for (int k = 1500; k < 1600; ++k)
        g.Present[k] = 0;
    const ClockStability s = EstimateClockStability(g);
    std::size_t adev = 0;
    std::size_t mdev = 0;
    for (std::size_t m = 1; m <= (g.Size() - 4) / 2; m *= 2) {
        const Reference r = Direct(g, m);
        if (r.Adev) {
            ASSERT_LT(adev, s.Adev.size()) << m;
            EXPECT_EQ(s.Adev[adev].Terms, r.AdevTerms) << m;
            EXPECT_NEAR(s.Adev[adev].Deviation, *r.Adev, 1e-6 * *r.Adev) << m;
            ++adev;
        }
        if (r.Mdev) {
            ASSERT_LT(mdev, s.Mdev.size()) << m;
            EXPECT_EQ(s.Mdev[mdev].Terms, r.MdevTerms) << m;
            EXPECT_NEAR(s.Mdev[mdev].Deviation, *r.Mdev, 1e-6 * *r.Mdev) << m;
            const double tdev = static_cast<double>(m) * 64 / std::sqrt(3.0) * *r.Mdev;
            EXPECT_NEAR(s.Tdev[mdev].Deviation, tdev, 1e-6 * tdev) << m;
            ++mdev;
        }
    }
    EXPECT_EQ(adev, s.Adev.size());
    EXPECT_EQ(mdev, s.Mdev.size());
    EXPECT_GE(mdev, 6u);
}

// The least-squares slope of log deviation against log tau.
double LogSlope(const std::vector<StabilityPoint>& points, double maxTau)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const StabilityPoint& p : points) {
        if (p.TauSeconds > maxTau)
            continue;
        const double x = std::log(p.TauSeconds);
        const double y = std::log(p.Deviation);
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

TEST(ClockStability, WhitePhaseNoiseFallsWithTheKnownSlopes)
{
    // A sanity check of the whole chain on noise with known behaviour: for white phase
    // noise ADEV goes as 1/tau, MDEV as tau^-3/2 and TDEV as tau^-1/2.
    Noise noise(20200419);
    std::vector<double> days;
    std::vector<double> phases;
    for (int i = 0; i < 65536; ++i) {
        days.push_back(60000 + i * 16.0 / 86400);
        phases.push_back(1e-6 * noise.Normal());
    }
    const ClockStability s = EstimateClockStability(days, phases);
    EXPECT_NEAR(s.Tau0, 16, 1e-9);
    const double maxTau = 16 * 256;
    EXPECT_NEAR(LogSlope(s.Adev, maxTau), -1.0, 0.05);
    EXPECT_NEAR(LogSlope(s.Mdev, maxTau), -1.5, 0.05);
    EXPECT_NEAR(LogSlope(s.Tdev, maxTau), -0.5, 0.05);
    // At tau0 white phase noise of deviation s gives ADEV = sqrt(3) s / tau0.
    ASSERT_FALSE(s.Adev.empty());
    EXPECT_NEAR(s.Adev[0].Deviation, std::sqrt(3.0) * 1e-6 / 16, 0.02 * std::sqrt(3.0) * 1e-6 / 16);
    ExpectFiniteWithErrorBars(s, "white phase noise");
}

struct BadCase
{
    std::string Name;
    std::vector<double> Days;
    std::vector<double> Phases;
    bool Empty;
};

std::vector<BadCase> BadCases()
{
    std::vector<BadCase> cases = {
        { "nothing", {}, {}, true },
        { "one sample", { 1 }, { 1 }, true },
        { "two samples", { 1, 2 }, { 1, 2 }, true },
        { "all at one time", std::vector<double>(20, 60000.5), std::vector<double>(20, 1e-3), true },
        { "median spacing 0", Days({ 0, 0, 0, 0, 0, 0, 1, 2, 3, 4 }), std::vector<double>(10, 1), true },
        { "nothing finite", { Nan, Inf, -Inf, Nan }, { 1, Nan, Inf, 2 }, true },
        { "lists of different lengths", EveryStep(8, 1), { 1, 2 }, true },
    };
    // Samples in pairs an hour apart: each pair is two grid points, then a gap, so no
    // term ever has all its points.
    {
        BadCase c { "every term in a gap", {}, {}, true };
        for (int i = 0; i < 50; ++i) {
            c.Days.push_back(i * 3600.0 / 86400);
            c.Days.push_back((i * 3600.0 + 1) / 86400);
            c.Phases.push_back(i);
            c.Phases.push_back(-i);
        }
        cases.push_back(c);
    }
    // Phases near the largest double: differences overflow unless scaled, and the
    // deviation itself may not fit a double; what is shown must be finite.
    for (double huge : { 1e300, 1e308, std::numeric_limits<double>::max() }) {
        BadCase c { "phases of " + std::to_string(huge), EveryStep(64, 16), {}, false };
        for (int i = 0; i < 64; ++i)
            c.Phases.push_back(i % 2 == 0 ? huge : -huge);
        cases.push_back(c);
    }
    {
        BadCase c { "tiny phases", EveryStep(64, 16), {}, false };
        for (int i = 0; i < 64; ++i)
            c.Phases.push_back(i % 3 == 0 ? 5e-324 : 0);
        cases.push_back(c);
    }
    {
        BadCase c { "huge day numbers", {}, {}, false };
        for (int i = 0; i < 64; ++i) {
            c.Days.push_back(1e300 * (1 + i * 1e-15));
            c.Phases.push_back(i % 2);
        }
        cases.push_back(c);
    }
    {
        BadCase c { "values that are not finite among good ones", EveryStep(64, 16), {}, false };
        for (int i = 0; i < 64; ++i)
            c.Phases.push_back(i % 5 == 0 ? Nan : i % 7 == 0 ? Inf : 1e-3 * (i % 2));
        c.Days[10] = Nan;
        c.Days[20] = -Inf;
        cases.push_back(c);
    }
    return cases;
}

TEST(ClockStability, BadInputGivesAFiniteOrEmptyResult)
{
    for (const BadCase& c : BadCases()) {
        const ClockStability s = EstimateClockStability(c.Days, c.Phases);
        EXPECT_EQ(s.Empty(), c.Empty) << c.Name;
        ExpectFiniteWithErrorBars(s, c.Name);
    }
}

TEST(ClockStability, HugePhasesKeepEveryPointThatFits)
{
    // Alternating +-a: ADEV at m = 1 is 2 sqrt 2 a, at even m 0. For a = 1e300 that fits;
    // for the largest double it does not and only that point goes.
    for (const auto& [a, firstFits] : { std::pair { 1e300, true }, std::pair { 1.5e308, false } }) {
        std::vector<double> phases;
        for (int i = 0; i < 64; ++i)
            phases.push_back(i % 2 == 0 ? a : -a);
        const ClockStability s = EstimateClockStability(EveryStep(64, 1), phases);
        ASSERT_EQ(s.Adev.size(), firstFits ? 5u : 4u) << a;
        if (firstFits) {
            EXPECT_NEAR(s.Adev[0].Deviation, 2 * std::sqrt(2.0) * a, 1e-9 * a);
        }
        EXPECT_LT(s.Adev.back().Deviation, 1e-12 * a) << a; // 0 but for rounding
    }
}

TEST(ClockStability, AGridWithNoPresentPointOrNoStepGivesNothing)
{
    PhaseGrid absent;
    absent.Tau0 = 16;
    absent.Phase.assign(100, 1.0);
    absent.Present.assign(100, 0);
    EXPECT_TRUE(EstimateClockStability(absent).Empty());

    PhaseGrid notFinite = absent;
    notFinite.Present.assign(100, 1);
    notFinite.Phase.assign(100, Nan);
    EXPECT_TRUE(EstimateClockStability(notFinite).Empty());

    PhaseGrid noStep = notFinite;
    noStep.Phase.assign(100, 1.0);
    for (double tau0 : { 0.0, -1.0, Nan, Inf }) {
        noStep.Tau0 = tau0;
        const ClockStability s = EstimateClockStability(noStep);
        EXPECT_TRUE(s.Empty()) << tau0;
        EXPECT_EQ(s.Tau0, 0) << tau0;
    }

    PhaseGrid shortFlags = notFinite; // fewer flags than phases: the rest are absent
    shortFlags.Phase.assign(100, 1.0);
    shortFlags.Present.assign(3, 1);
    EXPECT_TRUE(EstimateClockStability(shortFlags).Empty());
}

} // namespace
