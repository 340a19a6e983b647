#include "DayColour.h"

#include <array>
#include <cstdint>

ChartColor DayColour(int n)
{
    static constexpr std::array<std::uint32_t, 15> colours = {
        0x000080,
        0xFF00FF,
        0x339966,
        0x800080,
        0x800000,
        0x0000FF,
        0x3366FF,
        0x008080,
        0xCCFFFF,
        0xCCFFCC,
        0xFFFF99,
        0xFF9900,
        0xFF6600,
        0x666699,
        0x003366,
    };
    if (n < 0 || n >= static_cast<int>(colours.size()))
        return ChartColors::Black;
    return ChartColor::FromRgb(colours[static_cast<std::size_t>(n)]);
}
