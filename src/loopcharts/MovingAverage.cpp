#include "MovingAverage.h"

#include <cmath>

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

inline void Continue(Walk& walk, const TMovingAverage::Weights& weights, double windowDays,
                     const double* times, const double* jitters, double t)
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
// Eight consecutive samples j .. j+7 walk back in step: at step d, lane l stands at
// i = j + l - d, so each step reads eight neighbouring times and jitters. Each lane does
// exactly the scalar arithmetic (double age and division, rounding half to even, double
// product, sum rounded to single precision). The lanes run while lane 0 has i > 0, which
// keeps every read in bounds; lanes still walking after that finish one by one.
__attribute__((target("avx2"))) void FillEight(const TMovingAverage::Weights& weights,
                                               double windowDays, const double* times,
                                               const double* jitters, std::int32_t j,
                                               double* out)
{
    const __m256d t0 = _mm256_loadu_pd(times + j);
    const __m256d t1 = _mm256_loadu_pd(times + j + 4);
    const __m256d window = _mm256_set1_pd(windowDays);
    const __m256d hundred = _mm256_set1_pd(100.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256i lastIndex = _mm256_set1_epi32(100);
    __m256 sum = _mm256_setzero_ps();
    __m256 weightSum = _mm256_setzero_ps();
    __m256 w = _mm256_set1_ps(1.0f);
    std::int32_t d = 0;
    for (; j - d > 0; ++d) {
        const __m256 active = _mm256_cmp_ps(w, _mm256_setzero_ps(), _CMP_GT_OQ);
        if (_mm256_movemask_ps(active) == 0)
            break;
        const double* before = times + (j - d - 1);
        const __m256d k0 = _mm256_round_pd(
            _mm256_mul_pd(_mm256_div_pd(_mm256_sub_pd(t0, _mm256_loadu_pd(before)), window), hundred),
            _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        const __m256d k1 = _mm256_round_pd(
            _mm256_mul_pd(_mm256_div_pd(_mm256_sub_pd(t1, _mm256_loadu_pd(before + 4)), window), hundred),
            _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        const __m256d in0 = _mm256_and_pd(_mm256_cmp_pd(k0, zero, _CMP_GE_OQ), _mm256_cmp_pd(k0, hundred, _CMP_LE_OQ));
        const __m256d in1 = _mm256_and_pd(_mm256_cmp_pd(k1, zero, _CMP_GE_OQ), _mm256_cmp_pd(k1, hundred, _CMP_LE_OQ));
        // Out-of-range ages take the last weight, which is 0.
        const __m128i idx0 = _mm256_cvttpd_epi32(_mm256_blendv_pd(hundred, k0, in0));
        const __m128i idx1 = _mm256_cvttpd_epi32(_mm256_blendv_pd(hundred, k1, in1));
        __m256i idx = _mm256_set_m128i(idx1, idx0);
        idx = _mm256_min_epi32(_mm256_max_epi32(idx, _mm256_setzero_si256()), lastIndex);
        const __m256 wNew = _mm256_i32gather_ps(weights.data(), idx, 4);

        const double* jit = jitters + (j - d);
        const __m256d wLo = _mm256_cvtps_pd(_mm256_castps256_ps128(wNew));
        const __m256d wHi = _mm256_cvtps_pd(_mm256_extractf128_ps(wNew, 1));
        const __m256d sLo = _mm256_add_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(sum)),
                                          _mm256_mul_pd(wLo, _mm256_loadu_pd(jit)));
        const __m256d sHi = _mm256_add_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(sum, 1)),
                                          _mm256_mul_pd(wHi, _mm256_loadu_pd(jit + 4)));
        const __m256 sumNew = _mm256_set_m128(_mm256_cvtpd_ps(sHi), _mm256_cvtpd_ps(sLo));

        sum = _mm256_blendv_ps(sum, sumNew, active);
        weightSum = _mm256_blendv_ps(weightSum, _mm256_add_ps(weightSum, wNew), active);
        w = _mm256_blendv_ps(w, wNew, active);
    }
    alignas(32) float sums[8];
    alignas(32) float weightSums[8];
    alignas(32) float ws[8];
    _mm256_store_ps(sums, sum);
    _mm256_store_ps(weightSums, weightSum);
    _mm256_store_ps(ws, w);
    for (std::int32_t lane = 0; lane < 8; ++lane) {
        Walk walk{sums[lane], weightSums[lane], ws[lane], j + lane - d};
        Continue(walk, weights, windowDays, times, jitters, times[j + lane]);
        out[lane] = Finish(walk);
    }
}

bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

}  // namespace

TMovingAverage::TMovingAverage(bool weighted, int hoursToAverage)
    : windowDays(hoursToAverage / 24.0)
{
    for (int k = 0; k < WeightCount - 1; ++k)
        weights[static_cast<std::size_t>(k)] =
            weighted ? static_cast<float>(1.0 / std::pow(100.0, k / 100.0)) : 1.0f;
    weights[WeightCount - 1] = 0;
}

double TMovingAverage::At(const double* times, const double* jitters, std::int32_t j) const
{
    Walk walk;
    walk.i = j;
    Continue(walk, weights, windowDays, times, jitters, times[j]);
    return Finish(walk);
}

void TMovingAverage::Fill(const double* times, const double* jitters, std::int32_t first,
                          std::int32_t last, double* out) const
{
    std::int32_t j = first;
#ifdef TALLIMER_HAVE_AVX2_KERNEL
    if (HaveAvx2()) {
        for (; j + 7 <= last; j += 8)
            FillEight(weights, windowDays, times, jitters, j, out + (j - first));
    }
#endif
    for (; j <= last; ++j)
        out[j - first] = At(times, jitters, j);
}
