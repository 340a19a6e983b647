#include "PercentileSummary.h"

#include "Interpolation.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
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

// The finite values among the scaled values, in their order.
struct FiniteScaledValues
{
    std::span<const double> Values;
    ValueScale Scale;

    // The finite scaled values a block at a time: scaling a whole block, the compiler
    // turns Scale into vector arithmetic.
    template <class VisitBlock> void ForEachBlock(const VisitBlock& visit) const
    {
        constexpr std::size_t Block = 256;
        std::array<double, Block> scaled;
        for (std::size_t start = 0; start < Values.size(); start += Block) {
            const std::size_t n = std::min(Block, Values.size() - start);
            const double* in = Values.data() + start;
            for (std::size_t i = 0; i < n; ++i)
                scaled[i] = Scale(in[i]);
            std::size_t kept = 0;
            for (std::size_t i = 0; i < n; ++i) {
                scaled[kept] = scaled[i];
                kept += std::isfinite(scaled[i]) ? 1 : 0;
            }
            visit(std::span<const double>(scaled.data(), kept));
        }
    }

    template <class Visit> void ForEach(const Visit& visit) const
    {
        ForEachBlock([&](std::span<const double> block) {
            for (const double v : block)
                visit(v);
        });
    }
};

// Two passes over the values scaled by a power of two so that none exceeds 1: the sums
// cannot overflow however large the values, and the scaling itself is exact. `alsoVisit`
// sees every value in the first pass, whose sum leaves the processor time to spare.
template <class AlsoVisit>
Moments MeanAndStdDev(
    const FiniteScaledValues& values, std::size_t size, double min, double max, const AlsoVisit& alsoVisit)
{
    const double count = static_cast<double>(size);
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
    values.ForEach([&](double v) {
        sum += scaled(v);
        alsoVisit(v);
    });
    double mean = sum / count;
    // The second pass corrects the mean by the rounding the first one left.
    double residual = 0;
    values.ForEach([&](double v) { residual += scaled(v) - mean; });
    mean += residual / count;

    Moments moments;
    moments.Mean = std::clamp(std::ldexp(mean, exponent), min, max);
    if (size > 1) {
        double squares = 0;
        values.ForEach([&](double v) {
            const double d = scaled(v) - mean;
            squares += d * d;
        });
        moments.StdDev = FiniteOrNothing(std::ldexp(std::sqrt(squares / (count - 1)), exponent));
    }
    return moments;
}

constexpr std::array<double, 5> Fractions = { 0.01, 0.05, 0.50, 0.95, 0.99 };

// Doubles as unsigned keys in the same order; the two zeros, equal values, share a key.
// Without branches, as signs come in no order: v + 0.0 turns -0 into +0, and a negative
// value's bits are all flipped, a positive one's sign bit only.
std::uint64_t OrderKey(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v + 0.0);
    const auto flip = static_cast<std::uint64_t>(static_cast<std::int64_t>(bits) >> 63) | (std::uint64_t { 1 } << 63);
    return bits ^ flip;
}

double FromOrderKey(std::uint64_t key)
{
    return std::bit_cast<double>((key >> 63) != 0 ? key & ~(std::uint64_t { 1 } << 63) : ~key);
}

// Places of the sorted list are narrowed by counting keys a digit of 16 bits at a time,
// from the first bit in which the smallest and the largest key differ (the bits before
// it every key shares); the last digit may be shorter.
constexpr int DigitBits = 16;
// 32-bit counts: a list summarised here is one chart's points, far fewer than 2^32.
using DigitCounts = std::vector<std::uint32_t>;
int DigitWidth(int known)
{
    return std::min(DigitBits, 64 - known);
}
// The digit after the first `known` bits of key (known below 64).
std::size_t DigitOf(std::uint64_t key, int known)
{
    return std::size_t((key << known) >> (64 - DigitWidth(known)));
}

// Which first digits (the digit after the `shared` bits every key starts with) any of
// the given key prefixes (of `known` bits each, at least a digit more than shared) start
// with: a value whose first digit is not among them is passed over at once.
std::vector<std::uint8_t> FirstDigitsOf(std::span<const std::uint64_t> prefixes, std::span<const int> known, int shared)
{
    std::vector<std::uint8_t> marked(std::size_t { 1 } << DigitBits, 0);
    for (std::size_t k = 0; k < prefixes.size(); ++k)
        marked[std::size_t(prefixes[k] >> (known[k] - shared - DigitBits)) & ((std::size_t { 1 } << DigitBits) - 1)]
            = 1;
    return marked;
}

// Candidates few enough to copy and select among.
constexpr std::size_t FewEnough = 4096;

