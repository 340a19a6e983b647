#include "PeerSeriesBuilder.h"

#include <QtGlobal>

#include <cmath>
#include <numeric>

namespace {
// The values in the given order.
ChartValues Reordered(const ChartValues& values, const std::vector<std::size_t>& order)
{
    ChartValues reordered(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        reordered[i] = values[order[i]];
    return reordered;
}
} // namespace

PeerSeriesBuilder::PeerSeriesBuilder(
    ChartColor colour, const QString& title, std::size_t expectedPoints, PeerPointStorage storage, bool keepsTimes)
    : colour_(colour)
    , title_(title)
    , keepsTimes_(keepsTimes)
    , xs_(std::move(storage.xs))
    , ys_(std::move(storage.ys))
{
    xs_.clear();
    ys_.clear();
    if (keepsTimes_)
        xs_.reserve(expectedPoints);
    else
        xs_ = {};
    ys_.reserve(expectedPoints);
}

std::shared_ptr<const SharedPeerTimes> PeerSeriesBuilder::ShareTimes()
{
    auto times = std::make_shared<SharedPeerTimes>();
    if (unordered_) {
        // Ordered by time once; equal times keep their order of arrival.
        times->order.resize(xs_.size());
        std::iota(times->order.begin(), times->order.end(), std::size_t(0));
        std::stable_sort(
            times->order.begin(), times->order.end(), [this](std::size_t a, std::size_t b) { return xs_[a] < xs_[b]; });
        xs_ = Reordered(xs_, times->order);
    }
    times->xs = std::make_shared<ChartValues>(std::move(xs_));
    xs_ = {};
    times_ = times;
    return times;
}

std::unique_ptr<TLineSeries> PeerSeriesBuilder::Finish(double yFactor)
{
    Q_ASSERT(keepsTimes_ || times_); // a builder without times is given those of another
    if (!times_)
        ShareTimes();
    // The times stay shared unless a point is left out here.
    std::shared_ptr<ChartValues> shared = times_->xs;
    if (unordered_)
        ys_ = Reordered(ys_, times_->order);
    times_.reset();
    // Every Y added is finite. In arrival order, the extremes are those found as the
    // points came; otherwise they are found again in the final order, as the series
    // would find them.
    double lowest = lowestY_;
    double highest = highestY_;
    if (yFactor != 1.0 || unordered_) {
        // A value far off a µs axis can overflow once scaled: it could not be drawn anyway.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            const double drawn = ys_[i] * yFactor;
            if (std::isfinite(drawn)) {
                lowest = kept == 0 ? drawn : std::min(lowest, drawn);
                highest = kept == 0 ? drawn : std::max(highest, drawn);
                if (!shared)
                    xs_[kept] = xs_[i];
                ys_[kept] = drawn;
                ++kept;
            } else if (shared) {
                xs_ = *shared; // points up to here are in place
                shared.reset();
            }
        }
        if (!shared)
            xs_.resize(kept);
        ys_.resize(kept);
    }
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(colour_);
    series->XValues.DateTime = true;
    series->SetTitle(title_);
    if (shared)
        series->AssignFinitePoints(std::move(shared), std::move(ys_), lowest, highest);
    else
        series->AssignFinitePoints(std::move(xs_), std::move(ys_), lowest, highest);
    return series;
}
