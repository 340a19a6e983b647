// The chart table drives the window, Save, the data export and "Copy data": a chart
// added as one row with its builder shows up in all of them. And a run without a window
// gives its charts the size the window's pages give them.
#include "ChartAreaSize.h"
#include "ChartDataExport.h"
#include "TChartView.h"
#include "TLineSeries.h"
#include "TkstCheckBox.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

constexpr auto TestChartId = ChartId(int(ChartId::Count) + 1);

// A loop chart of this test: one point at the newest loop time.
void BuildTestChart(const StatisticsDocument& document, const DocumentSettings&, TChart& chart)
{
    chart.RemoveAllSeries();
    auto series = std::make_unique<TLineSeries>();
    series->SetTitle(QStringLiteral("test"));
    series->AddPoint(42, document.Files().LatestTime);
    AttachSeries(chart, std::move(series));
}

class ChartTableWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        StatisticsDocument::RegisterChart(
            { TestChartId, ChartGroup::Loop, "ChartTest", "TabSheetTest", "Test chart", "_test", true, false },
            BuildTestChart);
    }

    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid() && data_.isValid() && out_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        UseZone("UTC");
        WriteTestFile(data_.path(), QStringLiteral("loopstats.20230225"), LoopText(60000));
        WriteTestFile(data_.path(), QStringLiteral("peerstats.20230225"), PeerText(60000));
    }

    QTemporaryDir config_;
    QTemporaryDir data_;
    QTemporaryDir out_;
};

TEST_F(ChartTableWindowTest, AChartAddedAsARowIsAPageAnImageDataAndCopyData)
{
    auto form = StartTestForm({ data_.path() });
    auto* page = form->findChild<QWidget*>(QStringLiteral("TabSheetTest"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(form->PageControlLoopstatsChart->indexOf(page), 7); // after the seven loop charts
    EXPECT_EQ(form->PageControlLoopstatsChart->tabText(7), QStringLiteral("Test chart"));
    TChartView* view = form->ChartView(TestChartId);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Chart().SeriesCount(), 1);
    EXPECT_DOUBLE_EQ(view->Chart().Series(0).YValueAt(0), form->Statistics().LatestTime);
    ASSERT_NE(view->ContextMenu(), nullptr);
    EXPECT_EQ(view->ContextMenu()->actions().back()->text(), QStringLiteral("Copy data"));
    EXPECT_TRUE(
        ChartDataText(form->Document(), *form->Document().FindChart(TestChartId)).startsWith("series,x,y\ntest,42,"));

    // Save: after the loop images, before the peer images.
    form->ButtonSave->click();
    ASSERT_FALSE(form->Messages.isEmpty());
    const QString saved = form->Messages.back();
    const qsizetype test = saved.indexOf(QStringLiteral("_test.png"));
    EXPECT_GT(test, saved.indexOf(QStringLiteral("_poll_int.png")));
    EXPECT_LT(test, saved.indexOf(QStringLiteral("_peerstats.png")));

    const ChartDataExportResult csv = ExportChartData(form->Document(), out_.path() + QLatin1Char('/'), false);
    EXPECT_EQ(csv.SavedFiles.filter(QStringLiteral("/_test.csv")).size(), 1);
}

TEST_F(ChartTableWindowTest, ChartsWithoutAWindowHaveTheSizeThePagesGiveThem)
{
    auto form = StartTestForm({ data_.path() });
    for (const QSize client : { QSize(972, 526), QSize(1280, 640), QSize(1000, 900) }) {
        form->resize(client);
        QApplication::processEvents();
        EXPECT_EQ(form->ChartOffsets->size(), ChartAreaSize(form->size(), QApplication::font()))
            << client.width() << "x" << client.height();
    }
    EXPECT_EQ(StoredClientSize(0, 0), QSize(972, 526));
    EXPECT_EQ(StoredClientSize(2000, 100), QSize(2000, 450));
    EXPECT_EQ(StoredClientSize(0x7fffffff, 100000), QSize(8192, 8192)); // a damaged store
}

} // namespace
