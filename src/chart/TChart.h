#pragma once

#include "ChartColor.h"
#include "TChartAxis.h"
#include "TChartLegend.h"
#include "TChartSeries.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

enum class MarginUnits { Percent, Pixels };

// One chart: a title, a legend, three axes and the series it owns, in attachment order.
// Viewers register a change observer and are told once per attachment, batch or property
// change; the model never draws by itself.
class TChart
{
public:
    using ChangeObserver = std::function<void()>;

    TChart();
    ~TChart();
    TChart(const TChart&) = delete;
    TChart& operator=(const TChart&) = delete;

    // Title lines; SetTitle splits its text at line feeds.
    QString Title() const;
    const std::vector<QString>& TitleLines() const { return title_; }
    void SetTitle(const QString& text);

    ChartColor Color() const { return color_; }
    void SetColor(ChartColor colour);
    ChartColor ZoomPenColor() const { return zoomPenColor_; }
    void SetZoomPenColor(ChartColor colour);
    // Silver; it only keeps the automatic series colour off silver.
    static constexpr ChartColor BackWallColor() { return ChartColors::Silver; }

    int MarginLeft() const { return marginLeft_; }
    int MarginTop() const { return marginTop_; }
    int MarginRight() const { return marginRight_; }
    int MarginBottom() const { return marginBottom_; }
    ::MarginUnits MarginUnits() const { return marginUnits_; }
    void SetMargins(int left, int top, int right, int bottom);
    void SetMarginUnits(::MarginUnits units);

    bool View3D() const { return view3D_; } // stored only; drawing is always flat
    void SetView3D(bool view3D);

    TChartLegend& Legend() { return legend_; }
    const TChartLegend& Legend() const { return legend_; }
    TChartAxis& LeftAxis() { return leftAxis_; }
    const TChartAxis& LeftAxis() const { return leftAxis_; }
    TChartAxis& RightAxis() { return rightAxis_; }
    const TChartAxis& RightAxis() const { return rightAxis_; }
    TChartAxis& BottomAxis() { return bottomAxis_; }
    const TChartAxis& BottomAxis() const { return bottomAxis_; }

    // The chart's current size in pixels (the viewing widget keeps it up to date); images
    // of the chart are rendered at this size.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);

    std::size_t SeriesCount() const { return series_.size(); }
    TChartSeries& Series(std::size_t i) { return *series_[i]; }
    const TChartSeries& Series(std::size_t i) const { return *series_[i]; }

    // Appends the series (a series already in the list stays where it is), takes
    // ownership, gives an unset colour the first free palette entry and repaints once.
    // Returns the attached series, or nullptr for a null pointer.
    TChartSeries* AttachSeries(std::unique_ptr<TChartSeries> series);
    // Destroys every series, last to first, and repaints once.
    void RemoveAllSeries();
    // Takes every series off the chart, in order, handing them over; repaints once.
    std::vector<std::unique_ptr<TChartSeries>> DetachAllSeries();

    // The largest X among the series drawn against the axis (the bottom axis: all
    // series; a vertical axis: the series on it); 0 when none has points.
    double HighestXOnAxis(const TChartAxis& axis) const;

    int AddChangeObserver(ChangeObserver observer);
    void RemoveChangeObserver(int id);
    // Tells every observer that the chart must be drawn again.
    void NotifyChanged();

private:
    ChartColor AutomaticSeriesColor() const;

    std::vector<QString> title_;
    ChartColor color_ = ChartColor::ButtonFace();
    ChartColor zoomPenColor_ = ChartColors::Black;
    int marginLeft_ = 3;
    int marginTop_ = 4;
    int marginRight_ = 3;
    int marginBottom_ = 4;
    ::MarginUnits marginUnits_ = ::MarginUnits::Percent;
    bool view3D_ = false;
    TChartLegend legend_;
    TChartAxis leftAxis_;
    TChartAxis rightAxis_;
    TChartAxis bottomAxis_;
    int width_ = 400;
    int height_ = 250;
    std::vector<std::unique_ptr<TChartSeries>> series_;
    std::vector<std::pair<int, ChangeObserver>> observers_;
    int nextObserverId_ = 1;
    bool notifying_ = false;
};

// The model's free-standing operations, as the rebuilds call them.
TChartSeries* AttachSeries(TChart& chart, std::unique_ptr<TChartSeries> series);
void RemoveAllSeries(TChart& chart);
double HighestXOnAxis(const TChart& chart, const TChartAxis& axis);

// Attaches a series of a derived kind and hands it back with its own type.
template <class S> S* AttachSeries(TChart& chart, std::unique_ptr<S> series)
{
    return static_cast<S*>(chart.AttachSeries(std::unique_ptr<TChartSeries>(std::move(series))));
}
