#include "LegendEntries.h"

#include "TChart.h"
#include "ValueFormat.h"

namespace {
constexpr ChartColor TextColor = ChartColors::Black;

ChartColor EntryTextColor(const TChart& chart, const TChartSeries& series)
{
    return chart.Legend().FontSeriesColor() ? series.SeriesColor() : TextColor;
}
} // namespace

std::vector<LegendEntry> LegendEntries(const TChart& chart, std::size_t maxEntries)
{
    std::vector<LegendEntry> entries;
    if (!chart.Legend().Visible())
        return entries;
    if (chart.Legend().LegendStyle() == LegendStyle::Automatic && chart.SeriesCount() == 1) {
        const TChartSeries& series = chart.Series(0);
        if (!series.ShowInLegend())
            return entries;
        const TChartAxis& axis = series.VertAxis() == VerticalAxis::Left ? chart.LeftAxis() : chart.RightAxis();
        for (std::size_t i = 0; i < series.PointCount() && entries.size() < maxEntries; ++i)
            entries.push_back({ FormatAxisValue(series.YValueAt(i), axis.AxisValuesFormat()), series.SeriesColor(),
                EntryTextColor(chart, series) });
        return entries;
    }
    for (std::size_t i = 0; i < chart.SeriesCount() && entries.size() < maxEntries; ++i) {
        const TChartSeries& series = chart.Series(i);
        if (series.ShowInLegend())
            entries.push_back({ series.Title(), series.SeriesColor(), EntryTextColor(chart, series) });
    }
    return entries;
}
