#pragma once

#include "ChartColor.h"
#include "TLineSeries.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// Fills one peer series while it is detached, so no point redraws anything, and keeps
// filling cheap whatever the order of the lines: points that arrive in time order are
// appended; from the first point that goes back in time the rest are gathered and
// ordered once at the end (equal times keep the order they came in, as adding them one
// by one would). Tracks the extremes of Y so the axis can be scaled before the points
// are handed over.
class PeerSeriesBuilder
{
public:
    PeerSeriesBuilder(ChartColor colour, const QString& title, std::size_t expectedPoints);

    void Add(double x, double y);

    std::size_t PointCount() const;
    // Largest and smallest Y added; 0 for a series without points.
    double HighestY() const;
    double LowestY() const;

    // The finished series with every Y multiplied by yFactor. The builder is spent.
    std::unique_ptr<TLineSeries> Finish(double yFactor);

private:
    std::unique_ptr<TLineSeries> NewSeries() const;

    ChartColor colour_;
    QString title_;
    std::unique_ptr<TLineSeries> series_;
    std::vector<std::pair<double, double>> gathered_; // in arrival order once unordered
    bool unordered_ = false;
    double lastX_ = 0;
    double highestY_ = 0;
    double lowestY_ = 0;
    std::size_t count_ = 0;
};
