#include "TableImage.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb HeaderShade = 0xffefefef;
constexpr QRgb GridLine = 0xffd4d4d4;
constexpr QRgb FrameLine = 0xffa0a0a0;
constexpr int Frame = 1;
constexpr int TextInset = TableCellPadding / 2;

int WrappedHeight(const QFontMetrics& metrics, int columnWidth, const QString& text)
{
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, std::max(1, columnWidth - TableCellPadding), 100000),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return wrapped.height();
}

QString CellAt(const QStringList& row, std::size_t column)
{
    return qsizetype(column) < row.size() ? row[qsizetype(column)] : QString();
}

} // namespace

QImage DrawTableImage(const std::vector<QStringList>& rows, const std::vector<int>& columnWidths, const QFont& font)
{
    if (rows.empty() || columnWidths.empty())
        return {};
    const QFontMetrics metrics(font);
    const int minimumRow = metrics.boundingRect(QStringLiteral("Cy")).height() + 4;

    std::vector<int> heights;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int height = r == 0 ? metrics.height() + 4 : minimumRow;
        for (std::size_t c = 0; c < columnWidths.size(); ++c)
            height = std::max(height, WrappedHeight(metrics, columnWidths[c], CellAt(rows[r], c)) + (r == 0 ? 8 : 4));
        heights.push_back(height);
    }

    int width = 2 * Frame;
    for (int w : columnWidths)
        width += w;
    int height = 2 * Frame;
    for (int h : heights)
        height += h;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    int y = Frame;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int x = Frame;
        for (std::size_t c = 0; c < columnWidths.size(); ++c) {
            const int w = columnWidths[c];
            const QRect cell(x, y, w, heights[r]);
            if (r == 0)
                painter.fillRect(cell, QColor::fromRgb(HeaderShade));
            painter.setPen(QColor::fromRgb(GridLine));
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            const Qt::Alignment align = r == 0 || c == 0 ? Qt::AlignLeft : Qt::AlignRight;
            painter.setPen(Qt::black);
            painter.drawText(cell.adjusted(TextInset, 2, -TextInset, -2), align | Qt::AlignTop | Qt::TextWordWrap,
                CellAt(rows[r], c));
            x += w;
        }
        y += heights[r];
    }
    painter.setPen(QColor::fromRgb(FrameLine));
    painter.drawRect(0, 0, width - 1, height - 1);
    return image;
}

QString TableClipboardText(const std::vector<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows)
        text += row.join(QLatin1Char('\t')) + QLatin1String("\r\n");
    return text;
}
