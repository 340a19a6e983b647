#include "AxisException.h"
#include "AxisScale.h"
#include "ChartConfiguration.h"
#include "LegendEntries.h"
#include "SeriesPalette.h"
#include "TChart.h"
#include "TErrorBarSeries.h"
#include "TFastLineSeries.h"
#include "TLineSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {
constexpr ChartColor Green { 0, 128, 0 };
constexpr ChartColor Yellow { 255, 255, 0 };
constexpr ChartColor Blue { 0, 0, 255 };
constexpr ChartColor Grey { 128, 128, 128 };

std::unique_ptr<TLineSeries> SeriesWith(std::initializer_list<std::pair<double, double>> points)
{
    auto series = std::make_unique<TLineSeries>();
    for (const auto& [x, y] : points)
        series->AddPoint(x, y);
    return series;
}

// Counts how often the chart tells its viewers to repaint.
struct RepaintCounter
{
    explicit RepaintCounter(TChart& chart)
    {
        chart.AddChangeObserver([this] { ++count; });
    }
    int count = 0;
};

std::vector<double> Xs(const TChartSeries& s)
{
    return { s.XValues.begin(), s.XValues.end() };
}
} // namespace

TEST(ChartSeries, KeepsPointsInXOrderWithEqualXInInsertionOrder)
{
    TLineSeries series;
    for (const auto& [x, y] :
        { std::pair { 5.0, 1.0 }, { 3.0, 2.0 }, { 5.0, 3.0 }, { 4.0, 4.0 }, { -1.0, 5.0 }, { 5.0, 6.0 } })
        series.AddPoint(x, y);
    EXPECT_EQ(Xs(series), (std::vector<double> { -1, 3, 4, 5, 5, 5 }));
    EXPECT_EQ(series.YValues.Values(), (ChartValues { 5, 2, 4, 1, 3, 6 }));
}

TEST(ChartSeries, ExtremesAreZeroWithoutPointsAndFollowChangedValues)
{
    TLineSeries series;
    EXPECT_EQ(series.HighestY(), 0.0);
    EXPECT_EQ(series.LowestY(), 0.0);
    series.AddPoint(1, -3);
    series.AddPoint(2, -7);
    EXPECT_EQ(series.HighestY(), -3.0);
    EXPECT_EQ(series.LowestY(), -7.0);
    series.SetYValueAt(1, 12);
    EXPECT_EQ(series.HighestY(), 12.0);
    EXPECT_EQ(series.LowestY(), -3.0);
    series.ClearPoints();
    EXPECT_EQ(series.PointCount(), 0u);
    EXPECT_EQ(series.HighestY(), 0.0);

    series.AddPoint(std::nan(""), 1); // has no place in X order
    EXPECT_EQ(series.PointCount(), 0u);
}

