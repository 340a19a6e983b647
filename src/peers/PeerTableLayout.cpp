#include "PeerTableLayout.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb HeaderShade = 0xffefefef;
constexpr QRgb GridLine = 0xffd4d4d4;
constexpr QRgb FrameLine = 0xffa0a0a0;
constexpr int Frame = 1;
constexpr int TextInset = PeerCellPadding / 2;

int WrappedHeight(const QFontMetrics& metrics, int columnWidth, const QString& text)
{
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, std::max(1, columnWidth - PeerCellPadding), 100000),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return wrapped.height();
}

} // namespace

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
    if (rows.empty())
        return {};
    const QFontMetrics metrics(font);
    const std::array<int, PeerTableColumns> widths = PeerTableColumnWidths(font, rows);
    const int minimumRow = metrics.boundingRect(QStringLiteral("Cy")).height() + 4;

    std::vector<int> heights;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int height = r == 0 ? metrics.height() + 4 : minimumRow;
        for (int c = 0; c < PeerTableColumns; ++c)
            height = std::max(
                height, WrappedHeight(metrics, widths[std::size_t(c)], rows[r][std::size_t(c)]) + (r == 0 ? 8 : 4));
        heights.push_back(height);
    }

    int width = 2 * Frame;
    for (int w : widths)
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
        for (int c = 0; c < PeerTableColumns; ++c) {
            const int w = widths[std::size_t(c)];
            const QRect cell(x, y, w, heights[r]);
            if (r == 0)
                painter.fillRect(cell, QColor::fromRgb(HeaderShade));
            painter.setPen(QColor::fromRgb(GridLine));
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            const Qt::Alignment align = r == 0 || c == 0 ? Qt::AlignLeft : Qt::AlignRight;
            painter.setPen(Qt::black);
            painter.drawText(cell.adjusted(TextInset, 2, -TextInset, -2), align | Qt::AlignTop | Qt::TextWordWrap,
                rows[r][std::size_t(c)]);
            x += w;
        }
        y += heights[r];
    }
    painter.setPen(QColor::fromRgb(FrameLine));
    painter.drawRect(0, 0, width - 1, height - 1);
    return image;
}
