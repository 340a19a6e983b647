#include "ChartConfiguration.h"
#include "ChartLayout.h"
#include "ChartRenderer.h"
#include "NearestPoint.h"
#include "SampleCharts.h"
#include "TChart.h"
#include "TErrorBarSeries.h"
#include "TLineSeries.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {
constexpr QRgb Red = qRgb(255, 0, 0);
const QRect Frame(0, 0, 600, 400);

QImage Render(const TChart& chart, const QRect& rect = Frame)
{
    QImage image(std::max(1, rect.width()), std::max(1, rect.height()), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawTo(chart, painter, rect);
    return image;
}

TLineSeries* AddLine(
    TChart& chart, std::initializer_list<std::pair<double, double>> points, ChartColor colour = ChartColors::Red)
{
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(colour);
    for (const auto& [x, y] : points)
        series->AddPoint(x, y);
    return AttachSeries(chart, std::move(series));
}

// A chart with fixed ranges, so that values land on known pixels.
void MakeManual(TChart& chart)
{
    chart.SetTitle(QStringLiteral("Manual"));
    chart.SetColor(ChartColors::White);
    SetRange(chart.LeftAxis(), 0, 100);
    SetRange(chart.BottomAxis(), 0, 10);
}

// Red, or the red of a smoothed line's edge.
bool IsReddish(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 120 && qBlue(pixel) < 120;
}

int CountReddishOutside(const QImage& image, const QRect& inside)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && IsReddish(image.pixel(x, y)))
                ++count;
    return count;
}
} // namespace

TEST(ChartRender, FillsTheBackgroundWithTheChartColour)
{
    TChart white;
    white.SetColor(ChartColors::White);
    EXPECT_EQ(Render(white).pixel(1, 1), qRgb(255, 255, 255));

    TChart buttonFace;
    EXPECT_EQ(Render(buttonFace).pixel(1, 1), QApplication::palette().color(QPalette::Window).rgb());
}

TEST(ChartRender, DrawsValuesWhereTheAxesPutThemAndNothingOutsideThePlot)
{
    TChart chart;
    MakeManual(chart);
    AddLine(chart, { { -5, 50 }, { 2, 50 }, { 5, 50 }, { 6, 1000 }, { 7, -500 }, { 8, 50 }, { 20, 50 } })
        ->SetShowInLegend(false);
    const QImage image = Render(chart);
    const ChartLayout layout = LayoutChart(chart, Frame);
    ASSERT_TRUE(layout.HasPlot());

    const int y = int(std::lround(layout.YToPixel(layout.left.scale, 50)));
    const int x = int(std::lround(layout.XToPixel(3.5)));
    EXPECT_TRUE(IsReddish(image.pixel(x, y)));
    EXPECT_FALSE(IsReddish(image.pixel(x, y - 4)));
    EXPECT_FALSE(IsReddish(image.pixel(x, y + 4)));
    // Lines run to the frame on both sides ...
    EXPECT_TRUE(IsReddish(image.pixel(layout.plot.left() + 1, y)));
    EXPECT_TRUE(IsReddish(image.pixel(layout.plot.right() - 1, y)));
    // ... and the excursions beyond the axis ends are cut at the plot's edges.
    EXPECT_EQ(CountReddishOutside(image, layout.plot.adjusted(0, 0, 1, 1)), 0);
}

TEST(ChartRender, ShowsTheRightAxisOnlyWhenASeriesUsesIt)
{
    TChart chart;
    EXPECT_TRUE(LayoutChart(chart, Frame).right.visible); // no series: every axis
    TLineSeries* series = AddLine(chart, { { 0, 1 }, { 1, 2 } });
    const ChartLayout leftOnly = LayoutChart(chart, Frame);
    EXPECT_FALSE(leftOnly.right.visible);
    series->SetVertAxis(VerticalAxis::Right);
    const ChartLayout withRight = LayoutChart(chart, Frame);
    EXPECT_TRUE(withRight.right.visible);
    EXPECT_LT(withRight.plot.right(), leftOnly.plot.right());
}

