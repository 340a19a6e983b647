#include "ChartRenderer.h"

#include "ChartLayout.h"
#include "PolylineColumns.h"
#include "PolylineDecimator.h"
#include "TChart.h"
#include "TErrorBarSeries.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
using ChartMetrics::Gap;
using ChartMetrics::LegendPadding;
using ChartMetrics::LegendSwatch;
using ChartMetrics::TickLength;
const QColor TextColour(0, 0, 0);

QColor Blend(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
        float(from.greenF() + (to.greenF() - from.greenF()) * share),
        float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

// Text turned by the given angle (degrees, counter-clockwise) and centred on a point.
void DrawTurnedText(QPainter& painter, const QString& text, QPointF centre, int angle)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(-angle);
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(text);
    painter.drawText(QPointF(-width / 2.0, (metrics.ascent() - metrics.descent()) / 2.0), text);
    painter.restore();
}

void DrawTitle(QPainter& painter, const TChart& chart, const ChartLayout& layout)
{
    if (layout.title.isNull())
        return;
    painter.setFont(ChartFonts::Title());
    painter.setPen(TextColour);
    const QFontMetrics metrics(painter.font());
    int y = layout.title.top();
    for (const QString& line : chart.TitleLines()) {
        const QString shown = metrics.elidedText(line, Qt::ElideRight, layout.title.width());
        painter.drawText(QRect(layout.title.left(), y, layout.title.width(), metrics.lineSpacing()),
            Qt::AlignHCenter | Qt::AlignVCenter, shown);
        y += metrics.lineSpacing();
    }
}

void DrawGrid(QPainter& painter, const ChartLayout& layout, const QColor& gridColour, const QColor& minorColour)
{
    const QRect& plot = layout.plot;
    painter.setPen(QPen(minorColour, 0));
    for (const double pixel : layout.bottom.minorPixels) {
        const int x = int(std::lround(pixel));
        if (x > plot.left() && x < plot.right())
            painter.drawLine(x, plot.top() + 1, x, plot.bottom() - 1);
    }
    for (const double pixel : layout.left.minorPixels) {
        const int y = int(std::lround(pixel));
        if (y > plot.top() && y < plot.bottom())
            painter.drawLine(plot.left() + 1, y, plot.right() - 1, y);
    }
    painter.setPen(QPen(gridColour, 0));
    for (const AxisTick& tick : layout.bottom.ticks) {
        const int x = int(std::lround(tick.pixel));
        if (x > plot.left() && x < plot.right())
            painter.drawLine(x, plot.top() + 1, x, plot.bottom() - 1);
    }
    for (const AxisTick& tick : layout.left.ticks) {
        const int y = int(std::lround(tick.pixel));
        if (y > plot.top() && y < plot.bottom())
            painter.drawLine(plot.left() + 1, y, plot.right() - 1, y);
    }
}

void DrawVerticalAxis(QPainter& painter, const TChartAxis& axis, const AxisLayout& layout,
    const ChartLayout& chartLayout, bool onLeft, const QColor& frameColour)
{
    const QRect& plot = chartLayout.plot;
    const int edge = onLeft ? plot.left() : plot.right();
    const int direction = onLeft ? -1 : 1;
    painter.setFont(ChartFonts::Labels());
    const QFontMetrics metrics(painter.font());
    int widest = 0;
    for (const AxisTick& tick : layout.ticks) {
        const int y = int(std::lround(tick.pixel));
        painter.setPen(QPen(frameColour, 0));
        painter.drawLine(edge, y, edge + direction * TickLength, y);
        const QString text = tick.secondLine.isEmpty() ? tick.label : tick.label + QLatin1Char(' ') + tick.secondLine;
        const int width = metrics.horizontalAdvance(text);
        widest = std::max(widest, width);
        const int x = onLeft ? edge - TickLength - Gap - width : edge + TickLength + Gap;
        // Labels near the ends are kept inside the chart rather than cut.
        const double baseline = std::clamp(y + (metrics.ascent() - metrics.descent()) / 2.0,
            double(chartLayout.outer.top() + metrics.ascent()), double(chartLayout.outer.bottom() - metrics.descent()));
        painter.setPen(axis.LabelsFontColor().ToQColor());
        painter.drawText(QPointF(x, baseline), text);
    }
    const QString& caption = axis.Title().Caption();
    if (caption.isEmpty())
        return;
    painter.setFont(ChartFonts::AxisTitle());
    painter.setPen(axis.Title().FontColor().ToQColor());
    const QFontMetrics titleMetrics(painter.font());
    const double offset = TickLength + Gap + widest + Gap + titleMetrics.height() / 2.0;
    const QString shown = titleMetrics.elidedText(caption, Qt::ElideRight, plot.height());
    DrawTurnedText(painter, shown, QPointF(edge + direction * offset, plot.center().y()), axis.Title().Angle());
}

