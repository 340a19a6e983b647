#include "ChartLayout.h"

#include "AxisTicks.h"
#include "TChart.h"
#include "ValueFormat.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
using ChartMetrics::Gap;
using ChartMetrics::LegendPadding;
using ChartMetrics::LegendSwatch;
using ChartMetrics::TickLength;
constexpr std::size_t LegendEntryLimit = 500;
const QString DateLinePattern = QStringLiteral("yyyy-mmm-dd");

QFont MakeFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool IsTimeOfDay(const AxisScale& scale)
{
    return scale.minimum >= 0.0 && scale.maximum <= 1.0 + 1e-9;
}

int LabelWidth(const QFontMetrics& metrics, const AxisTick& tick)
{
    return std::max(metrics.horizontalAdvance(tick.label), metrics.horizontalAdvance(tick.secondLine));
}

// Pixel positions for the ticks of a vertical or horizontal axis.
void PlaceTicks(std::vector<AxisTick>& ticks, const AxisScale& scale, double p0, double p1)
{
    for (AxisTick& tick : ticks)
        tick.pixel = scale.ToPixel(tick.value, p0, p1);
}

// Faint lines at 2 to 9 times each power of ten, only while every decade has its tick
// and the decades are wide enough (at least 40 pixels) for eight lines to stay apart.
void PlaceMinorLines(AxisLayout& axis, double p0, double p1)
{
    const AxisScale& scale = axis.scale;
    if (!scale.logarithmic || !scale.decades || axis.ticks.size() < 2)
        return;
    if (std::fabs(axis.ticks[1].value / axis.ticks[0].value - 10.0) > 1e-6)
        return;
    const double decades = std::log10(scale.maximum / scale.minimum);
    if (!(std::fabs(p1 - p0) / decades >= 40))
        return;
    for (const double value : DecadeMinorTicks(scale.minimum, scale.maximum, 40))
        axis.minorPixels.push_back(scale.ToPixel(value, p0, p1));
}

std::vector<AxisTick> AxisTicksFor(const TChartAxis& axis, const AxisLayout& layout, int maxTicks)
{
    if (layout.dateTime)
        return MakeDateTimeTicks(layout.scale, axis.DateTimeFormat(), maxTicks);
    return MakeValueTicks(layout.scale, axis.AxisValuesFormat(), maxTicks);
}

// The bottom axis's ticks, thinned until neighbouring labels keep a clear gap.
std::vector<AxisTick> BottomTicks(
    const TChartAxis& axis, const AxisLayout& layout, const QFontMetrics& metrics, double left, double right)
{
    const double length = std::max(1.0, right - left);
    int maxTicks = std::max(2, int(length / (metrics.horizontalAdvance(QStringLiteral("00:00")) + 28)));
    std::vector<AxisTick> ticks;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ticks = AxisTicksFor(axis, layout, maxTicks);
        PlaceTicks(ticks, layout.scale, left, right);
        bool crowded = false;
        for (std::size_t i = 1; i < ticks.size() && !crowded; ++i) {
            const double needed = (LabelWidth(metrics, ticks[i - 1]) + LabelWidth(metrics, ticks[i])) / 2.0 + 12;
            crowded = ticks[i].pixel - ticks[i - 1].pixel < needed;
        }
        if (!crowded || maxTicks <= 2)
            break;
        maxTicks = std::max(2, maxTicks * 2 / 3);
    }
    return ticks;
}

int VerticalMaxTicks(const QFontMetrics& metrics, int plotHeight)
{
    return std::max(2, int(plotHeight / (metrics.height() * 2.2)));
}

int AxisBlockWidth(
    const TChartAxis& axis, const AxisLayout& layout, const QFontMetrics& labels, const QFontMetrics& titles)
{
    int width = TickLength + Gap;
    for (const AxisTick& tick : layout.ticks) {
        const QString text = tick.secondLine.isEmpty() ? tick.label : tick.label + QLatin1Char(' ') + tick.secondLine;
        width = std::max(width, TickLength + Gap + labels.horizontalAdvance(text));
    }
    if (!axis.Title().Caption().isEmpty())
        width += Gap + titles.height();
    return width;
}
} // namespace

namespace ChartFonts {
QFont Title()
{
    return MakeFont(15, true);
}
QFont AxisTitle()
{
    return MakeFont(12, false);
}
QFont Labels()
{
    return MakeFont(11, false);
}
QFont Legend()
{
    return MakeFont(11, false);
}
} // namespace ChartFonts

