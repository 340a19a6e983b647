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
    ChartValues xs;
    ChartValues ys;
};

// The times of a peer's points when every chart shows the peer at the same records: one
// copy for all its series, in ascending order.
struct SharedPeerTimes
{
    std::shared_ptr<ChartValues> xs;
    // For the k-th point in time order, the place it came in; empty when they came in order.
    std::vector<std::size_t> order;
};

// Fills one peer series off the chart, so no point redraws anything, and keeps filling
// cheap whatever the order of the records: points are appended; when one goes back in
// time, all are ordered once at the end (equal times keep the order they came in, as
// adding them one by one would). Tracks the extremes of Y so the axis can be scaled
// before the points are handed over.
//
// A builder that does not keep times takes them from another builder of the same points
// (UseTimes) before it finishes.
class PeerSeriesBuilder
{
public:
    // Fills storage (emptied first) when given, with room for expectedPoints.
    PeerSeriesBuilder(ChartColor colour, const QString& title, std::size_t expectedPoints,
        PeerPointStorage storage = {}, bool keepsTimes = true);

    // y must be finite.
    void Add(double x, double y)
    {
        if (ys_.empty()) {
            highestY_ = lowestY_ = y;
        } else {
            highestY_ = std::max(highestY_, y);
            lowestY_ = std::min(lowestY_, y);
            if (x < lastX_)
                unordered_ = true;
        }
        lastX_ = x;
        if (keepsTimes_)
            xs_.push_back(x);
        ys_.push_back(y);
    }

    std::size_t PointCount() const { return ys_.size(); }
    // Largest and smallest Y added; 0 for a series without points.
    double HighestY() const { return highestY_; }
    double LowestY() const { return lowestY_; }
    // The X of the last point added, and whether any came before an earlier one.
    double LastX() const { return lastX_; }
    bool Unordered() const { return unordered_; }

    // The times kept, ordered, for every builder of the same points to finish with (this
    // one included).
    std::shared_ptr<const SharedPeerTimes> ShareTimes();
    void UseTimes(std::shared_ptr<const SharedPeerTimes> times) { times_ = std::move(times); }

    // The finished series with every Y multiplied by yFactor; a point whose Y is no longer
    // finite then is left out (and the series gets times of its own). The builder is spent.
    std::unique_ptr<TLineSeries> Finish(double yFactor);

private:
    ChartColor colour_;
    QString title_;
    bool keepsTimes_;
    ChartValues xs_; // in arrival order
    ChartValues ys_;
    std::shared_ptr<const SharedPeerTimes> times_;
    double lastX_ = 0;
    bool unordered_ = false;
    double highestY_ = 0;
    double lowestY_ = 0;
};
