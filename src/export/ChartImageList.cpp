#include "ChartImageList.h"

#include <array>

namespace {

using enum ChartImageGroup;

constexpr std::array<ChartImageKind, 12> Kinds{{
    {1, Loop, "ChartOffsets", "TabSheetOffset", "Offset vs. date", "_offset.png"},
    {2, Loop, "ChartOffsetVsTOD", "TabSheetOffsetVsTOD", "Offset vs. time of day", "_offset-tod.png"},
    {3, Loop, "ChartAbsFrequency", "TabSheetAbsFrequency", "Frequency vs. date", "_abs_frequency.png"},
    {4, Loop, "ChartFrequency", "TabSheetFrequency", "Frequency delta vs. date", "_frequency.png"},
    {5, Loop, "ChartFreqVsTOD", "TabSheetFreqVsTOD", "Frequency delta vs. time of day", "_frequency-tod.png"},
    {6, Loop, "ChartJitter", "TabSheetJitter", "Jitter", "_jitter.png"},
    {7, Loop, "ChartLoopstatsPollInterval", "TabSheetLoopstatsPollInterval", "Poll Interval", "_poll_int.png"},
    {8, Peer, "StringGridPeerstats", "TabSheetPeerTable", "Table", "_peerstats.png"},
    {9, Peer, "ChartPeerstatsOffset", "TabSheetPeerOffset", "Offset", "_peer_offset.png"},
    {10, Peer, "ChartPeerstatsDelay", "TabSheetPeerDelay", "Delay", "_peer_delay.png"},
    {11, Peer, "ChartPeerstatsDispersion", "TabSheetDispersion", "Dispersion", "_peer_dispersion.png"},
    {12, Peer, "ChartPeerstatsJitter", "TabSheetPeerJitter", "Jitter", "_peer_jitter.png"},
}};

} // namespace

std::span<const ChartImageKind> ChartImageKinds()
{
    return Kinds;
}
