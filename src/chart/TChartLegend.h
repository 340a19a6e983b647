#pragma once

class TChart;

enum class LegendStyle { Automatic, Series };

// Whether and how a chart lists its series (or, for a lone series in the automatic
// style, its points).
class TChartLegend
{
public:
    TChartLegend() = default;
    TChartLegend(const TChartLegend&) = delete;
    TChartLegend& operator=(const TChartLegend&) = delete;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    ::LegendStyle LegendStyle() const { return style_; }
    void SetLegendStyle(::LegendStyle style);
    bool FontSeriesColor() const { return fontSeriesColor_; }
    void SetFontSeriesColor(bool seriesColour);

private:
    friend class TChart;
    void Changed();

    bool visible_ = true;
    ::LegendStyle style_ = ::LegendStyle::Automatic;
    bool fontSeriesColor_ = false;
    TChart* chart_ = nullptr;
};
