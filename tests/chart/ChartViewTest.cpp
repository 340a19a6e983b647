#include "ChartLayout.h"
#include "TChartView.h"
#include "TLineSeries.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
constexpr double Day = 46359.0; // 2026-12-03

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

class ChartViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        view.resize(640, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    TLineSeries* AddHourOfPoints()
    {
        auto series = std::make_unique<TLineSeries>();
        series->SetTitle(QStringLiteral("loopstats"));
        series->XValues.DateTime = true;
        for (int i = 0; i <= 60; ++i)
            series->AddPoint(Day + (14 * 60 + 15 + i) / 1440.0, i * 0.5);
        return AttachSeries(view.Chart(), std::move(series));
    }

    QPoint PixelOf(double x, double y) const
    {
        const ChartLayout layout = LayoutChart(view.Chart(), view.rect(), view.Zoom());
        return QPoint(int(std::lround(layout.XToPixel(x))), int(std::lround(layout.YToPixel(layout.left.scale, y))));
    }

    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(&view, (from + to) / 2);
        QTest::mouseMove(&view, to);
        QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, to);
    }

    TChart chart;
    TChartView view { &chart };
};
} // namespace

TEST_F(ChartViewTest, KeepsTheChartSizeAndRepaintsWhenTheModelChanges)
{
    EXPECT_EQ(view.Chart().Width(), 640);
    EXPECT_EQ(view.Chart().Height(), 400);
    view.resize(500, 300);
    EXPECT_EQ(view.Chart().Width(), 500);

    PaintCounter paints;
    view.installEventFilter(&paints);
    QApplication::processEvents();
    paints.count = 0;
    AddHourOfPoints();
    QApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
    QApplication::processEvents();
    EXPECT_EQ(paints.count, 1); // nothing changed since
    view.removeEventFilter(&paints);
}

TEST_F(ChartViewTest, ShowsAModelItDoesNotOwnAndCanSwitchOrDropIt)
{
    AddHourOfPoints();
    auto other = std::make_unique<TChart>();
    view.SetChart(other.get());
    EXPECT_EQ(&view.Chart(), other.get());
    EXPECT_EQ(other->Width(), 640); // the new model learns the view's size
    EXPECT_TRUE(view.PointTextAt(view.rect().center()).isEmpty());

    // A model may go before its view once the view lets go of it; drawing and hovering
    // then have nothing to show, and nothing is touched.
    view.SetChart(nullptr);
    other.reset();
    EXPECT_FALSE(view.HasChart());
    view.resize(300, 200);
    view.repaint();
    EXPECT_TRUE(view.PointTextAt(QPoint(10, 10)).isEmpty());
    EXPECT_EQ(chart.SeriesCount(), 1); // the first model still holds its points
}

TEST_F(ChartViewTest, ZoomsIntoADraggedRectangleWithoutTouchingTheAxesAndUndoes)
{
    AddHourOfPoints();
    const QPoint from = PixelOf(Day + 14.5 / 24, 20);
    const QPoint to = PixelOf(Day + 14.75 / 24, 5);
    Drag(from, to);
    ASSERT_TRUE(view.IsZoomed());
    EXPECT_NEAR(view.Zoom()->xMinimum, Day + 14.5 / 24, 2.0 / 1440);
    EXPECT_NEAR(view.Zoom()->xMaximum, Day + 14.75 / 24, 2.0 / 1440);
    EXPECT_NEAR(view.Zoom()->leftMinimum, 5, 0.5);
    EXPECT_NEAR(view.Zoom()->leftMaximum, 20, 0.5);
    EXPECT_TRUE(view.Chart().BottomAxis().Automatic());
    EXPECT_TRUE(view.Chart().LeftAxis().Automatic());

    Drag(to, from); // right to left: back to the whole chart
    EXPECT_FALSE(view.IsZoomed());

    Drag(from, to);
    ASSERT_TRUE(view.IsZoomed());
    QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_FALSE(view.IsZoomed());

    Drag(from, from + QPoint(2, 2)); // a click is not a zoom
    EXPECT_FALSE(view.IsZoomed());
}

TEST_F(ChartViewTest, RightClickReachesTheHandlerTheSignalAndTheMenu)
{
    QPoint handled(-1, -1);
    view.SetRightClickHandler([&](QPoint p) { handled = p; });
    QSignalSpy spy(&view, &TChartView::RightClicked);
    QMenu menu;
    menu.addAction(QStringLiteral("Offset histogram"));
    view.SetContextMenu(&menu);

    QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, QPoint(100, 120));
    EXPECT_EQ(handled, QPoint(100, 120));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
    EXPECT_FALSE(view.IsZoomed());
}

TEST_F(ChartViewTest, DescribesTheNearestPointWithItsDateAndValue)
{
    AddHourOfPoints();
    const double x = Day + (14 * 60 + 15 + 3) / 1440.0;
    EXPECT_EQ(view.PointTextAt(PixelOf(x, 1.5) + QPoint(2, -3)), QStringLiteral("loopstats\n2026-12-03 14:18:00\n1.5"));
    EXPECT_TRUE(view.PointTextAt(PixelOf(x, 25)).isEmpty()); // far from every point
    EXPECT_TRUE(view.PointTextAt(QPoint(1, 1)).isEmpty());
}
