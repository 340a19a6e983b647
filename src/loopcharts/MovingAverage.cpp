#include "MovingAverage.h"

#include "SharedWork.h"

#include <QThreadPool>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TALLIMER_HAVE_AVX2_KERNEL 1
#endif

namespace {

// The running state of one sample's walk, so a walk begun several samples at a time can
// be finished one at a time with the very same arithmetic.
struct Walk
{
    float sum = 0;
    float weightSum = 0;
    float w = 1;
    std::int32_t i = 0;
};

inline float WeightForAge(const TMovingAverage::Weights& weights, double age, double windowDays)
{
    const double k = std::nearbyint(age / windowDays * 100);
    // Tested as a double so that an age that is not a number, or far out of range, never
    // reaches an integer conversion.
    if (k >= 0 && k <= 100)
        return weights[static_cast<std::size_t>(k)];
    return 0;
}

// The weight index is a non-decreasing function of the age (each operation rounds a
// monotonic function), so the ages whose index is at least m are all ages from some
// smallest one on. Found by bisection over the doubles in their order.
double SmallestAgeWithIndexAtLeast(int m, double windowDays)
{
    const auto index = [windowDays](double age) { return std::nearbyint(age / windowDays * 100); };
    const auto key = [](double a) {
        const auto bits = std::bit_cast<std::int64_t>(a);
        return bits >= 0 ? bits : -(bits & INT64_MAX);
    };
    const auto fromKey
        = [](std::int64_t k) { return k >= 0 ? std::bit_cast<double>(k) : std::bit_cast<double>((-k) | INT64_MIN); };
    std::int64_t below = key(-windowDays); // index -100
    std::int64_t atOrAbove = key(2 * windowDays); // index 200
    while (atOrAbove - below > 1) {
        const std::int64_t mid = below + (atOrAbove - below) / 2;
        if (index(fromKey(mid)) >= m)
            atOrAbove = mid;
        else
            below = mid;
    }
    return fromKey(atOrAbove);
}

inline void Continue(Walk& walk, const TMovingAverage::Weights& weights, double windowDays, const double* times,
    const double* jitters, double t)
{
    while (walk.i > 0 && walk.w > 0) {
        walk.w = WeightForAge(weights, t - times[walk.i - 1], windowDays);
        walk.sum += walk.w * jitters[walk.i];
        walk.weightSum += walk.w;
        --walk.i;
    }
}

inline double Finish(const Walk& walk)
{
    double average = walk.sum * 1000.0;
    if (walk.weightSum > 0)
        average = average / walk.weightSum;
    return average;
}

#ifdef TALLIMER_HAVE_AVX2_KERNEL
// Consecutive samples are averaged side by side, one per lane, in groups of eight lanes
// (LaneGroups groups at once): at step d, the lane of sample j + l stands at
// i = j + l - d, so each step reads neighbouring times and jitters. Each lane does exactly the scalar arithmetic
// (double age and division, rounding half to even, double product, sum rounded to single precision). Several groups are
// in flight because one lane's sum is a chain of dependent roundings; interleaving independent chains keeps the
// processor busy. The lanes run while the first lane has i > 0, which keeps every read in bounds; lanes still walking
// after that finish one by one.
struct Lanes
{
    __m256d t0, t1; // the lanes' own times
    __m256 sum, weightSum, w;
};

// The weights of one step of a group of lanes, in single precision and widened.
struct StepWeights
{
    __m256 all;
    __m256d lo, hi;
};

// The age divided by the window. When the window is a power of two (3, 6 or 12 hours)
// multiplying by its reciprocal is exact and gives the very same quotient, faster.
template <bool PowerOfTwoWindow>
__attribute__((target("avx2"))) inline __m256d InWindows(__m256d age, __m256d window, __m256d reciprocal)
{
    return PowerOfTwoWindow ? _mm256_mul_pd(age, reciprocal) : _mm256_div_pd(age, window);
}

// The weights by the definition: age in hundredths of the window, rounded half to even,
// looked up in the table.
template <bool PowerOfTwoWindow>
__attribute__((target("avx2"))) inline StepWeights TableWeights(
    const Lanes& lanes, const float* weights, __m256d window, __m256d reciprocal, const double* before)
{
    const __m256d hundred = _mm256_set1_pd(100.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d k0 = _mm256_round_pd(
        _mm256_mul_pd(
            InWindows<PowerOfTwoWindow>(_mm256_sub_pd(lanes.t0, _mm256_loadu_pd(before)), window, reciprocal), hundred),
        _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d k1 = _mm256_round_pd(
        _mm256_mul_pd(
            InWindows<PowerOfTwoWindow>(_mm256_sub_pd(lanes.t1, _mm256_loadu_pd(before + 4)), window, reciprocal),
            hundred),
        _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d in0 = _mm256_and_pd(_mm256_cmp_pd(k0, zero, _CMP_GE_OQ), _mm256_cmp_pd(k0, hundred, _CMP_LE_OQ));
    const __m256d in1 = _mm256_and_pd(_mm256_cmp_pd(k1, zero, _CMP_GE_OQ), _mm256_cmp_pd(k1, hundred, _CMP_LE_OQ));
    // Ages outside the window take the last weight, which is 0.
    const __m128i idx0 = _mm256_cvttpd_epi32(_mm256_blendv_pd(hundred, k0, in0));
    const __m128i idx1 = _mm256_cvttpd_epi32(_mm256_blendv_pd(hundred, k1, in1));
    StepWeights w;
    // Neighbouring samples polled at a steady rate have equal ages at each step, so the
    // lanes mostly share one weight: one load instead of eight.
    const __m256i idx = _mm256_set_m128i(idx1, idx0);
    const __m256i firstIdx = _mm256_broadcastd_epi32(idx0);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(idx, firstIdx)) == -1) {
        w.all = _mm256_set1_ps(weights[_mm_cvtsi128_si32(idx0)]);
    } else {
        alignas(32) std::int32_t k[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(k), idx);
        w.all = _mm256_setr_ps(weights[k[0]], weights[k[1]], weights[k[2]], weights[k[3]], weights[k[4]], weights[k[5]],
            weights[k[6]], weights[k[7]]);
    }
    w.lo = _mm256_cvtps_pd(_mm256_castps256_ps128(w.all));
    w.hi = _mm256_cvtps_pd(_mm256_extractf128_ps(w.all, 1));
    return w;
}

// Without weighting every age in [ageFloor, ageEnd) weighs 1 and every other age 0; the
// two ends are the exact ages at which the rounded index reaches 0 and 100, so comparing
// with them gives the table's weight without dividing or rounding.
__attribute__((target("avx2"))) inline StepWeights UnitWeights(
    const Lanes& lanes, __m256d ageFloor, __m256d ageEnd, const double* before)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d age0 = _mm256_sub_pd(lanes.t0, _mm256_loadu_pd(before));
    const __m256d age1 = _mm256_sub_pd(lanes.t1, _mm256_loadu_pd(before + 4));
    StepWeights w;
    w.lo = _mm256_and_pd(
        one, _mm256_and_pd(_mm256_cmp_pd(age0, ageFloor, _CMP_GE_OQ), _mm256_cmp_pd(age0, ageEnd, _CMP_LT_OQ)));
    w.hi = _mm256_and_pd(
        one, _mm256_and_pd(_mm256_cmp_pd(age1, ageFloor, _CMP_GE_OQ), _mm256_cmp_pd(age1, ageEnd, _CMP_LT_OQ)));
    w.all = _mm256_set_m128(_mm256_cvtpd_ps(w.hi), _mm256_cvtpd_ps(w.lo));
    return w;
}

// One step of every lane of a group that is still walking: add the newer jitter with the
// weight of its predecessor's age.
__attribute__((target("avx2"))) inline void Accumulate(
    Lanes& lanes, __m256 active, const StepWeights& w, const double* jit)
{
    const __m256d sLo
        = _mm256_add_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(lanes.sum)), _mm256_mul_pd(w.lo, _mm256_loadu_pd(jit)));
    const __m256d sHi = _mm256_add_pd(
        _mm256_cvtps_pd(_mm256_extractf128_ps(lanes.sum, 1)), _mm256_mul_pd(w.hi, _mm256_loadu_pd(jit + 4)));
    const __m256 sumNew = _mm256_set_m128(_mm256_cvtpd_ps(sHi), _mm256_cvtpd_ps(sLo));
    lanes.sum = _mm256_blendv_ps(lanes.sum, sumNew, active);
    lanes.weightSum = _mm256_blendv_ps(lanes.weightSum, _mm256_add_ps(lanes.weightSum, w.all), active);
    lanes.w = _mm256_blendv_ps(lanes.w, w.all, active);
}

