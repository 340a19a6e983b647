#include "PolylineColumns.h"

#include "SharedWork.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
constexpr int ColumnWidth = 8; // pixels; narrower columns leave fewer crossings per line
constexpr std::size_t MinimumPoints = 64; // below this, the whole line is quick enough

QImage* PlainImageDevice(const QPainter& painter)
{
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    const bool plain = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
    return plain && image->devicePixelRatio() == 1.0 ? image : nullptr;
}

bool Reaches(QPointF a, QPointF b, double low, double high)
{
    return std::max(a.x(), b.x()) >= low && std::min(a.x(), b.x()) <= high;
}
} // namespace

void DrawPolylineInColumns(QPainter& painter, const QPointF* points, std::size_t count, const QRect& clip)
{
    QImage* image = count >= MinimumPoints ? PlainImageDevice(painter) : nullptr;
    const QTransform transform = painter.deviceTransform();
    const bool shiftOnly = transform.type() <= QTransform::TxTranslate && transform.dx() == std::round(transform.dx())
        && transform.dy() == std::round(transform.dy());
    if (!image || !shiftOnly || !painter.testRenderHint(QPainter::Antialiasing)
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        painter.drawPolyline(points, int(count));
        return;
    }

    const int dx = int(transform.dx());
    const int dy = int(transform.dy());
    const QRect area = clip.translated(dx, dy).intersected(image->rect());
    if (area.isEmpty())
        return;
    const QPen pen = painter.pen();
    // Past this distance (device pixels) from a column no segment touches its pixels: a
    // round pen's outline keeps within half its width of the line, and a pen of a pixel
    // or less, drawn as a cosmetic line, shades a pixel on either side; square caps and
    // miter joins reach further.
    const double penWidth = std::max(1.0, pen.widthF());
    const bool roundPen = pen.capStyle() == Qt::RoundCap && pen.joinStyle() == Qt::RoundJoin;
    const double margin = roundPen ? penWidth / 2 + 1.0 : penWidth + 2.0;
    const int bytesPerPixel = 4;
    // Taken once, before the columns are drawn on several threads: bits() may copy a shared
    // image and changes the image's bookkeeping on every call.
    uchar* const bits = image->bits();
    const auto drawColumn = [&](int left) {
        const int width = std::min(ColumnWidth, area.right() + 1 - left);
        const double low = left - margin - dx;
        const double high = left + width + margin - dx;
        // The runs of segments that reach the column, each with one more segment on
        // either side so that its joins are the whole line's; what is left out lies
        // wholly beyond the margin.
        QPainterPath runs;
        std::size_t i = 0;
        while (i + 1 < count) {
            if (!Reaches(points[i], points[i + 1], low, high)) {
                ++i;
                continue;
            }
            std::size_t last = i;
            while (last + 2 < count && Reaches(points[last + 1], points[last + 2], low, high))
                ++last;
            const std::size_t from = i > 0 ? i - 1 : 0;
            const std::size_t to = std::min(count - 1, last + 2);
            runs.moveTo(points[from]);
            for (std::size_t k = from + 1; k <= to; ++k)
                runs.lineTo(points[k]);
            i = last + 1;
        }
        if (runs.isEmpty())
            return;

        QImage column(bits + std::ptrdiff_t(left) * bytesPerPixel, width, image->height(), image->bytesPerLine(),
            image->format());
        QPainter columnPainter(&column);
        columnPainter.setRenderHints(painter.renderHints());
        columnPainter.setOpacity(painter.opacity());
        columnPainter.setTransform(QTransform::fromTranslate(dx - left, dy));
        columnPainter.setClipRect(clip);
        columnPainter.setPen(pen);
        columnPainter.setBrush(Qt::NoBrush);
        columnPainter.drawPath(runs);
    };
    // Each column is drawn into its own pixels only, so columns can be drawn on any
    // core in any order; a few at a time, so that two cores seldom write into one cache
    // line.
    const int columns = (area.width() + ColumnWidth - 1) / ColumnWidth;
    const int columnsPerItem = 4;
    RunSharedWork(std::size_t((columns + columnsPerItem - 1) / columnsPerItem), [&](std::size_t item) {
        const int first = int(item) * columnsPerItem;
        for (int c = first; c < std::min(columns, first + columnsPerItem); ++c)
            drawColumn(area.left() + c * ColumnWidth);
    });
}
