#pragma once

#include "PeerAccumulator.h"
#include "PeerSortState.h"

#include <QLocale>
#include <QString>

#include <array>
#include <vector>

// The texts of the peer statistics table: one header row, then one row per peer with
// its address, its number of accepted records and nine statistics in milliseconds.
inline constexpr int PeerTableColumns = 11;
using PeerTableRow = std::array<QString, PeerTableColumns>;

const PeerTableRow& PeerTableHeaders();

// "%.3f" with the locale's decimal separator and no digit grouping.
QString FormatThreeDecimals(double value, const QLocale& locale);

// "%.3f " of seconds × 1000 with the locale's decimal separator and no digit grouping.
QString FormatPeerMilliseconds(double seconds, const QLocale& locale);

// Row texts of one peer: all eleven cells when it has accepted records, else only its
// address.
PeerTableRow PeerTableCells(const QString& address, const PeerAccumulator& accumulator, const QLocale& locale);

// The order of the rows: peer indexes sorted by the sort value of the chosen column
// (10,000,000 ± the signed statistic, rounded to 7 decimals); equal values keep the
// display order. A peer without the statistic (no accepted records, sorted by a
// statistic column) comes after those that have it, whichever the direction.
std::vector<int> PeerTableOrder(const std::vector<PeerAccumulator>& accumulators, const PeerSortState& sort);

// Data rows (without the header) in table order.
std::vector<PeerTableRow> BuildPeerTableRows(const std::vector<QString>& addresses,
    const std::vector<PeerAccumulator>& accumulators, const PeerSortState& sort, const QLocale& locale);

// The clipboard text of a table: every row, the header included, as its cells joined by
// tabs and ended by CR LF; cells copied unchanged.
QString PeerTableClipboardText(const std::vector<PeerTableRow>& rowsWithHeader);
