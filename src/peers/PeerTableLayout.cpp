#include "PeerTableLayout.h"

#include <QFontMetrics>

#include <algorithm>

std::array<int, PeerTableColumns> PeerTableColumnWidths(const QFont& font, const std::vector<PeerTableRow>& rows)
{
    const QFontMetrics metrics(font);
    std::array<int, PeerTableColumns> widths {};
    widths.fill(metrics.horizontalAdvance(QStringLiteral("  -99999.999 ")) + PeerCellPadding);
    if (rows.size() <= 1) {
        widths[0] = metrics.horizontalAdvance(QStringLiteral("999.999.999.999")) + PeerCellPadding;
        return widths;
    }
    int widest = metrics.horizontalAdvance(QStringLiteral("0.0.0.0"));
    for (std::size_t r = 1; r < rows.size(); ++r)
        widest = std::max(widest, metrics.horizontalAdvance(rows[r][0]));
    widths[0] = 16 + widest + PeerCellPadding;
    return widths;
}

QImage DrawPeerTableImage(const std::vector<PeerTableRow>& rows, const QFont& font)
{
    std::vector<QStringList> cells;
    cells.reserve(rows.size());
    for (const PeerTableRow& row : rows)
        cells.emplace_back(row.begin(), row.end());
    const std::array<int, PeerTableColumns> widths = PeerTableColumnWidths(font, rows);
    return DrawTableImage(cells, std::vector<int>(widths.begin(), widths.end()), font);
}
