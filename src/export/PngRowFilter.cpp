#include "PngRowFilter.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Each filter is written as plain loops over whole rows, which the compiler turns into
// vector code; libpng's own loops go a byte at a time.

using Byte = std::uint8_t;

// A filtered byte read as signed, by magnitude: v for 0..127, 256 - v for 128..255.
std::size_t Cost(const Byte* bytes, std::size_t count)
{
    // 32-bit partial sums, which cannot overflow within a block, add up in fewer steps.
    constexpr std::size_t Block = 1 << 16;
    std::size_t sum = 0;
    for (std::size_t start = 0; start < count; start += Block) {
        const std::size_t end = std::min(count, start + Block);
        std::uint32_t part = 0;
        for (std::size_t i = start; i < end; ++i) {
            const Byte v = bytes[i];
            part += std::min(v, static_cast<Byte>(-v));
        }
        sum += part;
    }
    return sum;
}

void Sub(const Byte* __restrict row, Byte* __restrict out, std::size_t bytes, std::size_t bpp)
{
    std::memcpy(out, row, std::min(bpp, bytes));
    for (std::size_t i = bpp; i < bytes; ++i)
        out[i] = static_cast<Byte>(row[i] - row[i - bpp]);
}

void Up(const Byte* __restrict row, const Byte* __restrict above, Byte* __restrict out, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<Byte>(row[i] - above[i]);
}

void Average(
    const Byte* __restrict row, const Byte* __restrict above, Byte* __restrict out, std::size_t bytes, std::size_t bpp)
{
    const std::size_t first = std::min(bpp, bytes);
    for (std::size_t i = 0; i < first; ++i)
        out[i] = static_cast<Byte>(row[i] - (above[i] >> 1));
    for (std::size_t i = bpp; i < bytes; ++i)
        out[i] = static_cast<Byte>(row[i] - ((above[i] + row[i - bpp]) >> 1));
}

void Paeth(
    const Byte* __restrict row, const Byte* __restrict above, Byte* __restrict out, std::size_t bytes, std::size_t bpp)
{
    // Left of the first pixel counts as zero, so the byte above predicts.
    const std::size_t first = std::min(bpp, bytes);
    for (std::size_t i = 0; i < first; ++i)
        out[i] = static_cast<Byte>(row[i] - above[i]);
    // 16-bit arithmetic throughout: every difference fits, and a vector holds twice as
    // many lanes as with int.
    using Short = std::int16_t;
    const auto magnitude = [](Short v) { return static_cast<Short>(v < 0 ? -v : v); };
    for (std::size_t i = bpp; i < bytes; ++i) {
        const Short a = row[i - bpp];
        const Short b = above[i];
        const Short c = above[i - bpp];
        const auto towardsB = static_cast<Short>(b - c);
        const auto towardsA = static_cast<Short>(a - c);
        const Short pa = magnitude(towardsB);
        const Short pb = magnitude(towardsA);
        const Short pc = magnitude(static_cast<Short>(towardsB + towardsA));
        const Short predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        out[i] = static_cast<Byte>(row[i] - predicted);
    }
}

} // namespace

PngRowFilter::PngRowFilter(int filters, std::uint32_t width, std::uint32_t height, int bytesPerPixel)
    : filters_(filters & 0xf8)
    , rowBytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel))
    , bpp_(static_cast<std::size_t>(bytesPerPixel))
    , zeros_(rowBytes_, 0)
    , best_(rowBytes_ + 1)
    , trial_(rowBytes_ + 1)
{
    if (height == 1)
        filters_ &= ~(PNG_FILTER_UP | PNG_FILTER_AVG | PNG_FILTER_PAETH);
    if (width == 1)
        filters_ &= ~(PNG_FILTER_SUB | PNG_FILTER_AVG | PNG_FILTER_PAETH);
    if (filters_ == 0)
        filters_ = PNG_FILTER_NONE;
}

std::span<const std::uint8_t> PngRowFilter::Filter(const std::uint8_t* row, const std::uint8_t* previous)
{
    const Byte* above = previous ? previous : zeros_.data();
    // The least cost so far; a filter replaces the best only with a smaller one.
    std::size_t least = 0;
    bool none = false;
    bool any = false;
    const auto consider = [&](int filter, Byte type, auto&& apply) {
        if ((filters_ & filter) == 0)
            return;
        trial_[0] = type;
        apply(trial_.data() + 1);
        const std::size_t cost = Cost(trial_.data() + 1, rowBytes_);
        // A single allowed filter is used as it is, whatever it costs.
        if (!any || cost < least) {
            least = cost;
            none = false;
            any = true;
            std::swap(best_, trial_);
        }
    };
    if (filters_ & PNG_FILTER_NONE) {
        least = Cost(row, rowBytes_);
        none = true;
        any = true;
    }
    consider(PNG_FILTER_SUB, PNG_FILTER_VALUE_SUB, [&](Byte* out) { Sub(row, out, rowBytes_, bpp_); });
    consider(PNG_FILTER_UP, PNG_FILTER_VALUE_UP, [&](Byte* out) { Up(row, above, out, rowBytes_); });
    consider(PNG_FILTER_AVG, PNG_FILTER_VALUE_AVG, [&](Byte* out) { Average(row, above, out, rowBytes_, bpp_); });
    consider(PNG_FILTER_PAETH, PNG_FILTER_VALUE_PAETH, [&](Byte* out) { Paeth(row, above, out, rowBytes_, bpp_); });
    if (none) {
        best_[0] = PNG_FILTER_VALUE_NONE;
        std::memcpy(best_.data() + 1, row, rowBytes_);
    }
    return { best_.data(), rowBytes_ + 1 };
}
