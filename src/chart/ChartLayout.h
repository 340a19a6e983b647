#pragma once

#include "AxisScale.h"
#include "ChartRenderer.h"
#include "LegendEntries.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class TChart;

struct AxisTick
{
    double value = 0.0;
    double pixel = 0.0;
    QString label;
    QString secondLine; // the date under a time label where the day changes
};

struct AxisLayout
{
    bool visible = false;
    bool dateTime = false;
    AxisScale scale;
    std::vector<AxisTick> ticks;
    // Pixels of the faint grid lines between the ticks of a decade axis; empty otherwise.
    std::vector<double> minorPixels;
};

// Where everything of a chart goes inside a rectangle; shared by the renderer and by the
// widget, which maps mouse positions back to values with it.
struct ChartLayout
{
    QRect outer;
    QRect inner; // inside the margins
    QRect title;
    QRect plot; // empty when the rectangle is too small for axes
    QRect legend;
    std::vector<LegendEntry> legendEntries;
    bool legendTruncated = false;
    AxisLayout bottom;
    AxisLayout left;
    AxisLayout right;

    bool HasPlot() const { return plot.width() >= 8 && plot.height() >= 8; }
    double PlotLeft() const { return plot.left(); }
    double PlotRight() const { return plot.left() + plot.width() - 1; }
    double PlotTop() const { return plot.top(); }
    double PlotBottom() const { return plot.top() + plot.height() - 1; }
    double XToPixel(double x) const { return bottom.scale.ToPixel(x, PlotLeft(), PlotRight()); }
    double YToPixel(const AxisScale& scale, double y) const { return scale.ToPixel(y, PlotBottom(), PlotTop()); }
};

// Sizes in pixels shared by the layout and the drawing.
namespace ChartMetrics {
inline constexpr int TickLength = 4;
inline constexpr int Gap = 4; // between neighbouring parts of the layout
inline constexpr int LegendSwatch = 18; // width of the coloured line in front of a legend text
inline constexpr int LegendPadding = 6;
} // namespace ChartMetrics

namespace ChartFonts {
QFont Title();
QFont AxisTitle();
QFont Labels();
QFont Legend();
} // namespace ChartFonts

// Tick marks with their label texts. Value labels follow the pattern and never have more
// decimals than it allows; date-time labels follow the date-time pattern (seconds are
// added when ticks are less than a minute apart) with the date under the first tick and
// wherever the day changes, or the date alone for ticks a day or more apart. A date-time
// axis within the first day (0 to 1) is a time of day: no dates, and its end reads 24:00.
std::vector<AxisTick> MakeValueTicks(const AxisScale& scale, const QString& pattern, int maxTicks);
std::vector<AxisTick> MakeDateTimeTicks(const AxisScale& scale, const QString& pattern, int maxTicks);

ChartLayout LayoutChart(
    const TChart& chart, const QRect& rectangle, const std::optional<ChartViewRange>& view = std::nullopt);
