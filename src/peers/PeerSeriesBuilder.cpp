#include "PeerSeriesBuilder.h"

#include "MappedColumn.h"

#include <cmath>
#include <numeric>

PeerSeriesBuilder::PeerSeriesBuilder(
    ChartColor colour, const QString& title, std::size_t expectedPoints, PeerPointStorage storage)
    : colour_(colour)
    , title_(title)
    , xs_(std::move(storage.xs))
    , ys_(std::move(storage.ys))
{
    xs_.clear();
    ys_.clear();
    const std::size_t fresh = xs_.capacity() < expectedPoints ? expectedPoints : 0;
    xs_.reserve(expectedPoints);
    ys_.reserve(expectedPoints);
    if (fresh > 0) {
        MappedMemory::AskForHugePages(xs_.data(), fresh * sizeof(double));
        MappedMemory::AskForHugePages(ys_.data(), fresh * sizeof(double));
    }
}

std::unique_ptr<TLineSeries> PeerSeriesBuilder::Finish(double yFactor)
{
    if (unordered_) {
        // Ordered by time once; equal times keep their order of arrival.
        std::vector<std::size_t> order(xs_.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) { return xs_[a] < xs_[b]; });
        std::vector<double> xs(xs_.size());
        std::vector<double> ys(ys_.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            xs[i] = xs_[order[i]];
            ys[i] = ys_[order[i]];
        }
        xs_.swap(xs);
        ys_.swap(ys);
    }
    // Every Y added is finite. In arrival order, the extremes are those found as the
    // points came; otherwise they are found again in the final order, as the series
    // would find them.
    double lowest = lowestY_;
    double highest = highestY_;
    if (yFactor != 1.0 || unordered_) {
        // A value far off a µs axis can overflow once scaled: it could not be drawn anyway.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < xs_.size(); ++i) {
            const double drawn = ys_[i] * yFactor;
            if (std::isfinite(drawn)) {
                lowest = kept == 0 ? drawn : std::min(lowest, drawn);
                highest = kept == 0 ? drawn : std::max(highest, drawn);
                xs_[kept] = xs_[i];
                ys_[kept] = drawn;
                ++kept;
            }
        }
        xs_.resize(kept);
        ys_.resize(kept);
    }
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(colour_);
    series->XValues.DateTime = true;
    series->SetTitle(title_);
    series->AssignFinitePoints(std::move(xs_), std::move(ys_), lowest, highest);
    return series;
}
