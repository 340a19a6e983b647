#include "PeerColour.h"

#include <array>

ChartColor PeerColour(int peerIndex)
{
    static constexpr std::array<ChartColor, 15> colours { {
        { 0, 0, 100 },
        { 250, 0, 250 },
        { 50, 150, 100 },
        { 100, 0, 100 },
        { 100, 0, 0 },
        { 0, 0, 250 },
        { 50, 100, 250 },
        { 0, 100, 100 },
        { 200, 150, 150 },
        { 200, 100, 100 },
        { 250, 100, 150 },
        { 250, 150, 0 },
        { 250, 102, 0 },
        { 100, 100, 150 },
        { 0, 50, 100 },
    } };
    if (peerIndex < 0 || peerIndex >= int(colours.size()))
        return ChartColors::Black;
    return colours[std::size_t(peerIndex)];
}