void DrawBottomAxis(QPainter& painter, const TChartAxis& axis, const ChartLayout& layout, const QColor& frameColour)
{
    const QRect& plot = layout.plot;
    painter.setFont(ChartFonts::Labels());
    const QFontMetrics metrics(painter.font());
    int lines = 1;
    for (const AxisTick& tick : layout.bottom.ticks) {
        const int x = int(std::lround(tick.pixel));
        painter.setPen(QPen(frameColour, 0));
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + TickLength);
        painter.setPen(axis.LabelsFontColor().ToQColor());
        int y = plot.bottom() + TickLength + 2;
        for (const QString& text : { tick.label, tick.secondLine }) {
            if (text.isEmpty())
                continue;
            const int width = metrics.horizontalAdvance(text);
            // Labels at the ends are pushed inside the chart rather than cut.
            const int left = std::clamp(
                x - width / 2, layout.outer.left(), std::max(layout.outer.left(), layout.outer.right() - width));
            painter.drawText(QPoint(left, y + metrics.ascent()), text);
            y += metrics.height();
        }
        lines = std::max(lines, tick.secondLine.isEmpty() ? 1 : 2);
    }
    const QString& caption = axis.Title().Caption();
    if (caption.isEmpty())
        return;
    painter.setFont(ChartFonts::AxisTitle());
    painter.setPen(axis.Title().FontColor().ToQColor());
    const QFontMetrics titleMetrics(painter.font());
    const int y = plot.bottom() + TickLength + 2 + lines * metrics.height() + Gap;
    const QString shown = titleMetrics.elidedText(caption, Qt::ElideRight, layout.inner.width());
    painter.drawText(QRect(layout.inner.left(), y, layout.inner.width(), titleMetrics.height()),
        Qt::AlignHCenter | Qt::AlignTop, shown);
}

