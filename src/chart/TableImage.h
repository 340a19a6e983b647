#pragma once

#include <QFont>
#include <QImage>
#include <QStringList>

#include <vector>

// Room for the cell padding on each side of a text, in all.
inline constexpr int TableCellPadding = 8;

// A table of texts as an image: every column and every row, the header row (the first)
// shaded, grid lines between the cells, the header and the first column left- and the
// other cells right-aligned, texts wrapped within their columns. Each row has up to
// columnWidths.size() cells (missing cells are empty); the widths include the padding.
// A null image for no rows or no columns.
QImage DrawTableImage(const std::vector<QStringList>& rows, const std::vector<int>& columnWidths, const QFont& font);

// The table as the clipboard takes it: each row's cells joined by tabs, every row (the
// last included) ended by CR LF, the cells copied unchanged.
QString TableClipboardText(const std::vector<QStringList>& rows);
