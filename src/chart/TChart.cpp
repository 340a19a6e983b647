#include "TChart.h"

#include "SeriesPalette.h"

#include <algorithm>

TChart::TChart()
    : leftAxis_(AxisPosition::Left)
    , rightAxis_(AxisPosition::Right)
    , bottomAxis_(AxisPosition::Bottom)
{
    legend_.chart_ = this;
    for (TChartAxis* axis : { &leftAxis_, &rightAxis_, &bottomAxis_ }) {
        axis->chart_ = this;
        axis->title_.chart_ = this;
    }
}

TChart::~TChart()
{
    // Observers belong to viewers that may outlive nothing here; do not call them while the
    // series go.
    observers_.clear();
    RemoveAllSeries();
}

QString TChart::Title() const
{
    QString text;
    for (std::size_t i = 0; i < title_.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += title_[i];
    }
    return text;
}

void TChart::SetTitle(const QString& text)
{
    title_.clear();
    if (!text.isEmpty())
        for (const QString& line : text.split(QLatin1Char('\n')))
            title_.push_back(line);
    NotifyChanged();
}

void TChart::SetColor(ChartColor colour)
{
    color_ = colour;
    NotifyChanged();
}

void TChart::SetZoomPenColor(ChartColor colour)
{
    zoomPenColor_ = colour;
    NotifyChanged();
}

void TChart::SetMargins(int left, int top, int right, int bottom)
{
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
    NotifyChanged();
}

void TChart::SetMarginUnits(::MarginUnits units)
{
    marginUnits_ = units;
    NotifyChanged();
}

void TChart::SetView3D(bool view3D)
{
    view3D_ = view3D;
}

void TChart::SetSize(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

ChartColor TChart::AutomaticSeriesColor() const
{
    for (const ChartColor& candidate : SeriesPalette) {
        if (candidate == color_ || candidate == BackWallColor())
            continue;
        const bool taken = std::any_of(series_.begin(), series_.end(),
            [&](const auto& s) { return s->HasSeriesColor() && s->SeriesColor() == candidate; });
        if (!taken)
            return candidate;
    }
    return SeriesPalette.back();
}

TChartSeries* TChart::AttachSeries(std::unique_ptr<TChartSeries> series)
{
    if (!series)
        return nullptr;
    TChartSeries* raw = series.get();
    if (raw->chart_ == this) {
        // Already ours: the list keeps its owner; dropping this second owner must not
        // destroy it.
        (void)series.release();
        return raw;
    }
    if (raw->chart_ != nullptr) {
        // Owned by another chart: taking it would leave two owners. Refuse.
        (void)series.release();
        return nullptr;
    }
    if (!raw->HasSeriesColor())
        raw->color_ = AutomaticSeriesColor();
    raw->chart_ = this;
    series_.push_back(std::move(series));
    NotifyChanged();
    return raw;
}

void TChart::RemoveAllSeries()
{
    if (series_.empty())
        return;
    while (!series_.empty()) {
        series_.back()->chart_ = nullptr;
        series_.pop_back();
    }
    NotifyChanged();
}

std::vector<std::unique_ptr<TChartSeries>> TChart::DetachAllSeries()
{
    std::vector<std::unique_ptr<TChartSeries>> detached = std::move(series_);
    series_.clear();
    for (const auto& series : detached)
        series->chart_ = nullptr;
    if (!detached.empty())
        NotifyChanged();
    return detached;
}

double TChart::HighestXOnAxis(const TChartAxis& axis) const
{
    double highest = 0.0;
    bool any = false;
    for (const auto& s : series_) {
        if (s->PointCount() == 0)
            continue;
        const bool onAxis = axis.Position() == AxisPosition::Bottom
            || (axis.Position() == AxisPosition::Left) == (s->VertAxis() == VerticalAxis::Left);
        if (!onAxis)
            continue;
        const double x = s->HighestX();
        if (!any || x > highest)
            highest = x;
        any = true;
    }
    return highest;
}

int TChart::AddChangeObserver(ChangeObserver observer)
{
    const int id = nextObserverId_++;
    observers_.emplace_back(id, std::move(observer));
    return id;
}

void TChart::RemoveChangeObserver(int id)
{
    if (id == 0)
        return;
    if (notifying_) {
        // The observer may be the one running: keep it alive and drop it afterwards.
        for (auto& entry : observers_)
            if (entry.first == id)
                entry.first = 0;
        return;
    }
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void TChart::NotifyChanged()
{
    // By index, so that an observer may add another while being told; no copy, since this
    // runs for every point added to an attached series outside a batch.
    if (notifying_)
        return; // an observer that changes the chart is already being told
    notifying_ = true;
    for (std::size_t i = 0; i < observers_.size(); ++i)
        if (observers_[i].first != 0 && observers_[i].second)
            observers_[i].second();
    notifying_ = false;
    std::erase_if(observers_, [](const auto& entry) { return entry.first == 0; });
}

TChartSeries* AttachSeries(TChart& chart, std::unique_ptr<TChartSeries> series)
{
    return chart.AttachSeries(std::move(series));
}

void RemoveAllSeries(TChart& chart)
{
    chart.RemoveAllSeries();
}

double HighestXOnAxis(const TChart& chart, const TChartAxis& axis)
{
    return chart.HighestXOnAxis(axis);
}
