#pragma once

#include "ChartColor.h"
#include "TChartValueList.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class TChart;

enum class VerticalAxis { Left, Right };

// A list of (X, Y) points kept in ascending X order, with what the legend and the renderer
// need to show it. Created detached and owned by its creator; once attached the chart owns
// it and tells its viewers about changes (once per batch, never per point inside one).
class TChartSeries
{
public:
    TChartSeries() = default;
    virtual ~TChartSeries() = default;
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);
    // The explicit or automatically assigned colour; black while still unset.
    ChartColor SeriesColor() const { return color_.value_or(ChartColors::Black); }
    bool HasSeriesColor() const { return color_.has_value(); }
    void SetSeriesColor(ChartColor colour);
    bool ShowInLegend() const { return showInLegend_; }
    void SetShowInLegend(bool show);
    VerticalAxis VertAxis() const { return vertAxis_; }
    void SetVertAxis(VerticalAxis axis);

    TChartValueList XValues; // set XValues.DateTime for date-time X values
    TChartValueList YValues;

    // Batches: inside one, adding points tells nobody; the last EndUpdate refreshes once.
    // EndUpdate without a matching BeginUpdate does nothing.
    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }

    // Appends in constant time when x is not below the last X; otherwise inserts after the
    // last point whose X is <= x, so points of equal X stay in the order they were added.
    // A point whose X is not a number has no place in that order and is left out.
    void AddPoint(double x, double y);
    void AddXY(double x, double y) { AddPoint(x, y); }
    void ClearPoints();
    // Reserves room for n points, so that filling a long series allocates once.
    void ReservePoints(std::size_t n);
    // Replaces the points with xs and ys, taking over their storage: as adding each point
    // in turn would, for xs of equal length in ascending order without NaN and ys that
    // are all finite, whose smallest and largest the caller found as FiniteYRange would
    // (std::min and std::max from the first Y on, in order), so they are not read again.
    void AssignFinitePoints(ChartValues&& xs, ChartValues&& ys, double lowestY, double highestY);
    // The same with X values shared with other series (which must not change them).
    void AssignFinitePoints(std::shared_ptr<ChartValues> xs, ChartValues&& ys, double lowestY, double highestY);
    // Appends points after the last, as adding each in turn would, for xs not below the
    // last X, in ascending order, and finite ys whose smallest and largest, together with
    // the series' own, the caller found as FiniteYRange would.
    void AppendFinitePoints(std::span<const double> xs, std::span<const double> ys, double lowestY, double highestY);
    // The same for a series whose X values are shared and were lengthened already, by
    // whoever shares them, by as many points as ys holds (X and Y are of one length again
    // afterwards).
    void AppendFiniteYValues(std::span<const double> ys, double lowestY, double highestY);
    // Room for `more` Y values, so that appending them cannot fail.
    void ReserveYValues(std::size_t more);
    // Hands over the points' storage, emptied but with its room, so that another series
    // can be filled without allocating; the series is left without points. Shared X values
    // are handed over by the last series that holds them; the others hand over nothing.
    void TakePointStorage(ChartValues& xs, ChartValues& ys);

    std::size_t PointCount() const { return XValues.size(); }
    // Coordinates of the i-th point in X order; 0 for an index past the end.
    double XValueAt(std::size_t i) const { return i < XValues.size() ? XValues[i] : 0.0; }
    double YValueAt(std::size_t i) const { return i < YValues.size() ? YValues[i] : 0.0; }
    void SetYValueAt(std::size_t i, double y);
    // Largest and smallest Y of all points; both 0 for a series without points.
    double HighestY() const;
    double LowestY() const;
    double HighestX() const; // 0 for a series without points
    // The smallest and largest finite Y, kept up to date as points come and go so that
    // scaling an axis does not read every point; false when no Y is finite.
    bool FiniteYRange(double& lowest, double& highest) const;

    // Values beyond the points that an automatic vertical axis must still span (the ends
    // of error bars); positiveOnly leaves out values a logarithmic axis cannot show. False
    // when there are none, as for a plain line.
    virtual bool ExtraYRange(double& lowest, double& highest, bool positiveOnly) const;

    // Takes over the other series' settings and all its points; stays attached or
    // detached as it is, and an attached series keeps its colour if the other has none.
    void CopyFrom(const TChartSeries& other);

    TChart* ParentChart() const { return chart_; }

private:
    friend class TChart;
    void Changed();
    void AssignFiniteYValues(ChartValues&& ys, double lowestY, double highestY);

    QString title_;
    std::optional<ChartColor> color_;
    bool showInLegend_ = true;
    VerticalAxis vertAxis_ = VerticalAxis::Left;
    int updateDepth_ = 0;
    TChart* chart_ = nullptr;
    // Cache of FiniteYRange; recomputed on demand after a change it cannot follow.
    mutable bool yRangeKnown_ = true;
    mutable double finiteLowY_ = 0.0;
    mutable double finiteHighY_ = 0.0;
    mutable bool anyFiniteY_ = false;
};