TEST(ChartRender, AnEmptyLegendDrawsNothing)
{
    TChart listed;
    MakeManual(listed);
    AddLine(listed, { { 1, 1 }, { 2, 2 } })->SetShowInLegend(false); // lone series, not shown
    TChart hidden;
    MakeManual(hidden);
    AddLine(hidden, { { 1, 1 }, { 2, 2 } });
    hidden.Legend().SetVisible(false);
    EXPECT_EQ(Render(listed), Render(hidden));

    AddLine(listed, { { 1, 3 }, { 2, 4 } }, ChartColors::Black)->SetTitle(QStringLiteral("RMS"));
    EXPECT_FALSE(LayoutChart(listed, Frame).legend.isNull());
    EXPECT_NE(Render(listed), Render(hidden));
}

TEST(ChartRender, ThinnedLongSeriesCoversTheSamePixelsPerColumnAsEveryPoint)
{
    TChart chart;
    SampleCharts::FillOffsets(chart, 57601, SampleCharts::DayOf20261203, 10.5);
    RemoveAllSeries(chart);
    const ChartColor colour = ChartColors::Red;
    auto series = std::make_unique<TLineSeries>();
    series->SetSeriesColor(colour);
    for (int i = 0; i < 57601; ++i)
        series->AddPoint(i, 60 * std::sin(i * 0.01) + 30 * std::sin(i * 2.3));
    TLineSeries* dense = AttachSeries(chart, std::move(series));
    SetRange(chart.BottomAxis(), 0, 57600);
    SetRange(chart.LeftAxis(), -100, 100);
    const QImage thinned = Render(chart);

    // The same chart with every point drawn as it is.
    const ChartLayout layout = LayoutChart(chart, Frame);
    std::vector<QPointF> all;
    for (std::size_t i = 0; i < dense->PointCount(); ++i)
        all.emplace_back(layout.XToPixel(dense->XValueAt(i)), layout.YToPixel(layout.left.scale, dense->YValueAt(i)));
    dense->SetSeriesColor(ChartColors::Black);
    dense->SetShowInLegend(false);
    QImage full = thinned;
    {
        QPainter painter(&full);
        painter.fillRect(layout.plot.adjusted(1, 1, -1, -1), chart.Color().ToQColor());
        painter.setClipRect(layout.plot.adjusted(1, 1, -1, -1));
        painter.setPen(QPen(QColor(Red), 1.0));
        painter.drawPolyline(all.data(), int(all.size()));
    }
    int columns = 0;
    int differing = 0;
    for (int x = layout.plot.left() + 2; x < layout.plot.right() - 1; ++x) {
        int top[2] = { -1, -1 }, bottom[2] = { -1, -1 };
        const QImage* images[2] = { &thinned, &full };
        for (int k = 0; k < 2; ++k)
            for (int y = layout.plot.top() + 1; y < layout.plot.bottom(); ++y)
                if (images[k]->pixel(x, y) == Red) {
                    if (top[k] < 0)
                        top[k] = y;
                    bottom[k] = y;
                }
        // The rasteriser rounds segment ends a little differently, never by more than a
        // couple of pixels and only in a few columns.
        EXPECT_NEAR(top[0], top[1], 2) << "column " << x;
        EXPECT_NEAR(bottom[0], bottom[1], 2) << "column " << x;
        columns += 1;
        differing += top[0] != top[1] || bottom[0] != bottom[1];
    }
    EXPECT_LE(differing * 10, columns);
}

