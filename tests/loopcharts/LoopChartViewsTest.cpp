#include "LoopStoreBuilder.h"

#include "TChartView.h"

#include <QImage>
#include <QLocale>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <array>

namespace {

int RedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // Lines are antialiased: count every clearly red pixel.
            const QRgb p = image.pixel(x, y);
            count += qRed(p) - qGreen(p) > 80 && qRed(p) - qBlue(p) > 80;
        }
    return count;
}

// The seven views of the loop page show what a rebuild attached to their charts.
TEST(LoopChartViews, RebuildIsShownOnTheViewsOfTheLoopPage)
{
    QLocale::setDefault(QLocale::c());
    std::array<TChart, 7> charts;
    std::vector<std::unique_ptr<TChartView>> views;
    const ChartId ids[] = { ChartId::Offsets, ChartId::OffsetVsTOD, ChartId::AbsFrequency, ChartId::Frequency,
        ChartId::FreqVsTOD, ChartId::Jitter, ChartId::LoopstatsPollInterval };
    for (std::size_t i = 0; i < charts.size(); ++i) {
        ConfigureChart(charts[i], ids[i]);
        views.push_back(std::make_unique<TChartView>(&charts[i]));
        views[i]->resize(600, 300);
    }
    const LoopChartSet set { &views[0]->Chart(), &views[1]->Chart(), &charts[2], &charts[3], &charts[4], &charts[5],
        &charts[6] };

    const QImage before = views[0]->grab().toImage();
    EXPECT_EQ(RedPixels(before), 0);

    LoopStoreBuilder data;
    for (int i = 0; i < 200; ++i)
        data.Add(MinutesAfter(April19, 480 + 3 * i), 0.02 * ((i % 9) - 4), 10 + 0.01 * (i % 5));
    LoopRebuildInputs inputs;
    inputs.Store = &data.store;
    inputs.LatestTime = data.store.LoopTimes[0].back();
    const LoopRebuildResults results = BuildLoopCharts(inputs, set);
    ASSERT_TRUE(results.Plotted);

    // The offset and the frequency series take the first automatic colour, red, and the
    // views draw them (nothing else on those charts is red).
    EXPECT_GT(RedPixels(views[0]->grab().toImage()), 300);
    EXPECT_GT(RedPixels(views[2]->grab().toImage()), 300);
    EXPECT_EQ(views[0]->Chart().Series(0).Title(), "loopstats");
    EXPECT_EQ(views[5]->Chart().Series(1).Title(), "loopstats avg.");
}

} // namespace