// One series: the points in view (and one on each side, so lines run to the frame),
// mapped to pixels, thinned per pixel column and drawn as one polyline per unbroken run.
void DrawSeries(QPainter& painter, const TChartSeries& series, const AxisScale& vertical, const ChartLayout& layout,
    const QRect& clip)
{
    const std::size_t count = series.PointCount();
    if (count == 0)
        return;
    const ChartValues& xs = series.XValues.Values();
    const ChartValues& ys = series.YValues.Values();
    const AxisScale& horizontal = layout.bottom.scale;
    std::size_t begin = 0;
    std::size_t end = count;
    if (!horizontal.logarithmic) {
        begin = std::size_t(std::lower_bound(xs.begin(), xs.end(), horizontal.minimum) - xs.begin());
        end = std::size_t(std::upper_bound(xs.begin(), xs.end(), horizontal.maximum) - xs.begin());
        begin = begin > 0 ? begin - 1 : 0;
        end = std::min(count, end + 1);
    }
    const double left = layout.PlotLeft();
    const double right = layout.PlotRight();
    const double bottom = layout.PlotBottom();
    const double top = layout.PlotTop();

    const QColor colour = series.SeriesColor().ToQColor();
    // Sparse lines look best smoothed; dense ones stay crisp and quick without it.
    const bool dense = end - begin > std::size_t(2 * layout.plot.width());
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    painter.setPen(QPen(colour, dense ? 1.0 : 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    PolylineDecimator decimator;
    auto flush = [&] {
        const std::vector<QPointF> line = decimator.Take();
        if (line.size() == 1) {
            // A lone point still shows, as a dot.
            painter.setBrush(colour);
            painter.drawEllipse(line.front(), 1.5, 1.5);
            painter.setBrush(Qt::NoBrush);
        } else if (line.size() > 1)
            DrawPolylineInColumns(painter, line.data(), line.size(), clip);
    };
    // Linear axes map with one multiply-add per coordinate; the general mapping handles
    // logarithmic axes and values off them.
    const bool linear = !horizontal.logarithmic && !vertical.logarithmic;
    const double ax = (right - left) / (horizontal.maximum - horizontal.minimum);
    const double bx = left - horizontal.minimum * ax;
    const double ay = (top - bottom) / (vertical.maximum - vertical.minimum);
    const double by = bottom - vertical.minimum * ay;
    constexpr double Far = 1e6; // pixels; keeps far-off points within what the rasteriser handles
    auto pixelOf = [&](std::size_t i) {
        if (linear)
            return QPointF(std::clamp(xs[i] * ax + bx, -Far, Far), std::clamp(ys[i] * ay + by, -Far, Far));
        return QPointF(horizontal.ToPixel(xs[i], left, right), vertical.ToPixel(ys[i], bottom, top));
    };
    std::size_t i = begin;
    while (i < end) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            flush(); // a value that cannot be placed breaks the line
            ++i;
            continue;
        }
        if (!linear) {
            decimator.Add(pixelOf(i));
            ++i;
            continue;
        }
        // The points left of the next pixel column's edge share this column: find their
        // extremes in data values and map only the four that are kept.
        const double edge = (std::floor(xs[i] * ax + bx) + 1 - bx) / ax;
        std::size_t lowest = i;
        std::size_t highest = i;
        std::size_t last = i;
        std::size_t k = i + 1;
        for (; k < end && xs[k] < edge; ++k) {
            const double y = ys[k];
            if (!std::isfinite(y))
                break;
            lowest = y < ys[lowest] ? k : lowest;
            highest = y > ys[highest] ? k : highest;
            last = k;
        }
        decimator.Add(pixelOf(i));
        decimator.Add(pixelOf(std::min(lowest, highest)));
        decimator.Add(pixelOf(std::max(lowest, highest)));
        decimator.Add(pixelOf(last));
        i = k;
    }
    flush();
}

// The bars of a series with uncertainties, with short caps at their ends, and a dot on
// every point so that a lone point or one on a steep line still shows where it lies.
void DrawErrorBars(
    QPainter& painter, const TErrorBarSeries& series, const AxisScale& vertical, const ChartLayout& layout)
{
    constexpr double Cap = 3.0;
    constexpr double Dot = 2.6;
    const AxisScale& horizontal = layout.bottom.scale;
    const double left = layout.PlotLeft();
    const double right = layout.PlotRight();
    const double bottom = layout.PlotBottom();
    const double top = layout.PlotTop();
    // Ends off the axis (a low end of 0 on a logarithmic one) stop just outside the plot.
    auto y = [&](double value) { return std::clamp(vertical.ToPixel(value, bottom, top), top - 8, bottom + 8); };
    const QColor colour = series.SeriesColor().ToQColor();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (std::size_t i = 0; i < series.PointCount(); ++i) {
        const double xValue = series.XValueAt(i);
        const double yValue = series.YValueAt(i);
        if (!std::isfinite(xValue) || !std::isfinite(yValue))
            continue;
        const double x = horizontal.ToPixel(xValue, left, right);
        if (x < left - 8 || x > right + 8)
            continue;
        const double low = series.LowAt(i);
        const double high = series.HighAt(i);
        painter.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::FlatCap));
        if (std::isfinite(low) && std::isfinite(high) && high > low) {
            const double yLow = y(low);
            const double yHigh = y(high);
            painter.drawLine(QPointF(x, yLow), QPointF(x, yHigh));
            painter.drawLine(QPointF(x - Cap, yLow), QPointF(x + Cap, yLow));
            painter.drawLine(QPointF(x - Cap, yHigh), QPointF(x + Cap, yHigh));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(x, y(yValue)), Dot, Dot);
        painter.setBrush(Qt::NoBrush);
    }
}

