#include "ChartTable.h"

#include <array>

namespace {
using enum ChartGroup;

constexpr std::array<ChartRow, 15> Rows { {
    { ChartId::Offsets, Loop, "ChartOffsets", "TabSheetOffset", "Offset vs. date", "_offset", true, false },
    { ChartId::OffsetVsTOD, Loop, "ChartOffsetVsTOD", "TabSheetOffsetVsTOD", "Offset vs. time of day", "_offset-tod",
        true, true },
    { ChartId::AbsFrequency, Loop, "ChartAbsFrequency", "TabSheetAbsFrequency", "Frequency vs. date", "_abs_frequency",
        true, false },
    { ChartId::Frequency, Loop, "ChartFrequency", "TabSheetFrequency", "Frequency delta vs. date", "_frequency", true,
        false },
    { ChartId::FreqVsTOD, Loop, "ChartFreqVsTOD", "TabSheetFreqVsTOD", "Frequency delta vs. time of day",
        "_frequency-tod", true, true },
    { ChartId::Jitter, Loop, "ChartJitter", "TabSheetJitter", "Jitter", "_jitter", true, false },
    { ChartId::LoopstatsPollInterval, Loop, "ChartLoopstatsPollInterval", "TabSheetLoopstatsPollInterval",
        "Poll Interval", "_poll_int", true, false },
    { ChartId::Histo, Histogram, "ChartHisto", "", "", "_histogram", false, false },
    { ChartId::Stability, Analysis, "ChartStability", "TabSheetStability", "Stability", "_stability", true, false },
    { ChartId::AnalysisSummary, Analysis, "StringGridSummary", "TabSheetSummary", "Summary", "_summary", true, false },
    { ChartId::PeerTable, Peer, "StringGridPeerstats", "TabSheetPeerTable", "Table", "_peerstats", true, false },
    { ChartId::PeerstatsOffset, Peer, "ChartPeerstatsOffset", "TabSheetPeerOffset", "Offset", "_peer_offset", true,
        false },
    { ChartId::PeerstatsDelay, Peer, "ChartPeerstatsDelay", "TabSheetPeerDelay", "Delay", "_peer_delay", true, false },
    { ChartId::PeerstatsDispersion, Peer, "ChartPeerstatsDispersion", "TabSheetDispersion", "Dispersion",
        "_peer_dispersion", true, false },
    { ChartId::PeerstatsJitter, Peer, "ChartPeerstatsJitter", "TabSheetPeerJitter", "Jitter", "_peer_jitter", true,
        false },
} };
} // namespace

std::span<const ChartRow> BuiltInChartRows()
{
    return Rows;
}

const ChartRow* FindBuiltInChartRow(ChartId id)
{
    for (const ChartRow& row : Rows)
        if (row.Id == id)
            return &row;
    return nullptr;
}
