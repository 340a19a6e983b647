#include "ChartConfiguration.h"

#include "ChartTable.h"

#include "TChart.h"
#include "TFastLineSeries.h"
#include "TLineSeries.h"

#include <array>
#include <memory>

namespace {
enum class LeftRange { Automatic, Jitter, Poll };
enum class Placeholder { None, RightAxisLine, DateTimeLine };

// The design of one main-window chart.
struct MainChartDesign
{
    ChartId id;
    const char* title;
    const char* bottomTitle;
    const char* leftTitle;
    LeftRange leftRange;
    bool dotThreeFormat; // "#.###" labels instead of the default grouped pattern
    LegendStyle legendStyle;
    bool fontSeriesColor;
    Placeholder placeholder;
};

constexpr std::array<MainChartDesign, 11> MainCharts { {
    { ChartId::Offsets, "Offset versus date", "Date & Time - UTC", "Offset - µs", LeftRange::Automatic, true,
        LegendStyle::Automatic, true, Placeholder::None },
    { ChartId::OffsetVsTOD, "Offset versus time of day", "Time - UTC", "Offset - µs", LeftRange::Automatic, true,
        LegendStyle::Series, true, Placeholder::None },
    { ChartId::AbsFrequency, "Frequency offset versus date", "Date & Time - UTC", "Frequency offset - ppm",
        LeftRange::Automatic, true, LegendStyle::Automatic, true, Placeholder::None },
    { ChartId::Frequency, "Relative frequency error versus date", "Date & Time - UTC",
        "Frequency error variation - ppm", LeftRange::Automatic, true, LegendStyle::Automatic, true,
        Placeholder::None },
    { ChartId::FreqVsTOD, "Relative frequency error versus time of day", "Time - UTC",
        "Frequency error variation - ppm", LeftRange::Automatic, true, LegendStyle::Series, true, Placeholder::None },
    { ChartId::Jitter, "Jitter versus date", "Date & Time - UTC", "Jitter - µs", LeftRange::Jitter, true,
        LegendStyle::Automatic, false, Placeholder::RightAxisLine },
    { ChartId::LoopstatsPollInterval, "Poll interval versus date", "Time - UTC", "Poll interval - seconds",
        LeftRange::Poll, false, LegendStyle::Series, false, Placeholder::None },
    { ChartId::PeerstatsOffset, "Peer offset versus date", "Time - UTC", "Offset - milliseconds", LeftRange::Automatic,
        false, LegendStyle::Series, true, Placeholder::DateTimeLine },
    { ChartId::PeerstatsDelay, "Peer delay versus date", "Time - UTC", "Delay - milliseconds", LeftRange::Automatic,
        false, LegendStyle::Series, true, Placeholder::DateTimeLine },
    { ChartId::PeerstatsDispersion, "Peer dispersion versus date", "Time - UTC", "Dispersion - milliseconds",
        LeftRange::Automatic, false, LegendStyle::Series, true, Placeholder::DateTimeLine },
    { ChartId::PeerstatsJitter, "Peer jitter versus date", "Time - UTC", "Jitter - milliseconds", LeftRange::Automatic,
        false, LegendStyle::Series, true, Placeholder::DateTimeLine },
} };

const MainChartDesign* FindDesign(ChartId id)
{
    for (const MainChartDesign& design : MainCharts)
        if (design.id == id)
            return &design;
    return nullptr;
}

void ResetAxis(TChartAxis& axis)
{
    axis.Title().SetCaption(QString());
    axis.Title().SetAngle(axis.Position() == AxisPosition::Right ? 270
            : axis.Position() == AxisPosition::Left              ? 90
                                                                 : 0);
    axis.Title().SetFontColor(ChartColors::Black);
    axis.SetLabelsFontColor(ChartColors::Black);
    axis.SetLogarithmic(false);
    axis.SetDecadeTicks(false);
    axis.SetAutomatic(true);
    axis.SetAxisValuesFormat(QStringLiteral("#,##0.###"));
    axis.SetDateTimeFormat(QString());
}

// Puts the chart back to the model's defaults, so that configuring is the same whatever
// was done to the chart before.
void ResetChart(TChart& chart)
{
    chart.RemoveAllSeries();
    chart.SetTitle(QString());
    chart.SetColor(ChartColor::ButtonFace());
    chart.SetZoomPenColor(ChartColors::Black);
    chart.SetMargins(3, 4, 3, 4);
    chart.SetMarginUnits(MarginUnits::Percent);
    chart.SetView3D(false);
    chart.Legend().SetVisible(true);
    chart.Legend().SetLegendStyle(LegendStyle::Automatic);
    chart.Legend().SetFontSeriesColor(false);
    ResetAxis(chart.LeftAxis());
    ResetAxis(chart.RightAxis());
    ResetAxis(chart.BottomAxis());
}

void ConfigureMainChart(TChart& chart, const MainChartDesign& design)
{
    chart.SetTitle(QString::fromUtf8(design.title));
    chart.SetMarginUnits(MarginUnits::Pixels);
    chart.SetMargins(3, 3, 3, 3);
    chart.Legend().SetLegendStyle(design.legendStyle);
    chart.Legend().SetFontSeriesColor(design.fontSeriesColor);

    chart.BottomAxis().SetDateTimeFormat(QStringLiteral("hh:nn"));
    chart.BottomAxis().Title().SetCaption(QString::fromUtf8(design.bottomTitle));

    TChartAxis& left = chart.LeftAxis();
    left.Title().SetCaption(QString::fromUtf8(design.leftTitle));
    if (design.dotThreeFormat)
        left.SetAxisValuesFormat(QStringLiteral("#.###"));
    switch (design.leftRange) {
    case LeftRange::Automatic:
        break;
    case LeftRange::Jitter:
        left.SetRange(0, 100);
        break;
    case LeftRange::Poll:
        left.SetRange(8, 4096);
        left.SetLogarithmic(true);
        break;
    }

    if (design.id == ChartId::Jitter) {
        TChartAxis& right = chart.RightAxis();
        right.SetRange(0.01, 0.99);
        right.Title().SetCaption(QStringLiteral("Moving average - µs"));
        right.Title().SetAngle(90);
    }

    switch (design.placeholder) {
    case Placeholder::None:
        break;
    case Placeholder::RightAxisLine: {
        auto series = std::make_unique<TLineSeries>();
        series->SetVertAxis(VerticalAxis::Right);
        AttachSeries(chart, std::move(series));
        break;
    }
    case Placeholder::DateTimeLine: {
        auto series = std::make_unique<TLineSeries>();
        series->XValues.DateTime = true;
        AttachSeries(chart, std::move(series));
        break;
    }
    }
}

// Log-log: the Allan and modified Allan deviations (fractions) on the left, the time
// deviation (seconds) on the right, against the averaging time; decades on all three.
void ConfigureStabilityChart(TChart& chart)
{
    chart.SetTitle(QStringLiteral("Stability versus averaging time"));
    chart.SetMarginUnits(MarginUnits::Pixels);
    chart.SetMargins(3, 3, 3, 3);
    chart.Legend().SetLegendStyle(LegendStyle::Series);
    chart.Legend().SetFontSeriesColor(true);
    TChartAxis& bottom = chart.BottomAxis();
    bottom.Title().SetCaption(QStringLiteral("Averaging time τ - s"));
    bottom.SetAxisValuesFormat(QStringLiteral("#.######"));
    chart.LeftAxis().Title().SetCaption(QStringLiteral("Allan deviation"));
    chart.RightAxis().Title().SetCaption(QStringLiteral("Time deviation - s"));
    for (TChartAxis* axis : { &bottom, &chart.LeftAxis(), &chart.RightAxis() }) {
        axis->SetLogarithmic(true);
        axis->SetDecadeTicks(true);
    }
    chart.LeftAxis().SetAxisValuesFormat(QStringLiteral("0.##e-0"));
    chart.RightAxis().SetAxisValuesFormat(QStringLiteral("0.##e-0"));
}

void ConfigureHistogramChart(TChart& chart)
{
    chart.SetTitle(QStringLiteral("Count versus micrseconds offset"));
    chart.Legend().SetVisible(false);
    chart.SetColor(ChartColors::White);
    auto series = std::make_unique<TFastLineSeries>();
    series->SetSeriesColor(ChartColors::Red);
    AttachSeries(chart, std::move(series));
}
} // namespace

void ConfigureChart(TChart& chart, ChartId id)
{
    ResetChart(chart);
    if (const MainChartDesign* design = FindDesign(id))
        ConfigureMainChart(chart, *design);
    else if (id == ChartId::Histo)
        ConfigureHistogramChart(chart);
    else if (id == ChartId::Stability)
        ConfigureStabilityChart(chart);
}

QString PageCaption(ChartId id)
{
    const ChartRow* row = FindBuiltInChartRow(id);
    return row != nullptr ? QString::fromUtf8(row->PageCaption) : QString();
}
