#include "ChartRenderer.h"
#include "PolylineColumns.h"
#include "PolylineDecimator.h"
#include "TChart.h"
#include "TLineSeries.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
constexpr double FirstDay = 46352.0;

// A clock offset at time t (days): a slow wander, a daily swing and a few µs of sample
// noise, the same shape however densely it is sampled.
double Offset(double t, int i)
{
    const double noise = double((unsigned(i) * 2654435761u) >> 22) / 1024.0 * 6.0 - 3.0;
    return 40.0 * std::sin(t * 4.8) + 12.0 * std::sin(t * 6.283) + noise;
}

// An offset chart as the loop rebuild fills it: one series of n samples over a week,
// date-time X, automatic axes, titles on every axis.
void FillChart(TChart& chart, int n)
{
    chart.SetTitle(QStringLiteral("Offset versus date"));
    chart.SetMarginUnits(MarginUnits::Pixels);
    chart.SetMargins(3, 3, 3, 3);
    chart.BottomAxis().SetDateTimeFormat(QStringLiteral("hh:nn"));
    chart.BottomAxis().Title().SetCaption(QStringLiteral("2026-Nov-26 00:00 to 2026-Dec-03 00:00 UTC"));
    chart.LeftAxis().Title().SetCaption(QStringLiteral("Offset - µs"));
    chart.LeftAxis().SetAxisValuesFormat(QStringLiteral("#.###"));
    auto series = std::make_unique<TLineSeries>();
    series->XValues.DateTime = true;
    series->SetShowInLegend(false);
    for (int i = 0; i < n; ++i) {
        const double t = i * (7.0 / n);
        series->AddPoint(FirstDay + t, Offset(t, i));
    }
    AttachSeries(chart, std::move(series));
}

void DrawSeriesOfPoints(benchmark::State& state)
{
    TChart chart;
    FillChart(chart, int(state.range(0)));
    QImage image(1000, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        DrawTo(chart, painter, image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(DrawSeriesOfPoints)->Arg(2000)->Arg(57601)->Unit(benchmark::kMillisecond);

void ThinLine(benchmark::State& state)
{
    std::vector<QPointF> line;
    for (int i = 0; i < 57601; ++i)
        line.emplace_back(60 + i * (900.0 / 57601), 250 + Offset(i * 7.0 / 57601, i));
    for (auto _ : state) {
        PolylineDecimator decimator;
        for (const QPointF& p : line)
            decimator.Add(p);
        benchmark::DoNotOptimize(decimator.Take());
    }
}
BENCHMARK(ThinLine)->Unit(benchmark::kMicrosecond);

// A week of a distant peer's dispersion: about 1,200 points, too few to be drawn as a
// dense line, each jumping across most of the plot. A smooth, wide line is drawn column
// by column, here on every core (wall time is what a window's redraw waits for).
void DrawJumpingSparseLine(benchmark::State& state)
{
    std::vector<QPointF> line;
    for (int i = 0; i < 1200; ++i)
        line.emplace_back(60 + i * (900.0 / 1200), 40 + double(((unsigned(i) * 2654435761u) >> 13) % 400));
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::blue, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawPolylineInColumns(painter, line.data(), line.size(), image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(DrawJumpingSparseLine)->Unit(benchmark::kMillisecond)->UseRealTime();

void AddPointsInXOrder(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::vector<double> xs(std::size_t(n), 0.0);
    std::vector<double> ys(std::size_t(n), 0.0);
    for (int i = 0; i < n; ++i) {
        xs[std::size_t(i)] = FirstDay + i / 8640.0;
        ys[std::size_t(i)] = Offset(i / 8640.0, i);
    }
    const bool reserve = state.range(1) != 0;
    for (auto _ : state) {
        TLineSeries series;
        if (reserve)
            series.ReservePoints(xs.size());
        series.BeginUpdate();
        for (std::size_t i = 0; i < xs.size(); ++i)
            series.AddPoint(xs[i], ys[i]);
        series.EndUpdate();
        benchmark::DoNotOptimize(series.PointCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
// Second argument 1: the series reserves room first, as a rebuild that knows its count can.
BENCHMARK(AddPointsInXOrder)->ArgsProduct({ { 3600, 14400, 57601, 230404 }, { 0, 1 } })->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    // Fonts and text measurement need an application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