TEST(ChartAxisScale, AutomaticAxesFollowTheDataManualOnesAreExactAndBadRangesAreRepaired)
{
    struct Case
    {
        const char* name;
        std::function<void(TChart&)> make;
        AxisPosition axis;
        double minimum, maximum;
    };
    const std::vector<Case> cases {
        { "bottom: exact data",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 2, 0 }, { 5, 10 } }));
            },
            AxisPosition::Bottom, 2, 5 },
        { "left: a little room",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 2, 0 }, { 5, 10 } }));
            },
            AxisPosition::Left, -0.4, 10.4 },
        { "left after a changed value",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 2, 0 }, { 5, 10 } }))->SetYValueAt(1, 5);
            },
            AxisPosition::Left, -0.2, 5.2 },
        { "left ignores right series",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 0, 0 }, { 1, 1 } }));
                auto right = SeriesWith({ { 0, 500 } });
                right->SetVertAxis(VerticalAxis::Right);
                AttachSeries(c, std::move(right));
            },
            AxisPosition::Left, -0.04, 1.04 },
        { "not finite values ignored",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 0, INFINITY }, { 1, 4 }, { 2, 4 } }));
            },
            AxisPosition::Left, 3.6, 4.4 },
        { "no data", [](TChart&) {}, AxisPosition::Left, 0, 1 },
        { "manual, exact",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 0, 500 } }));
                SetRange(c.LeftAxis(), 0, 100);
            },
            AxisPosition::Left, 0, 100 },
        { "manual, lost span", [](TChart& c) { SetRange(c.LeftAxis(), 1e20, 1e20); }, AxisPosition::Left, 0.9e20,
            1.1e20 },
        { "log from zero",
            [](TChart& c) {
                c.LeftAxis().SetLogarithmic(true);
                SetRange(c.LeftAxis(), 0, 4096);
            },
            AxisPosition::Left, 4.096, 4096 },
        { "automatic minimum only",
            [](TChart& c) {
                AttachSeries(c, SeriesWith({ { 0, 3 }, { 1, 5 } }));
                SetRange(c.LeftAxis(), 0, 100);
                c.LeftAxis().SetAutomaticMinimum(true);
            },
            AxisPosition::Left, 2.92, 100 },
    };
    for (const Case& c : cases) {
        TChart chart;
        c.make(chart);
        const TChartAxis& axis = c.axis == AxisPosition::Bottom ? chart.BottomAxis() : chart.LeftAxis();
        const AxisScale scale = ResolveAxisScale(chart, axis);
        EXPECT_NEAR(scale.minimum, c.minimum, std::fabs(c.minimum) * 1e-9 + 1e-9) << c.name;
        EXPECT_NEAR(scale.maximum, c.maximum, std::fabs(c.maximum) * 1e-9 + 1e-9) << c.name;
    }
}

TEST(ChartSeries, SharedXValuesAreCopiedBeforeAChangeAndHandedBackByTheLastHolder)
{
    auto times = std::make_shared<ChartValues>(ChartValues { 1, 2, 3 });
    const double* storage = times->data();
    TLineSeries first;
    TLineSeries second;
    first.AssignFinitePoints(times, { 10, 20, 30 }, 10, 30);
    second.AssignFinitePoints(times, { 5, 6, 7 }, 5, 7);
    times.reset();
    EXPECT_EQ(first.XValues.data(), second.XValues.data());
    EXPECT_EQ(first.HighestX(), 3);

    // A change to one series leaves the other's points alone.
    TLineSeries changed;
    changed.CopyFrom(second);
    EXPECT_TRUE(changed.XValues.IsShared());
    changed.AddPoint(2.5, 8);
    EXPECT_EQ(changed.XValues.Values(), (ChartValues { 1, 2, 2.5, 3 }));
    EXPECT_EQ(changed.YValues.Values(), (ChartValues { 5, 6, 8, 7 }));
    EXPECT_EQ(second.XValues.Values(), (ChartValues { 1, 2, 3 }));
    EXPECT_EQ(first.XValues.data(), storage);

    // Storage still held elsewhere is not handed over; the last holder hands it over.
    ChartValues xs;
    ChartValues ys;
    first.TakePointStorage(xs, ys);
    EXPECT_EQ(xs.capacity(), 0u);
    EXPECT_EQ(first.PointCount(), 0u);
    second.TakePointStorage(xs, ys);
    EXPECT_EQ(xs.data(), storage);
    EXPECT_TRUE(xs.empty());
}