TEST(ChartRender, BadValuesAndSizesGiveAPictureNotACrash)
{
    const std::pair<const char*, std::function<void(TChart&)>> cases[] = {
        { "not finite points",
            [](TChart& c) {
                AddLine(c,
                    { { 1, std::nan("") }, { 2, 3 }, { std::numeric_limits<double>::infinity(), 4 }, { 3, -INFINITY },
                        { 4, 5 } });
            } },
        { "no series, huge manual range", [](TChart& c) { SetRange(c.LeftAxis(), -1.02e20, 1e20); } },
        { "equal huge ends",
            [](TChart& c) {
                SetRange(c.LeftAxis(), 1e20, 1e20);
                AddLine(c, { { 0, 1e20 }, { 1, 1e20 } });
            } },
        { "logarithmic from zero",
            [](TChart& c) {
                c.LeftAxis().SetLogarithmic(true);
                SetRange(c.LeftAxis(), 0, 4096);
                AddLine(c, { { 0, -1 }, { 1, 0 }, { 2, 64 } });
            } },
        { "automatic logarithmic, no positive values",
            [](TChart& c) {
                c.LeftAxis().SetLogarithmic(true);
                AddLine(c, { { 0, -1 }, { 1, 0 } });
            } },
        { "one point",
            [](TChart& c) {
                AddLine(c, { { 46359.5, 7 } })->XValues.DateTime = true;
            } },
        { "dates out of range",
            [](TChart& c) {
                AddLine(c, { { -1e9, 1 }, { 1e12, 2 } })->XValues.DateTime = true;
            } },
        { "long texts",
            [](TChart& c) {
                c.SetTitle(QString(500, QLatin1Char('T')) + QStringLiteral("\n\n") + QString(3, QLatin1Char('x')));
                c.LeftAxis().Title().SetCaption(QString(400, QLatin1Char('L')));
                for (int i = 0; i < 300; ++i)
                    AddLine(c, { { 0, double(i) } }, ChartColors::Black)->SetTitle(QString(200, QLatin1Char('s')));
            } },
        { "points in the legend",
            [](TChart& c) {
                auto series = std::make_unique<TLineSeries>();
                for (int i = 0; i < 100000; ++i)
                    series->AddPoint(i, i);
                AttachSeries(c, std::move(series));
            } },
    };
    for (const auto& [name, make] : cases) {
        TChart chart;
        make(chart);
        for (const QRect rect : { Frame, QRect(0, 0, 30, 20), QRect(0, 0, 1, 1), QRect(10, 10, 0, 0) }) {
            const QImage image = Render(chart, rect);
            EXPECT_FALSE(image.isNull()) << name;
        }
    }
}

TEST(RenderErrorBars, StabilityChartDrawsBarsDotsDecadeLabelsAndSaysWhatAPointIs)
{
    TChart chart;
    ConfigureChart(chart, ChartId::Stability);
    chart.SetColor(ChartColors::White);
    auto series = std::make_unique<TErrorBarSeries>();
    series->SetTitle(QStringLiteral("Loop ADEV"));
    series->SetSeriesColor(ChartColors::Red);
    series->SetValueNames(QStringLiteral("τ"), QStringLiteral("s"), QStringLiteral("σ"), QString());
    series->AddBar(64, 1e-8, 5e-9, 1.5e-8, 12);
    series->AddBar(128, 4e-8, 2e-8, 6e-8, 4);
    AttachSeries(chart, std::move(series));

    const ChartLayout layout = LayoutChart(chart, Frame);
    ASSERT_TRUE(layout.HasPlot());
    // Decades only, labelled with a power of ten on the value axis and plainly on τ.
    QStringList left;
    for (const AxisTick& tick : layout.left.ticks)
        left << tick.label;
    EXPECT_EQ(left, QStringList({ "1e-9", "1e-8", "1e-7" }));
    QStringList bottom;
    for (const AxisTick& tick : layout.bottom.ticks)
        bottom << tick.label;
    EXPECT_EQ(bottom, QStringList({ "10", "100", "1000" }));
    EXPECT_FALSE(layout.left.minorPixels.empty());

    const QImage image = Render(chart);
    const int x = int(std::lround(layout.XToPixel(64)));
    const double point = layout.YToPixel(layout.left.scale, 1e-8);
    const double low = layout.YToPixel(layout.left.scale, 5e-9);
    const double high = layout.YToPixel(layout.left.scale, 1.5e-8);
    // The bar runs from its low to its high end, beyond the dot in both directions.
    EXPECT_TRUE(IsReddish(image.pixel(x, int(std::lround((point + low) / 2)))));
    EXPECT_TRUE(IsReddish(image.pixel(x, int(std::lround((point + high) / 2)))));
    EXPECT_FALSE(IsReddish(image.pixel(x, int(std::lround(low)) + 6)));
    // Its caps.
    EXPECT_TRUE(IsReddish(image.pixel(x + 2, int(std::lround(low)))));

    const std::optional<NearestPoint> nearest = FindNearestPoint(chart, layout, QPointF(x, point), 5);
    ASSERT_TRUE(nearest.has_value());
    EXPECT_EQ(PointDescription(chart, *nearest), QStringLiteral("Loop ADEV\nτ = 64 s\nσ = 1e-8\nn = 12"));
}
