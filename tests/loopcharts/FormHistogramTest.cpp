#include "PopupMenuShowHisto.h"
#include "TFormHistogram.h"

#include "TChart.h"
#include "TChartView.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TLineSeries> Offsets(std::initializer_list<double> ys)
{
    auto series = std::make_unique<TLineSeries>();
    double x = 43940;
    for (double y : ys)
        series->AddPoint(x += 0.01, y);
    return series;
}

QStringList ActionTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

TEST(FormHistogram, ContextMenuOfTheOffsetChartOpensTheHistogramModally)
{
    QLocale::setDefault(QLocale::c());
    TChart offsets;
    TChartView offsetsView(&offsets);
    OffsetHistogramModel model;
    TFormHistogram histogram(model);
    QMenu* menu = CreatePopupMenuShowHisto(histogram, &offsetsView);
    offsetsView.SetContextMenu(menu);
    EXPECT_EQ(menu->parent(), &offsetsView);
    EXPECT_EQ(ActionTexts(*menu), (QStringList { "Offset histogram", "-", "Change scale", "Restore auto-scale" }));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[2]->isEnabled());
    EXPECT_FALSE(menu->actions()[3]->isEnabled());

    model.TakeOffsets(Offsets({ -500, -100, 0, 0, 100, 500, 500 }), 500);

    bool wasModal = false;
    QString title;
    QString bottom;
    std::size_t points = 0;
    QTimer::singleShot(0, [&] {
        wasModal = QApplication::activeModalWidget() == &histogram;
        title = histogram.ChartHisto().Title();
        bottom = histogram.ChartHisto().BottomAxis().Title().Caption();
        points = histogram.ChartHisto().Series(0).PointCount();
        histogram.reject();
    });
    menu->actions()[0]->trigger();

    EXPECT_TRUE(wasModal);
    EXPECT_EQ(histogram.windowTitle(), "Tallimer - Histogram of offsets");
    EXPECT_EQ(title, "Count versus microseconds offset");
    EXPECT_EQ(bottom, "Mean: 71.4 \u00b5s,  standard deviation: 349.8 \u00b5s");
    EXPECT_EQ(points, 5u); // bins -35, -7, 0, 7, 35
    const TChartSeries& line = histogram.ChartHisto().Series(0);
    EXPECT_EQ(line.SeriesColor(), ChartColors::Red);
    EXPECT_DOUBLE_EQ(line.XValueAt(0), -500);
    EXPECT_EQ(line.YValueAt(4), 2);
}

TEST(FormHistogram, ShowingBeforeAnyRebuildOrAfterAnEmptyOneShowsNothing)
{
    OffsetHistogramModel model;
    TFormHistogram histogram(model);
    histogram.show();
    EXPECT_EQ(histogram.ChartHisto().Title(), "Nothing to show: no offsets plotted");
    EXPECT_EQ(histogram.ChartHisto().Series(0).PointCount(), 0u);
    histogram.hide();

    model.TakeOffsets(Offsets({ 1, 2, 3 }), 500);
    histogram.show();
    EXPECT_EQ(histogram.ChartHisto().Series(0).PointCount(), 3u);
    histogram.hide();

    model.TakeOffsets(nullptr, 500);
    histogram.show();
    EXPECT_EQ(histogram.ChartHisto().Series(0).PointCount(), 0u);
    histogram.hide();
}

TEST(FormHistogram, MenuOutlivingTheHistogramDoesNothing)
{
    TChart offsets;
    TChartView offsetsView(&offsets);
    OffsetHistogramModel model;
    auto histogram = std::make_unique<TFormHistogram>(model);
    QMenu* menu = CreatePopupMenuShowHisto(*histogram, &offsetsView);
    histogram.reset();
    menu->actions()[0]->trigger(); // must neither crash nor block
    SUCCEED();
}

} // namespace