TEST(ChartSeries, CopyTakesSettingsAndPointsAndStaysWhereItIs)
{
    auto source = SeriesWith({ { 1, 10 }, { 2, 20 } });
    source->SetTitle(QStringLiteral("loopstats"));
    source->SetShowInLegend(false);
    source->SetVertAxis(VerticalAxis::Right);
    source->XValues.DateTime = true;

    TLineSeries detached;
    detached.CopyFrom(*source);
    EXPECT_EQ(detached.Title(), QStringLiteral("loopstats"));
    EXPECT_FALSE(detached.ShowInLegend());
    EXPECT_EQ(detached.VertAxis(), VerticalAxis::Right);
    EXPECT_TRUE(detached.XValues.DateTime);
    EXPECT_EQ(detached.YValues.Values(), (ChartValues { 10, 20 }));
    EXPECT_EQ(detached.ParentChart(), nullptr);
    EXPECT_FALSE(detached.HasSeriesColor());

    TChart chart;
    TChartSeries* attached = AttachSeries(chart, std::make_unique<TLineSeries>());
    attached->CopyFrom(*source);
    EXPECT_EQ(attached->ParentChart(), &chart);
    EXPECT_EQ(attached->SeriesColor(), ChartColors::Red); // keeps the colour it was given
    EXPECT_EQ(attached->PointCount(), 2u);

    attached->CopyFrom(*attached); // copying itself changes nothing
    EXPECT_EQ(attached->PointCount(), 2u);
}

TEST(ChartAxis, SetRangeSwapsEndsKeepsAMinimumSpanAndMakesTheAxisManual)
{
    struct Case
    {
        double a, b, minimum, maximum;
    };
    for (const Case& c :
        { Case { 7, 2, 2, 7 }, Case { 1, 1, 1, 1 + 1e-10 }, Case { -3, 5.1, -3, 5.1 }, Case { 0, 1e-11, 0, 1e-10 } }) {
        TChartAxis axis(AxisPosition::Left);
        SetRange(axis, c.a, c.b);
        EXPECT_EQ(axis.Minimum(), c.minimum) << c.a << " " << c.b;
        EXPECT_EQ(axis.Maximum(), c.maximum) << c.a << " " << c.b;
        EXPECT_FALSE(axis.Automatic());
        EXPECT_FALSE(axis.AutomaticMinimum());
        EXPECT_FALSE(axis.AutomaticMaximum());
    }
}

TEST(ChartAxis, SingleEndSettersRefuseCrossingEndsAndLeaveTheAxisAlone)
{
    TChartAxis axis(AxisPosition::Left);
    axis.SetRange(8, 10);
    try {
        axis.SetMaximum(5);
        FAIL() << "no exception";
    } catch (const AxisException& e) {
        EXPECT_STREQ(e.what(), "Axis Maximum Value must be >= Minimum");
    }
    try {
        axis.SetMinimum(11);
        FAIL() << "no exception";
    } catch (const AxisException& e) {
        EXPECT_STREQ(e.what(), "Axis Minimum Value must be <= Maximum");
    }
    EXPECT_THROW(axis.SetMinimum(std::nan("")), AxisException);
    EXPECT_EQ(axis.Minimum(), 8.0);
    EXPECT_EQ(axis.Maximum(), 10.0);

    // Equal ends are allowed, and the setters leave Automatic as it is.
    TChartAxis automatic(AxisPosition::Bottom);
    automatic.SetMaximum(0);
    automatic.SetMinimum(0);
    automatic.SetMaximum(4);
    EXPECT_TRUE(automatic.Automatic());
    EXPECT_EQ(automatic.Maximum(), 4.0);
}