std::vector<AxisTick> MakeValueTicks(const AxisScale& scale, const QString& pattern, int maxTicks)
{
    std::vector<double> values;
    if (scale.logarithmic && scale.decades)
        values = DecadeTicks(scale.minimum, scale.maximum, maxTicks);
    else if (scale.logarithmic)
        values = LogTicks(scale.minimum, scale.maximum, maxTicks);
    else
        values = LinearTicks(scale.minimum, scale.maximum, maxTicks, std::pow(10.0, -MaximumDecimals(pattern)));
    std::vector<AxisTick> ticks;
    ticks.reserve(values.size());
    for (const double value : values)
        ticks.push_back({ value, 0.0, FormatAxisValue(value, pattern), QString() });
    return ticks;
}

std::vector<AxisTick> MakeDateTimeTicks(const AxisScale& scale, const QString& pattern, int maxTicks)
{
    const DateTimeTicks made = ::MakeDateTimeTicks(scale.minimum, scale.maximum, maxTicks);
    QString timePattern = pattern.isEmpty() ? QStringLiteral("hh:nn") : pattern;
    if (made.stepSeconds < 60 && !timePattern.contains(QLatin1String("ss")))
        timePattern += QStringLiteral(":ss");
    const bool timeOfDay = IsTimeOfDay(scale);
    const bool datesOnly = !timeOfDay && made.stepSeconds >= 86400;

    std::vector<AxisTick> ticks;
    ticks.reserve(made.ticks.size());
    double previousDay = std::nan("");
    for (const double value : made.ticks) {
        AxisTick tick { value, 0.0, QString(), QString() };
        const double day = std::floor(value + 0.5 / 86400);
        if (datesOnly)
            tick.label = ChartDateTimeLabel(value, DateLinePattern);
        else {
            tick.label = ChartDateTimeLabel(value, timePattern);
            if (timeOfDay && std::fabs(value - 1.0) < 1e-9)
                tick.label.replace(QStringLiteral("00:00"), QStringLiteral("24:00"));
            else if (!timeOfDay && day != previousDay)
                tick.secondLine = ChartDateTimeLabel(value, DateLinePattern);
        }
        previousDay = day;
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

ChartLayout LayoutChart(const TChart& chart, const QRect& rectangle, const std::optional<ChartViewRange>& view)
{
    ChartLayout layout;
    layout.outer = rectangle;

    const bool pixels = chart.MarginUnits() == MarginUnits::Pixels;
    auto margin = [&](int value, int extent) { return pixels ? value : value * extent / 100; };
    layout.inner = rectangle.adjusted(margin(chart.MarginLeft(), rectangle.width()),
        margin(chart.MarginTop(), rectangle.height()), -margin(chart.MarginRight(), rectangle.width()),
        -margin(chart.MarginBottom(), rectangle.height()));
    const QRect inner = layout.inner;

    const QFontMetrics titleMetrics(ChartFonts::Title());
    const QFontMetrics axisTitleMetrics(ChartFonts::AxisTitle());
    const QFontMetrics labelMetrics(ChartFonts::Labels());
    const QFontMetrics legendMetrics(ChartFonts::Legend());

    // Title lines on top.
    int top = inner.top();
    if (!chart.TitleLines().empty()) {
        const int height = int(chart.TitleLines().size()) * titleMetrics.lineSpacing();
        layout.title = QRect(inner.left(), top, inner.width(), height);
        top += height + Gap;
    }

    // Axes: which are shown, their ranges and label kind.
    const bool noSeries = chart.SeriesCount() == 0;
    layout.bottom.visible = true;
    layout.left.visible = true;
    layout.right.visible = noSeries || RightAxisInUse(chart);
    layout.bottom.dateTime = AxisShowsDateTime(chart, chart.BottomAxis());
    layout.left.dateTime = AxisShowsDateTime(chart, chart.LeftAxis());
    layout.right.dateTime = AxisShowsDateTime(chart, chart.RightAxis());
    layout.bottom.scale = ResolveAxisScale(chart, chart.BottomAxis());
    layout.left.scale = ResolveAxisScale(chart, chart.LeftAxis());
    layout.right.scale = ResolveAxisScale(chart, chart.RightAxis());
    if (view) {
        layout.bottom.scale = MakeDrawableScale(view->xMinimum, view->xMaximum, chart.BottomAxis().Logarithmic());
        layout.left.scale = MakeDrawableScale(view->leftMinimum, view->leftMaximum, chart.LeftAxis().Logarithmic());
        layout.right.scale = MakeDrawableScale(view->rightMinimum, view->rightMaximum, chart.RightAxis().Logarithmic());
        for (auto [axisLayout, axis] : { std::pair { &layout.bottom, &chart.BottomAxis() },
                 std::pair { &layout.left, &chart.LeftAxis() }, std::pair { &layout.right, &chart.RightAxis() } })
            axisLayout->scale.decades = axis->Logarithmic() && axis->DecadeTicks();
    }

    // The legend on the right, as wide as its longest text but never more than a third.
    layout.legendEntries = LegendEntries(chart, LegendEntryLimit);
    int right = inner.right() + 1;
    if (!layout.legendEntries.empty()) {
        int textWidth = 0;
        for (const LegendEntry& entry : layout.legendEntries)
            textWidth = std::max(textWidth, legendMetrics.horizontalAdvance(entry.text));
        const int width = std::min(2 * LegendPadding + LegendSwatch + Gap + textWidth + 2, inner.width() / 3);
        const int lineHeight = legendMetrics.lineSpacing() + 2;
        const int legendTop = top + labelMetrics.height() / 2;
        const int available = std::max(0, inner.bottom() - legendTop - 2 * LegendPadding);
        const std::size_t fitting = std::size_t(std::max(0, available / lineHeight));
        if (layout.legendEntries.size() > fitting) {
            layout.legendEntries.resize(fitting);
            layout.legendTruncated = true;
        }
        if (!layout.legendEntries.empty() && width > 2 * LegendPadding + LegendSwatch) {
            const int height = int(layout.legendEntries.size()) * lineHeight + 2 * LegendPadding;
            layout.legend = QRect(right - width, legendTop, width, height);
            right -= width + 2 * Gap;
        } else
            layout.legendEntries.clear();
    }

    // Bottom block: tick labels (one or two lines) and the title.
    const int bottomLines = layout.bottom.dateTime ? 2 : 1;
    int bottomHeight = TickLength + 2 + bottomLines * labelMetrics.height();
    if (!chart.BottomAxis().Title().Caption().isEmpty())
        bottomHeight += Gap + axisTitleMetrics.height();
    // Half a label of room above the plot so that the top value label is not cut.
    const int plotTop = top + labelMetrics.height() / 2;
    int plotBottom = inner.bottom() - bottomHeight;
    const int roughHeight = std::max(1, plotBottom - plotTop);

    layout.left.ticks = AxisTicksFor(chart.LeftAxis(), layout.left, VerticalMaxTicks(labelMetrics, roughHeight));
    int leftWidth = AxisBlockWidth(chart.LeftAxis(), layout.left, labelMetrics, axisTitleMetrics);
    int rightWidth = labelMetrics.horizontalAdvance(QStringLiteral("00:00")) / 2 + Gap;
    if (layout.right.visible) {
        layout.right.ticks = AxisTicksFor(chart.RightAxis(), layout.right, VerticalMaxTicks(labelMetrics, roughHeight));
        rightWidth = AxisBlockWidth(chart.RightAxis(), layout.right, labelMetrics, axisTitleMetrics);
    }
    const int plotLeft = inner.left() + leftWidth;
    const int plotRight = right - 1 - rightWidth;
    layout.bottom.ticks = BottomTicks(chart.BottomAxis(), layout.bottom, labelMetrics, plotLeft, plotRight);

    // A date-time axis without any date line needs only one line of labels.
    const bool twoLines = std::any_of(layout.bottom.ticks.begin(), layout.bottom.ticks.end(),
        [](const AxisTick& t) { return !t.secondLine.isEmpty(); });
    if (bottomLines == 2 && !twoLines)
        plotBottom += labelMetrics.height();

    layout.plot = QRect(QPoint(plotLeft, plotTop), QPoint(plotRight, plotBottom));
    if (!layout.HasPlot()) {
        layout.plot = QRect();
        layout.bottom.ticks.clear();
        layout.left.ticks.clear();
        layout.right.ticks.clear();
        return layout;
    }
    PlaceTicks(layout.bottom.ticks, layout.bottom.scale, layout.PlotLeft(), layout.PlotRight());
    PlaceTicks(layout.left.ticks, layout.left.scale, layout.PlotBottom(), layout.PlotTop());
    PlaceTicks(layout.right.ticks, layout.right.scale, layout.PlotBottom(), layout.PlotTop());
    PlaceMinorLines(layout.bottom, layout.PlotLeft(), layout.PlotRight());
    PlaceMinorLines(layout.left, layout.PlotBottom(), layout.PlotTop());
    return layout;
}
