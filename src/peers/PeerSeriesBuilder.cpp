#include "PeerSeriesBuilder.h"

#include <algorithm>
#include <cmath>

PeerSeriesBuilder::PeerSeriesBuilder(ChartColor colour, const QString& title, std::size_t expectedPoints)
    : colour_(colour)
    , title_(title)
    , series_(NewSeries())
{
    series_->ReservePoints(expectedPoints);
}

std::unique_ptr<TLineSeries> PeerSeriesBuilder::NewSeries() const
{
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(colour_);
    series->XValues.DateTime = true;
    series->SetTitle(title_);
    return series;
}

void PeerSeriesBuilder::Add(double x, double y)
{
    if (count_ == 0) {
        highestY_ = lowestY_ = y;
    } else {
        highestY_ = std::max(highestY_, y);
        lowestY_ = std::min(lowestY_, y);
    }
    ++count_;

    if (!unordered_ && (series_->PointCount() == 0 || x >= lastX_)) {
        series_->AddPoint(x, y);
        lastX_ = x;
        return;
    }
    if (!unordered_) {
        // Going back in time: take over what is there and order everything at the end
        // instead of inserting each point into the middle of a long series.
        unordered_ = true;
        gathered_.reserve(series_->PointCount() + 1);
        for (std::size_t i = 0; i < series_->PointCount(); ++i)
            gathered_.emplace_back(series_->XValueAt(i), series_->YValueAt(i));
        series_->ClearPoints();
    }
    gathered_.emplace_back(x, y);
}

std::size_t PeerSeriesBuilder::PointCount() const
{
    return count_;
}

double PeerSeriesBuilder::HighestY() const
{
    return highestY_;
}

double PeerSeriesBuilder::LowestY() const
{
    return lowestY_;
}

std::unique_ptr<TLineSeries> PeerSeriesBuilder::Finish(double yFactor)
{
    if (!unordered_ && yFactor == 1.0)
        return std::move(series_);

    if (!unordered_) {
        gathered_.reserve(series_->PointCount());
        for (std::size_t i = 0; i < series_->PointCount(); ++i)
            gathered_.emplace_back(series_->XValueAt(i), series_->YValueAt(i));
    } else {
        std::stable_sort(
            gathered_.begin(), gathered_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    series_.reset();
    auto series = NewSeries();
    series->ReservePoints(gathered_.size());
    for (const auto& [x, y] : gathered_) {
        // A value far off a µs axis can overflow once scaled: it could not be drawn anyway.
        const double drawn = y * yFactor;
        if (std::isfinite(drawn))
            series->AddPoint(x, drawn);
    }
    gathered_.clear();
    gathered_.shrink_to_fit();
    return series;
}
