#pragma once

#include "ChartColor.h"

#include <array>

// The colours handed out, in this order, to series attached without a colour of their own.
inline constexpr std::array<ChartColor, 20> SeriesPalette { {
    { 255, 0, 0 },
    { 0, 128, 0 },
    { 255, 255, 0 },
    { 0, 0, 255 },
    { 255, 255, 255 },
    { 128, 128, 128 },
    { 255, 0, 255 },
    { 0, 128, 128 },
    { 0, 0, 128 },
    { 128, 0, 0 },
    { 0, 255, 0 },
    { 128, 128, 0 },
    { 128, 0, 128 },
    { 192, 192, 192 },
    { 0, 255, 255 },
    { 0, 0, 0 },
    { 192, 220, 192 },
    { 166, 202, 240 },
    { 255, 251, 240 },
    { 160, 160, 164 },
} };