void DrawLegend(QPainter& painter, const ChartLayout& layout, const QColor& background, const QColor& frameColour)
{
    if (layout.legendEntries.empty())
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(frameColour, 0));
    painter.setBrush(Blend(background, QColor(255, 255, 255), 0.35));
    painter.drawRect(layout.legend.adjusted(0, 0, -1, -1));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(ChartFonts::Legend());
    const QFontMetrics metrics(painter.font());
    const int lineHeight = metrics.lineSpacing() + 2;
    const int textLeft = layout.legend.left() + LegendPadding + LegendSwatch + Gap;
    const int textWidth = layout.legend.left() + layout.legend.width() - LegendPadding - textLeft;
    int y = layout.legend.top() + LegendPadding;
    for (std::size_t i = 0; i < layout.legendEntries.size(); ++i) {
        const LegendEntry& entry = layout.legendEntries[i];
        const int middle = y + lineHeight / 2;
        painter.setPen(QPen(entry.color.ToQColor(), 2));
        painter.drawLine(
            layout.legend.left() + LegendPadding, middle, layout.legend.left() + LegendPadding + LegendSwatch, middle);
        painter.setPen(entry.textColor.ToQColor());
        QString text = metrics.elidedText(entry.text, Qt::ElideRight, textWidth);
        if (layout.legendTruncated && i + 1 == layout.legendEntries.size())
            text = QStringLiteral("…");
        painter.drawText(QRect(textLeft, y, textWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += lineHeight;
    }
}
} // namespace

void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle)
{
    DrawTo(chart, painter, rectangle, std::nullopt);
}

void DrawTo(const TChart& chart, QPainter& painter, const QRect& rectangle, const std::optional<ChartViewRange>& view)
{
    if (rectangle.isEmpty())
        return;
    painter.save();
    painter.setClipRect(rectangle);
    const QColor background = chart.Color().ToQColor();
    painter.fillRect(rectangle, background);
    const QColor gridColour = Blend(background, TextColour, 0.13);
    const QColor frameColour = Blend(background, TextColour, 0.5);

    const ChartLayout layout = LayoutChart(chart, rectangle, view);
    DrawTitle(painter, chart, layout);
    if (layout.HasPlot()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawGrid(painter, layout, gridColour, Blend(background, TextColour, 0.06));
        // The frame goes under the series: a value clamped to an axis end (the moving
        // average above its scale, say) lies on the frame and must stay visible.
        painter.setPen(QPen(frameColour, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(layout.plot.adjusted(0, 0, -1, -1));

        painter.save();
        // One pixel of slack so that a line lying on the frame (a value at an axis end) shows.
        const QRect seriesClip = layout.plot.adjusted(0, 0, 1, 1).intersected(rectangle);
        painter.setClipRect(seriesClip);
        for (std::size_t i = 0; i < chart.SeriesCount(); ++i) {
            const TChartSeries& series = chart.Series(i);
            const AxisScale& vertical
                = series.VertAxis() == VerticalAxis::Left ? layout.left.scale : layout.right.scale;
            DrawSeries(painter, series, vertical, layout, seriesClip);
            if (const auto* bars = dynamic_cast<const TErrorBarSeries*>(&series))
                DrawErrorBars(painter, *bars, vertical, layout);
        }
        painter.restore();

        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawVerticalAxis(painter, chart.LeftAxis(), layout.left, layout, true, frameColour);
        if (layout.right.visible)
            DrawVerticalAxis(painter, chart.RightAxis(), layout.right, layout, false, frameColour);
        DrawBottomAxis(painter, chart.BottomAxis(), layout, frameColour);
    }
    DrawLegend(painter, layout, background, frameColour);
    painter.restore();
}
