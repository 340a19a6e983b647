#include "NearestPoint.h"

#include "ChartLayout.h"
#include "TChart.h"
#include "TErrorBarSeries.h"
#include "ValueFormat.h"

#include <algorithm>
#include <cmath>

std::optional<NearestPoint> FindNearestPoint(
    const TChart& chart, const ChartLayout& layout, QPointF position, double maxDistance)
{
    if (!layout.HasPlot())
        return std::nullopt;
    const AxisScale& horizontal = layout.bottom.scale;
    // Only points within maxDistance pixels to either side can be near enough.
    double low = horizontal.FromPixel(position.x() - maxDistance, layout.PlotLeft(), layout.PlotRight());
    double high = horizontal.FromPixel(position.x() + maxDistance, layout.PlotLeft(), layout.PlotRight());
    if (low > high)
        std::swap(low, high);
    std::optional<NearestPoint> best;
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const TChartSeries& series = chart.Series(s);
        const AxisScale& vertical = series.VertAxis() == VerticalAxis::Left ? layout.left.scale : layout.right.scale;
        const ChartValues& xs = series.XValues.Values();
        const auto first = std::size_t(std::lower_bound(xs.begin(), xs.end(), low) - xs.begin());
        const auto last = std::size_t(std::upper_bound(xs.begin(), xs.end(), high) - xs.begin());
        for (std::size_t i = first; i < last; ++i) {
            const double dx = layout.XToPixel(xs[i]) - position.x();
            const double dy = layout.YToPixel(vertical, series.YValueAt(i)) - position.y();
            const double distance = std::hypot(dx, dy);
            if (std::isfinite(distance) && distance <= maxDistance && (!best || distance < best->distance))
                best = NearestPoint { s, i, distance };
        }
    }
    return best;
}

QString PointDescription(const TChart& chart, const NearestPoint& nearest)
{
    const TChartSeries& series = chart.Series(nearest.series);
    const double x = series.XValueAt(nearest.point);
    const double y = series.YValueAt(nearest.point);
    QString xText;
    if (series.XValues.DateTime)
        xText = ChartDateTimeLabel(
            x, x >= 0 && x < 1 ? QStringLiteral("hh:nn:ss") : QStringLiteral("yyyy-mm-dd hh:nn:ss"));
    else
        xText = FormatAxisValue(x, chart.BottomAxis().AxisValuesFormat());
    const TChartAxis& axis = series.VertAxis() == VerticalAxis::Left ? chart.LeftAxis() : chart.RightAxis();
    if (const auto* bars = dynamic_cast<const TErrorBarSeries*>(&series)) {
        const auto withUnit = [](const QString& value, const QString& unit) {
            return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
        };
        QString text = series.Title().isEmpty() ? QString() : series.Title() + QLatin1Char('\n');
        text += bars->XName() + QStringLiteral(" = ") + withUnit(xText, bars->XUnit()) + QLatin1Char('\n');
        text += bars->YName() + QStringLiteral(" = ")
            + withUnit(FormatAxisValue(y, axis.AxisValuesFormat()), bars->YUnit()) + QLatin1Char('\n');
        return text + QStringLiteral("n = ") + QString::number(bars->TermsAt(nearest.point));
    }
    QString text;
    if (!series.Title().isEmpty())
        text = series.Title() + QLatin1Char('\n');
    return text + xText + QLatin1Char('\n') + FormatAxisValue(y, axis.AxisValuesFormat());
}