// The values at the given places of the sorted list (ascending places below `size`),
// found without a copy of the list. Every key starts with the `shared` bits of
// sharedPrefix; `leading` counts the values by the digit after them. A place's value is
// known to start with the digits whose counts hold its rank; each further pass over the
// list counts the next digit of the values that start so, until few enough are left to
// copy and select the place among them. Values of one magnitude share their leading
// bits, so after one or two passes a place's candidates are a few thousand of millions.
std::vector<double> ValuesAtPlaces(const FiniteScaledValues& values, std::span<const std::size_t> places, int shared,
    std::uint64_t sharedPrefix, const DigitCounts& leading)
{
    struct Place
    {
        std::size_t rank; // among the values whose keys start with prefix
        std::uint64_t prefix = 0; // the first `known` bits of the key
        int known = 0;
        std::size_t candidates = 0;
    };
    const auto startsWith = [](std::uint64_t key, const Place& p) { return key >> (64 - p.known) == p.prefix; };
    const auto narrow = [](Place& p, const DigitCounts& counts) {
        std::size_t digit = 0;
        while (digit + 1 < counts.size() && p.rank >= counts[digit])
            p.rank -= counts[digit++];
        const int width = DigitWidth(p.known);
        p.prefix = (p.prefix << width) | digit;
        p.known += width;
        p.candidates = counts[digit];
    };
    std::vector<Place> wanted;
    for (const std::size_t place : places) {
        wanted.push_back({ place, sharedPrefix, shared });
        narrow(wanted.back(), leading);
    }

    // Every place still narrowed has as many known bits as the others.
    for (;;) {
        std::vector<std::uint64_t> starts; // the distinct prefixes to count the next digit of
        for (const Place& p : wanted) {
            if (p.candidates > FewEnough && p.known < 64
                && std::find(starts.begin(), starts.end(), p.prefix) == starts.end())
                starts.push_back(p.prefix);
        }
        if (starts.empty())
            break;
        int known = 0;
        for (const Place& p : wanted)
            known = p.candidates > FewEnough && p.known < 64 ? p.known : known;
        std::vector<DigitCounts> counts(starts.size(), DigitCounts(std::size_t { 1 } << DigitWidth(known)));
        // The least and greatest key under each prefix: when they are one, so is the
        // value at every place there (a clock's delay that never changes, say), and no
        // further pass is needed.
        std::vector<std::uint64_t> lowest(starts.size(), ~std::uint64_t { 0 });
        std::vector<std::uint64_t> highest(starts.size(), 0);
        const std::vector<std::uint8_t> firstDigits
            = FirstDigitsOf(starts, std::vector<int>(starts.size(), known), shared);
        values.ForEach([&](double v) {
            const std::uint64_t key = OrderKey(v);
            if (!firstDigits[DigitOf(key, shared)])
                return;
            const std::uint64_t prefix = key >> (64 - known);
            for (std::size_t s = 0; s < starts.size(); ++s) {
                if (prefix == starts[s]) {
                    ++counts[s][DigitOf(key, known)];
                    lowest[s] = std::min(lowest[s], key);
                    highest[s] = std::max(highest[s], key);
                }
            }
        });
        for (Place& p : wanted) {
            if (p.candidates <= FewEnough || p.known == 64)
                continue;
            const auto s = std::size_t(std::find(starts.begin(), starts.end(), p.prefix) - starts.begin());
            if (lowest[s] == highest[s]) {
                p.prefix = lowest[s];
                p.known = 64;
            } else {
                narrow(p, counts[s]);
            }
        }
    }

    // The places left: one key (its value known), or few enough candidates to copy.
    std::vector<double> found(wanted.size());
    std::vector<std::vector<double>> candidates(wanted.size());
    bool copy = false;
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        if (wanted[k].known == 64)
            found[k] = FromOrderKey(wanted[k].prefix);
        else
            copy = true;
    }
    if (copy) {
        std::vector<std::uint64_t> prefixes;
        std::vector<int> known;
        for (const Place& p : wanted) {
            prefixes.push_back(p.prefix);
            known.push_back(p.known);
        }
        const std::vector<std::uint8_t> firstDigits = FirstDigitsOf(prefixes, known, shared);
        values.ForEach([&](double v) {
            const std::uint64_t key = OrderKey(v);
            if (!firstDigits[DigitOf(key, shared)])
                return;
            for (std::size_t k = 0; k < wanted.size(); ++k) {
                if (wanted[k].known < 64 && startsWith(key, wanted[k]))
                    candidates[k].push_back(v);
            }
        });
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            if (wanted[k].known == 64)
                continue;
            std::vector<double>& c = candidates[k];
            std::nth_element(c.begin(), c.begin() + std::ptrdiff_t(wanted[k].rank), c.end());
            found[k] = c[wanted[k].rank];
        }
    }
    return found;
}

