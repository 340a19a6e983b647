#include "ChartRenderer.h"
#include "SampleCharts.h"
#include "TChart.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

// Not a check: writes sample images to look at after a change to the renderer.
// Run with --gtest_also_run_disabled_tests.
TEST(ChartSamples, DISABLED_WriteSamplePngs)
{
    const QString directory = QStringLiteral("/tmp/chart-samples");
    QDir().mkpath(directory);
    const std::pair<const char*, std::function<void(TChart&)>> samples[] = {
        { "histogram-linear", SampleCharts::MakeHistogram },
        { "offsets-hour", SampleCharts::MakeHourOfOffsets },
        { "offsets-week", SampleCharts::MakeWeekOfOffsets },
        { "poll-logarithmic", SampleCharts::MakePollIntervals },
        { "jitter-two-axes", SampleCharts::MakeJitter },
        { "offset-time-of-day", SampleCharts::MakeOffsetVsTimeOfDay },
        { "peer-delay-without-peers",
            [](TChart& c) {
                ConfigureChart(c, ChartId::PeerstatsDelay);
                RemoveAllSeries(c);
                SetRange(c.LeftAxis(), -1.02e20, 0);
            } },
    };
    for (const auto& [name, make] : samples) {
        TChart chart;
        make(chart);
        QImage image(1000, 500, QImage::Format_RGB32);
        QPainter painter(&image);
        DrawTo(chart, painter, image.rect());
        painter.end();
        EXPECT_TRUE(image.save(directory + QStringLiteral("/%1.png").arg(QLatin1String(name))));
    }

    // Three hours around midnight of the week, as the view shows a zoom.
    TChart week;
    SampleCharts::MakeWeekOfOffsets(week);
    ChartViewRange zoom;
    zoom.xMinimum = SampleCharts::DayOf20261203 - 2 - 1.5 / 24;
    zoom.xMaximum = SampleCharts::DayOf20261203 - 2 + 1.5 / 24;
    zoom.leftMinimum = -20;
    zoom.leftMaximum = 0;
    QImage image(1000, 500, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawTo(week, painter, image.rect(), zoom);
    painter.end();
    EXPECT_TRUE(image.save(directory + QStringLiteral("/offsets-week-zoomed.png")));

    // The histogram window's size, and a cramped chart.
    TChart histogram;
    SampleCharts::MakeHistogram(histogram);
    QImage small(535, 341, QImage::Format_RGB32);
    QPainter smallPainter(&small);
    DrawTo(histogram, smallPainter, small.rect());
    DrawTo(week, smallPainter, QRect(300, 200, 235, 141));
    smallPainter.end();
    EXPECT_TRUE(small.save(directory + QStringLiteral("/histogram-window-and-cramped.png")));
}