TEST(ChartColours, AutomaticColoursSkipTakenEntriesTheBackgroundAndSilver)
{
    struct Case
    {
        const char* name;
        ChartColor background;
        std::vector<ChartColor> explicitFirst;
        int automaticCount;
        std::vector<ChartColor> expected;
    };
    const std::vector<Case> cases {
        { "button face", ChartColor::ButtonFace(), {}, 3, { ChartColors::Red, Green, Yellow } },
        { "white with red", ChartColors::White, { ChartColors::Red }, 2, { Green, Yellow } },
        { "white, fifth", ChartColors::White, {}, 5, { ChartColors::Red, Green, Yellow, Blue, Grey } },
        { "silver background", ChartColors::Silver, { Green }, 1, { ChartColors::Red } },
    };
    for (const Case& c : cases) {
        TChart chart;
        chart.SetColor(c.background);
        for (const ChartColor colour : c.explicitFirst) {
            auto series = std::make_unique<TLineSeries>();
            series->SetSeriesColor(colour);
            AttachSeries(chart, std::move(series));
        }
        std::vector<ChartColor> got;
        for (int i = 0; i < c.automaticCount; ++i)
            got.push_back(AttachSeries(chart, std::make_unique<TLineSeries>())->SeriesColor());
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(ChartColours, WithNoFreeEntryTheLastPaletteColourIsUsedAndColoursStayFixed)
{
    TChart chart;
    for (std::size_t i = 0; i < SeriesPalette.size() + 3; ++i)
        AttachSeries(chart, std::make_unique<TLineSeries>());
    EXPECT_EQ(chart.Series(chart.SeriesCount() - 1).SeriesColor(), (ChartColor { 160, 160, 164 }));
    chart.SetColor(ChartColors::White);
    EXPECT_EQ(chart.Series(0).SeriesColor(), ChartColors::Red);
    EXPECT_FALSE(ChartColor::ButtonFace() == ChartColors::Black);
}

TEST(ChartSeriesList, AttachTwiceHasNoEffectAndRemoveAllDestroysLastToFirst)
{
    static std::vector<int> destroyed;
    struct Tracked : TLineSeries
    {
        explicit Tracked(int id)
            : id(id)
        { }
        ~Tracked() override { destroyed.push_back(id); }
        int id;
    };
    destroyed.clear();
    TChart chart;
    TChartSeries* first = AttachSeries(chart, std::make_unique<Tracked>(1));
    AttachSeries(chart, std::make_unique<Tracked>(2));
    EXPECT_EQ(chart.AttachSeries(std::unique_ptr<TChartSeries>(first)), first);
    EXPECT_EQ(chart.SeriesCount(), 2u);
    EXPECT_EQ(chart.AttachSeries(nullptr), nullptr);

    RemoveAllSeries(chart);
    EXPECT_EQ(chart.SeriesCount(), 0u);
    EXPECT_EQ(destroyed, (std::vector<int> { 2, 1 }));
    RemoveAllSeries(chart); // nothing left: nothing happens
    EXPECT_EQ(destroyed.size(), 2u);
}

TEST(ChartNotification, ViewersAreToldOncePerBatchOrAttachmentAndNeverForDetachedSeries)
{
    TChart chart;
    RepaintCounter repaints(chart);

    auto detached = std::make_unique<TLineSeries>();
    for (int i = 0; i < 100; ++i)
        detached->AddPoint(i, i);
    EXPECT_EQ(repaints.count, 0);
    TChartSeries* series = AttachSeries(chart, std::move(detached));
    EXPECT_EQ(repaints.count, 1);

    series->BeginUpdate();
    series->BeginUpdate();
    for (int i = 0; i < 100; ++i)
        series->AddPoint(200 + i, i);
    series->EndUpdate();
    EXPECT_EQ(repaints.count, 1); // still inside the outer batch
    series->EndUpdate();
    EXPECT_EQ(repaints.count, 2);

    series->EndUpdate(); // no batch open: nothing happens
    EXPECT_EQ(series->UpdateDepth(), 0);
    EXPECT_EQ(repaints.count, 2);

    series->AddPoint(1000, 1); // outside a batch: at once
    EXPECT_EQ(repaints.count, 3);

    RemoveAllSeries(chart);
    EXPECT_EQ(repaints.count, 4);
    RemoveAllSeries(chart);
    EXPECT_EQ(repaints.count, 4);

    // An observer may leave while being told; the others are still told.
    int selfRemoving = 0;
    int id = 0;
    id = chart.AddChangeObserver([&] {
        ++selfRemoving;
        chart.RemoveChangeObserver(id);
    });
    chart.SetTitle(QStringLiteral("a"));
    chart.SetTitle(QStringLiteral("b"));
    EXPECT_EQ(selfRemoving, 1);
    EXPECT_EQ(repaints.count, 6);

    TChart other;
    RepaintCounter otherRepaints(other);
    SetRange(other.LeftAxis(), 0, 1);
    other.SetTitle(QStringLiteral("t"));
    EXPECT_EQ(otherRepaints.count, 2);
}

TEST(ChartHighestX, TakesTheSeriesOfTheAxisAndIsZeroWithoutPoints)
{
    TChart chart;
    EXPECT_EQ(HighestXOnAxis(chart, chart.BottomAxis()), 0.0);
    AttachSeries(chart, std::make_unique<TLineSeries>());
    EXPECT_EQ(HighestXOnAxis(chart, chart.BottomAxis()), 0.0);

    AttachSeries(chart, SeriesWith({ { -9, 0 }, { -5, 0 } }));
    EXPECT_EQ(HighestXOnAxis(chart, chart.BottomAxis()), -5.0); // not pulled up to 0
    auto right = SeriesWith({ { 3, 0 }, { 40, 0 } });
    right->SetVertAxis(VerticalAxis::Right);
    AttachSeries(chart, std::move(right));
    EXPECT_EQ(HighestXOnAxis(chart, chart.BottomAxis()), 40.0);
    EXPECT_EQ(HighestXOnAxis(chart, chart.LeftAxis()), -5.0);
    EXPECT_EQ(HighestXOnAxis(chart, chart.RightAxis()), 40.0);
}

TEST(ChartLegend, ListsSeriesOrTheLoneSeriesPointsByStyle)
{
    struct Case
    {
        const char* name;
        LegendStyle style;
        std::vector<bool> shown; // one series per entry
        std::vector<QString> expected;
    };
    const std::vector<Case> cases {
        { "series style", LegendStyle::Series, { true, false, true }, { "s0", "s2" } },
        { "automatic, several", LegendStyle::Automatic, { false, true }, { "s1" } },
        { "automatic, one shown", LegendStyle::Automatic, { true }, { "10", "20.5", "-3" } },
        { "automatic, one hidden", LegendStyle::Automatic, { false }, {} },
        { "series style, one", LegendStyle::Series, { true }, { "s0" } },
    };
    for (const Case& c : cases) {
        TChart chart;
        chart.LeftAxis().SetAxisValuesFormat(QStringLiteral("#.###"));
        chart.Legend().SetLegendStyle(c.style);
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            auto series = SeriesWith({ { 1, 10 }, { 2, 20.5 }, { 3, -3 } });
            series->SetTitle(QStringLiteral("s%1").arg(i));
            series->SetShowInLegend(c.shown[i]);
            AttachSeries(chart, std::move(series));
        }
        std::vector<QString> texts;
        for (const LegendEntry& entry : LegendEntries(chart, 100))
            texts.push_back(entry.text);
        EXPECT_EQ(texts, c.expected) << c.name;
    }
}

TEST(ChartLegend, TextTakesTheSeriesColourOnlyWhenAskedAndAHiddenLegendListsNothing)
{
    TChart chart;
    chart.Legend().SetLegendStyle(LegendStyle::Series);
    AttachSeries(chart, std::make_unique<TLineSeries>());
    AttachSeries(chart, std::make_unique<TLineSeries>());
    EXPECT_EQ(LegendEntries(chart, 10).at(1).textColor, ChartColors::Black);
    chart.Legend().SetFontSeriesColor(true);
    EXPECT_EQ(LegendEntries(chart, 10).at(1).textColor, Green);
    EXPECT_EQ(LegendEntries(chart, 1).size(), 1u);
    chart.Legend().SetVisible(false);
    EXPECT_TRUE(LegendEntries(chart, 10).empty());
}

TEST(ChartConfiguration, GivesEveryChartItsDesignWhateverWasDoneBefore)
{
    for (int i = 0; i <= int(ChartId::PeerstatsJitter); ++i) {
        const auto id = ChartId(i);
        TChart chart;
        chart.SetColor(ChartColors::White);
        AttachSeries(chart, std::make_unique<TLineSeries>());
        ConfigureChart(chart, id);
        EXPECT_EQ(chart.MarginUnits(), MarginUnits::Pixels) << i;
        EXPECT_EQ(chart.MarginTop(), 3) << i;
        EXPECT_EQ(chart.MarginBottom(), 3) << i;
        EXPECT_TRUE(chart.Color().IsButtonFace()) << i;
        EXPECT_EQ(chart.BottomAxis().DateTimeFormat(), QStringLiteral("hh:nn")) << i;
        EXPECT_FALSE(chart.Title().isEmpty()) << i;
        EXPECT_FALSE(PageCaption(id).isEmpty()) << i;
        EXPECT_FALSE(chart.View3D());
    }

    TChart jitter;
    ConfigureChart(jitter, ChartId::Jitter);
    EXPECT_EQ(jitter.Title(), QStringLiteral("Jitter versus date"));
    EXPECT_EQ(jitter.LeftAxis().Title().Caption(), QStringLiteral("Jitter - µs"));
    EXPECT_EQ(jitter.LeftAxis().AxisValuesFormat(), QStringLiteral("#.###"));
    EXPECT_FALSE(jitter.LeftAxis().Automatic());
    EXPECT_EQ(jitter.LeftAxis().Maximum(), 100.0);
    EXPECT_EQ(jitter.RightAxis().Minimum(), 0.01);
    EXPECT_EQ(jitter.RightAxis().Maximum(), 0.99);
    EXPECT_EQ(jitter.RightAxis().Title().Angle(), 90);
    EXPECT_EQ(jitter.RightAxis().Title().Caption(), QStringLiteral("Moving average - µs"));
    ASSERT_EQ(jitter.SeriesCount(), 1u);
    EXPECT_EQ(jitter.Series(0).VertAxis(), VerticalAxis::Right);
    EXPECT_FALSE(jitter.Legend().FontSeriesColor());

    TChart poll;
    ConfigureChart(poll, ChartId::LoopstatsPollInterval);
    EXPECT_TRUE(poll.LeftAxis().Logarithmic());
    EXPECT_EQ(poll.LeftAxis().Minimum(), 8.0);
    EXPECT_EQ(poll.LeftAxis().Maximum(), 4096.0);
    EXPECT_EQ(poll.LeftAxis().AxisValuesFormat(), QStringLiteral("#,##0.###"));
    EXPECT_EQ(poll.Legend().LegendStyle(), LegendStyle::Series);

    TChart peer;
    ConfigureChart(peer, ChartId::PeerstatsDelay);
    EXPECT_EQ(PageCaption(ChartId::PeerstatsDelay), QStringLiteral("Delay"));
    ASSERT_EQ(peer.SeriesCount(), 1u);
    EXPECT_TRUE(peer.Series(0).XValues.DateTime);
    EXPECT_TRUE(peer.LeftAxis().Automatic());
    EXPECT_TRUE(peer.Legend().FontSeriesColor());

    TChart histo;
    ConfigureChart(histo, ChartId::Histo);
    EXPECT_EQ(histo.Title(), QStringLiteral("Count versus micrseconds offset"));
    EXPECT_FALSE(histo.Legend().Visible());
    EXPECT_EQ(histo.Color(), ChartColors::White);
    EXPECT_EQ(histo.MarginUnits(), MarginUnits::Percent);
    ASSERT_EQ(histo.SeriesCount(), 1u);
    EXPECT_NE(dynamic_cast<TFastLineSeries*>(&histo.Series(0)), nullptr);
    EXPECT_EQ(histo.Series(0).SeriesColor(), ChartColors::Red);
    EXPECT_TRUE(PageCaption(ChartId::Histo).isEmpty());
}

TEST(ChartAxisScale, DecadeAxesRoundTheirAutomaticEndsOutToPowersOfTenAndSpanTheErrorBars)
{
    TChart chart;
    for (TChartAxis* axis : { &chart.BottomAxis(), &chart.LeftAxis() }) {
        axis->SetLogarithmic(true);
        axis->SetDecadeTicks(true);
    }
    auto series = std::make_unique<TErrorBarSeries>();
    series->AddBar(16, 3e-8, 2e-8, 4e-8, 100);
    series->AddBar(512, 2e-9, 8e-10, 3.2e-9, 5);
    AttachSeries(chart, std::move(series));
    const AxisScale bottom = ResolveAxisScale(chart, chart.BottomAxis());
    EXPECT_DOUBLE_EQ(bottom.minimum, 10);
    EXPECT_DOUBLE_EQ(bottom.maximum, 1000);
    EXPECT_TRUE(bottom.decades);
    // The low end of the last bar reaches into the decade below its point.
    const AxisScale left = ResolveAxisScale(chart, chart.LeftAxis());
    EXPECT_NEAR(left.minimum, 1e-10, 1e-24);
    EXPECT_NEAR(left.maximum, 1e-7, 1e-21);

    // Data on one power of ten still gets a decade to show it in.
    TChart single;
    single.LeftAxis().SetLogarithmic(true);
    single.LeftAxis().SetDecadeTicks(true);
    auto one = std::make_unique<TLineSeries>();
    one->AddPoint(1, 1e-8);
    AttachSeries(single, std::move(one));
    const AxisScale decade = ResolveAxisScale(single, single.LeftAxis());
    EXPECT_NEAR(decade.minimum, 1e-8, 1e-22);
    EXPECT_NEAR(decade.maximum, 1e-7, 1e-21);

    // A logarithmic axis without decade ticks keeps its padded ends, as the poll chart's.
    TChart plain;
    plain.LeftAxis().SetLogarithmic(true);
    auto line = std::make_unique<TLineSeries>();
    line->AddPoint(1, 16);
    line->AddPoint(2, 1024);
    AttachSeries(plain, std::move(line));
    const AxisScale padded = ResolveAxisScale(plain, plain.LeftAxis());
    EXPECT_FALSE(padded.decades);
    EXPECT_LT(padded.minimum, 16);
    EXPECT_GT(padded.minimum, 10);
}

TEST(ChartSeries, ErrorBarsStayWithTheirPointsInXOrder)
{
    TErrorBarSeries series;
    series.AddBar(64, 3, 2, 4, 10);
    series.AddBar(16, 1, 0.5, 1.5, 40);
    series.AddPoint(32, 2); // a point without a bar
    series.AddBar(32, 2.5, 2.4, 2.6, 20); // equal X: after the point of that X
    series.AddBar(std::nan(""), 9, 8, 10, 1); // no place in the order: left out
    ASSERT_EQ(series.PointCount(), 4u);
    const double xs[] = { 16, 32, 32, 64 };
    const double lows[] = { 0.5, 2, 2.4, 2 };
    const std::int64_t terms[] = { 40, 0, 20, 10 };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(series.XValueAt(i), xs[i]);
        EXPECT_EQ(series.LowAt(i), lows[i]) << i;
        EXPECT_EQ(series.TermsAt(i), terms[i]) << i;
    }
    EXPECT_EQ(series.HighAt(3), 4);
    double low = 0;
    double high = 0;
    ASSERT_TRUE(series.ExtraYRange(low, high, true));
    EXPECT_EQ(low, 0.5);
    EXPECT_EQ(high, 4);
    EXPECT_FALSE(TLineSeries().ExtraYRange(low, high, false));
}