// The percentile at fraction p of `size` sorted values, by the rule of
// InterpolatedPercentile, from the values at the places it reads.
double PercentileFromPlaces(std::size_t size, double p, std::span<const std::size_t> places, std::span<const double> at)
{
    const auto valueAt = [&](std::size_t place) {
        return at[std::size_t(std::lower_bound(places.begin(), places.end(), place) - places.begin())];
    };
    const double h = static_cast<double>(size - 1) * p;
    const double below = std::floor(h);
    const auto index = static_cast<std::size_t>(below);
    if (index + 1 >= size)
        return valueAt(size - 1);
    return InterpolateBetween(valueAt(index), valueAt(index + 1), h - below);
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
    return SummariseScaledPercentiles(values, ValueScale {});
}

std::optional<PercentileSummary> SummariseScaledPercentiles(std::span<const double> values, ValueScale scale)
{
    const FiniteScaledValues finite { values, scale };
    // The first smallest and the last largest value, as std::minmax_element finds them.
    // Min and max over four lanes at a time; since only the two zeros compare equal
    // without being the same, the first and the last zero seen settle the zero's sign.
    constexpr std::size_t Lanes = 4;
    std::array<double, Lanes> lows;
    std::array<double, Lanes> highs;
    lows.fill(std::numeric_limits<double>::infinity());
    highs.fill(-std::numeric_limits<double>::infinity());
    std::optional<double> firstZero;
    double lastZero = 0;
    std::size_t size = 0;
    finite.ForEachBlock([&](std::span<const double> block) {
        bool zero = false;
        std::size_t i = 0;
        for (; i + Lanes <= block.size(); i += Lanes) {
            for (std::size_t l = 0; l < Lanes; ++l) {
                const double v = block[i + l];
                lows[l] = v < lows[l] ? v : lows[l];
                highs[l] = v > highs[l] ? v : highs[l];
                zero |= v == 0;
            }
        }
        for (; i < block.size(); ++i) {
            const double v = block[i];
            lows[0] = v < lows[0] ? v : lows[0];
            highs[0] = v > highs[0] ? v : highs[0];
            zero |= v == 0;
        }
        if (zero) {
            for (const double v : block) {
                if (v == 0) {
                    firstZero = firstZero.value_or(v);
                    lastZero = v;
                }
            }
        }
        size += block.size();
    });
    double min = *std::min_element(lows.begin(), lows.end());
    double max = *std::max_element(highs.begin(), highs.end());
    if (min == 0)
        min = *firstZero;
    if (max == 0)
        max = lastZero;
    if (size == 0)
        return std::nullopt;

    PercentileSummary s;
    s.Min = min;
    s.Max = max;
    // Every key starts with the bits in which the smallest and the largest agree; the
    // order statistics start from counts of the digit after those, taken in the mean's
    // first pass. At most 47 of them: a whole digit follows, and a place is only ever
    // known to its last bit by counting many values (few are selected among the values
    // themselves, whose zeros keep their signs).
    constexpr int MostShared = 47;
    const std::uint64_t lowestKey = OrderKey(min);
    const std::uint64_t highestKey = OrderKey(max);
    const int shared
        = lowestKey == highestKey ? MostShared : std::min(std::countl_zero(lowestKey ^ highestKey), MostShared);
    const std::uint64_t sharedPrefix = shared == 0 ? 0 : lowestKey >> (64 - shared);
    // One key throughout (a clock's delay that is always 0, say): every place holds it,
    // as the places narrowed down to the whole key would tell (a short list's places are
    // selected among its values, whose zeros keep their signs).
    const bool oneKey = lowestKey == highestKey && size > FewEnough;
    DigitCounts leading(oneKey ? 0 : std::size_t { 1 } << DigitBits);
    const auto count = [&](double v) {
        if (!leading.empty())
            ++leading[DigitOf(OrderKey(v), shared)];
    };
    const Moments moments = MeanAndStdDev(finite, size, s.Min, s.Max, count);
    s.Mean = moments.Mean;
    s.StdDev = moments.StdDev;
    s.Samples = static_cast<std::int64_t>(size);

    // Each percentile reads the order statistic at floor(h) and the one above.
    std::vector<std::size_t> places;
    for (const double p : Fractions) {
        const auto below = static_cast<std::size_t>(std::floor(static_cast<double>(size - 1) * p));
        places.push_back(below);
        places.push_back(std::min(below + 1, size - 1));
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    const std::vector<double> at = oneKey ? std::vector<double>(places.size(), FromOrderKey(lowestKey))
                                          : ValuesAtPlaces(finite, places, shared, sharedPrefix, leading);
    const auto percentile = [&](double p) { return PercentileFromPlaces(size, p, places, at); };
    s.P1 = percentile(Fractions[0]);
    s.P5 = percentile(Fractions[1]);
    s.P50 = percentile(Fractions[2]);
    s.P95 = percentile(Fractions[3]);
    s.P99 = percentile(Fractions[4]);
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