constexpr std::int32_t LaneGroups = 4;
constexpr std::int32_t LaneCount = 8 * LaneGroups;

template <bool Weighted, bool PowerOfTwoWindow>
__attribute__((target("avx2"))) void FillLanes(
    const TMovingAverage& average, const double* times, const double* jitters, std::int32_t j, double* out)
{
    const __m256d window = _mm256_set1_pd(average.WindowDays());
    const __m256d reciprocal = _mm256_set1_pd(1.0 / average.WindowDays());
    const __m256d ageFloor = _mm256_set1_pd(average.UnitAgeFloor());
    const __m256d ageEnd = _mm256_set1_pd(average.UnitAgeEnd());
    const float* weights = average.AverageWeights().data();
    Lanes lanes[LaneGroups];
    for (std::int32_t g = 0; g < LaneGroups; ++g) {
        lanes[g].t0 = _mm256_loadu_pd(times + j + 8 * g);
        lanes[g].t1 = _mm256_loadu_pd(times + j + 8 * g + 4);
        lanes[g].sum = _mm256_setzero_ps();
        lanes[g].weightSum = _mm256_setzero_ps();
        lanes[g].w = _mm256_set1_ps(1.0f);
    }
    std::int32_t d = 0;
    for (; j - d > 0; ++d) {
        const double* before = times + (j - d - 1);
        const double* jit = jitters + (j - d);
        bool any = false;
        for (std::int32_t g = 0; g < LaneGroups; ++g) {
            const __m256 active = _mm256_cmp_ps(lanes[g].w, _mm256_setzero_ps(), _CMP_GT_OQ);
            if (_mm256_movemask_ps(active) == 0)
                continue;
            any = true;
            const StepWeights w = Weighted
                ? TableWeights<PowerOfTwoWindow>(lanes[g], weights, window, reciprocal, before + 8 * g)
                : UnitWeights(lanes[g], ageFloor, ageEnd, before + 8 * g);
            Accumulate(lanes[g], active, w, jit + 8 * g);
        }
        if (!any)
            break;
    }
    for (std::int32_t g = 0; g < LaneGroups; ++g) {
        alignas(32) float sums[8];
        alignas(32) float weightSums[8];
        alignas(32) float ws[8];
        _mm256_store_ps(sums, lanes[g].sum);
        _mm256_store_ps(weightSums, lanes[g].weightSum);
        _mm256_store_ps(ws, lanes[g].w);
        for (std::int32_t lane = 0; lane < 8; ++lane) {
            const std::int32_t sample = j + 8 * g + lane;
            Walk walk { sums[lane], weightSums[lane], ws[lane], sample - d };
            Continue(walk, average.AverageWeights(), average.WindowDays(), times, jitters, times[sample]);
            out[8 * g + lane] = Finish(walk);
        }
    }
}

bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

} // namespace

TMovingAverage::TMovingAverage(bool weighted, int hoursToAverage)
    : windowDays_(hoursToAverage / 24.0)
    , weighted_(weighted)
    , unitAgeFloor_(SmallestAgeWithIndexAtLeast(0, windowDays_))
    , unitAgeEnd_(SmallestAgeWithIndexAtLeast(100, windowDays_))
{
    for (int k = 0; k < WeightCount - 1; ++k)
        weights_[static_cast<std::size_t>(k)] = weighted ? static_cast<float>(1.0 / std::pow(100.0, k / 100.0)) : 1.0f;
    weights_[WeightCount - 1] = 0;
}

double TMovingAverage::At(const double* times, const double* jitters, std::int32_t j) const
{
    Walk walk;
    walk.i = j;
    Continue(walk, weights_, windowDays_, times, jitters, times[j]);
    return Finish(walk);
}

void TMovingAverage::FillRange(
    const double* times, const double* jitters, std::int32_t first, std::int32_t last, double* out) const
{
    int exponent = 0;
    const bool powerOfTwoWindow = std::frexp(windowDays_, &exponent) == 0.5;
    std::int32_t j = first;
#ifdef TALLIMER_HAVE_AVX2_KERNEL
    if (HaveAvx2()) {
        for (; j + LaneCount - 1 <= last; j += LaneCount) {
            if (!weighted_)
                FillLanes<false, false>(*this, times, jitters, j, out + (j - first));
            else if (powerOfTwoWindow)
                FillLanes<true, true>(*this, times, jitters, j, out + (j - first));
            else
                FillLanes<true, false>(*this, times, jitters, j, out + (j - first));
        }
    }
#endif
    for (; j <= last; ++j)
        out[j - first] = At(times, jitters, j);
}

namespace {

// Below this many samples a stretch is not worth handing to another thread.
constexpr std::int32_t MinStretch = 256;
// Stretches per thread: a few, so that a core slowed by other work hands its share to
// the others instead of keeping everyone waiting.
constexpr std::int32_t StretchesPerThread = 4;

} // namespace

void TMovingAverage::Fill(
    const double* times, const double* jitters, std::int32_t first, std::int32_t last, double* out, int threads) const
{
    if (last < first)
        return;
    QThreadPool* pool = QThreadPool::globalInstance();
    if (threads <= 0)
        threads = std::max(1, pool->maxThreadCount());
    const std::int64_t count = std::int64_t { last } - first + 1;
    // Stretches start on a multiple of the lane count from `first`, so each is filled a
    // group of lanes at a time as the whole would be.
    std::int64_t stretch
        = (count + std::int64_t { threads } * StretchesPerThread - 1) / (std::int64_t { threads } * StretchesPerThread);
#ifdef TALLIMER_HAVE_AVX2_KERNEL
    stretch = (stretch + LaneCount - 1) / LaneCount * LaneCount;
#endif
    stretch = std::max<std::int64_t>(stretch, MinStretch);
    const std::int64_t stretchCount = (count + stretch - 1) / stretch;
    if (threads == 1 || stretchCount < 2) {
        FillRange(times, jitters, first, last, out);
        return;
    }

    // Any thread may fill any stretch: each sample's arithmetic is its own.
    RunSharedWork(
        std::size_t(stretchCount),
        [&](std::size_t k) {
            const std::int32_t a = first + std::int32_t(k) * std::int32_t(stretch);
            const auto b = static_cast<std::int32_t>(std::min<std::int64_t>(last, std::int64_t { a } + stretch - 1));
            FillRange(times, jitters, a, b, out + (a - first));
        },
        threads);
}
