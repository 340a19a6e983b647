#pragma once

#include "PeerTable.h"
#include "TableImage.h"

#include <QFont>
#include <QImage>

#include <array>
#include <vector>

// Room for the cell padding on each side of a text, in all.
inline constexpr int PeerCellPadding = TableCellPadding;

// The widths of the peer table's columns for a font: the numbers take room for
// "-99999.999" with blanks, the address column fits the widest address shown (or a
// dotted quad before any peer is shown). rows: the header row, then the data rows.
std::array<int, PeerTableColumns> PeerTableColumnWidths(const QFont& font, const std::vector<PeerTableRow>& rows);

// The whole peer table as an image: every column and every row, the header row shaded,
// grid lines between the cells, addresses left- and numbers right-aligned, texts wrapped
// within their columns as the table on screen shows them. rows: the header row, then
// the data rows.
QImage DrawPeerTableImage(const std::vector<PeerTableRow>& rows, const QFont& font);
