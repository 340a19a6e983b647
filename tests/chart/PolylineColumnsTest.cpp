#include "PolylineColumns.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace {
struct ColumnsCase
{
    const char* name;
    std::function<std::vector<QPointF>()> points;
    QPen pen;
    QPointF shift; // the painter's translation
    QRect clip; // in the painter's coordinates
    QImage::Format format = QImage::Format_RGB32;
};

std::vector<QPointF> ZigZag(int count, double top, double bottom, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> height(top, bottom);
    std::vector<QPointF> points;
    for (int i = 0; i < count; ++i)
        points.emplace_back(40.3 + 700.0 * i / count, height(random));
    return points;
}

// A line that runs right, turns back left across the columns it came through, and on.
std::vector<QPointF> Loops()
{
    std::vector<QPointF> points;
    for (int i = 0; i < 400; ++i) {
        const double t = i * 0.05;
        points.emplace_back(380 + 300 * std::sin(t * 1.3) + 2 * t, 200 + 150 * std::cos(t * 2.1));
    }
    return points;
}

// Vertical runs on column edges and halves, points repeated (as a thinned line has
// them), and points far off the image.
std::vector<QPointF> EdgesAndFarPoints()
{
    std::vector<QPointF> points;
    for (int i = 0; i < 120; ++i) {
        const double x = 16 + 8 * (i / 2) + (i % 4 == 3 ? 0.5 : 0.0);
        points.emplace_back(x, i % 2 ? 30.0 : 370.0);
        if (i % 5 == 0)
            points.push_back(points.back());
    }
    points.emplace_back(600, -2e4);
    points.emplace_back(610, 2e4);
    points.emplace_back(620, 200);
    return points;
}

QImage Draw(const ColumnsCase& c, bool inColumns)
{
    QImage image(800, 400, c.format);
    image.fill(c.format == QImage::Format_RGB32 ? QColor(236, 236, 236) : QColor(0, 0, 0, 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(c.shift);
    painter.setClipRect(c.clip);
    painter.setPen(c.pen);
    const std::vector<QPointF> points = c.points();
    if (inColumns)
        DrawPolylineInColumns(painter, points.data(), points.size(), c.clip);
    else
        painter.drawPolyline(points.data(), int(points.size()));
    return image;
}
} // namespace

// The line drawn in columns must be the line drawn whole, to the last bit of every pixel.
TEST(PolylineColumns, DrawsEveryPixelAsTheWholeLine)
{
    const QPen chartPen(QColor(0, 0, 200), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen wideTranslucent(QColor(200, 0, 0, 120), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen miter(QColor(0, 120, 0), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    const QRect whole(0, 0, 800, 400);
    const ColumnsCase cases[] = {
        { "a week of a peer polled every 17 minutes", [] { return ZigZag(590, 32, 352, 1); }, chartPen, {}, whole },
        { "clipped to a plot, painter shifted", [] { return ZigZag(300, -40, 440, 3); }, chartPen, QPointF(13, -7),
            QRect(30, 20, 700, 330) },
        { "a translucent wide pen where segments overlap", [] { return ZigZag(200, 50, 350, 4); }, wideTranslucent, {},
            whole, QImage::Format_ARGB32_Premultiplied },
        { "a line that turns back", Loops, chartPen, {}, whole },
        { "column edges and far points", EdgesAndFarPoints, miter, QPointF(-3, 0), QRect(10, 10, 760, 380) },
    };
    for (const ColumnsCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Draw(c, true) == Draw(c, false));
    }
}
