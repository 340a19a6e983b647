#pragma once

#include "ChartColor.h"
#include "TLineSeries.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

// The storage of a series' points, X and Y, kept from one rebuild for the next so that
// filling the series again does not have to fetch fresh memory.
struct PeerPointStorage
{
    std::vector<double> xs;
    std::vector<double> ys;
};

// Fills one peer series off the chart, so no point redraws anything, and keeps filling
// cheap whatever the order of the records: points are appended; when one goes back in
// time, all are ordered once at the end (equal times keep the order they came in, as
// adding them one by one would). Tracks the extremes of Y so the axis can be scaled
// before the points are handed over.
class PeerSeriesBuilder
{
public:
    // Fills storage (emptied first) when given, with room for expectedPoints.
    PeerSeriesBuilder(
        ChartColor colour, const QString& title, std::size_t expectedPoints, PeerPointStorage storage = {});

    // y must be finite.
    void Add(double x, double y)
    {
        if (xs_.empty()) {
            highestY_ = lowestY_ = y;
        } else {
            highestY_ = std::max(highestY_, y);
            lowestY_ = std::min(lowestY_, y);
            if (x < xs_.back())
                unordered_ = true;
        }
        xs_.push_back(x);
        ys_.push_back(y);
    }

    std::size_t PointCount() const { return xs_.size(); }
    // Largest and smallest Y added; 0 for a series without points.
    double HighestY() const { return highestY_; }
    double LowestY() const { return lowestY_; }

    // The finished series with every Y multiplied by yFactor; a point whose Y is no longer
    // finite then is left out. The builder is spent.
    std::unique_ptr<TLineSeries> Finish(double yFactor);

private:
    ChartColor colour_;
    QString title_;
    std::vector<double> xs_; // in arrival order
    std::vector<double> ys_;
    bool unordered_ = false;
    double highestY_ = 0;
    double lowestY_ = 0;
};
