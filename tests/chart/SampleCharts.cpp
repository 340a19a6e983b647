#include "SampleCharts.h"

#include "TLineSeries.h"

#include <cmath>
#include <memory>

namespace {
// A deterministic wobble, so that samples look like a real clock without a random source.
double Wobble(int i)
{
    return std::sin(i * 0.013) * 40.0 + std::sin(i * 0.31) * 6.0 + std::sin(i * 7.7) * 3.0;
}

std::unique_ptr<TLineSeries> DateSeries(const QString& title)
{
    auto series = std::make_unique<TLineSeries>();
    series->SetTitle(title);
    series->XValues.DateTime = true;
    return series;
}
} // namespace

namespace SampleCharts {
void FillOffsets(TChart& chart, int n, double firstDay, double spacingSeconds)
{
    ConfigureChart(chart, ChartId::Offsets);
    auto offsets = DateSeries(QStringLiteral("loopstats"));
    offsets->SetShowInLegend(false);
    offsets->ReservePoints(std::size_t(n));
    offsets->BeginUpdate();
    for (int i = 0; i < n; ++i) {
        // A slow wander and a daily swing with a few µs of sample noise, as a real clock.
        const double t = i * spacingSeconds / 86400.0;
        const double noise = double((unsigned(i) * 2654435761u) >> 22) / 1024.0 * 8.0 - 4.0;
        offsets->AddPoint(firstDay + t, 25.0 * std::sin(t * 2.1) + 12.0 * std::sin(t * 6.283 + 1) + noise);
    }
    offsets->EndUpdate();
    AttachSeries(chart, std::move(offsets));

    auto rms = DateSeries(QStringLiteral("RMS"));
    rms->SetSeriesColor(ChartColors::Black);
    const double hours = n * spacingSeconds / 3600.0;
    for (int h = 0; h < int(hours); ++h) {
        const double level = 20.0 + 8.0 * std::sin(h * 0.4);
        rms->AddPoint(firstDay + h / 24.0, level);
        rms->AddPoint(firstDay + (h + 1) / 24.0, level);
    }
    AttachSeries(chart, std::move(rms));
}

void MakeHourOfOffsets(TChart& chart)
{
    FillOffsets(chart, 225, DayOf20261203 + 14.25 / 24, 16);
    chart.BottomAxis().Title().SetCaption(QStringLiteral("2026-Dec-03 14:15 to 15:15 UTC"));
}

void MakeWeekOfOffsets(TChart& chart)
{
    FillOffsets(chart, 57601, DayOf20261203 - 7, 10.5);
    chart.BottomAxis().Title().SetCaption(QStringLiteral("2026-Nov-26 00:00 to 2026-Dec-03 00:00 UTC"));
}

void MakePollIntervals(TChart& chart)
{
    ConfigureChart(chart, ChartId::LoopstatsPollInterval);
    chart.LeftAxis().SetMinimum(4);
    auto poll = DateSeries(QStringLiteral("loopstats"));
    poll->SetShowInLegend(false);
    double t = DayOf20261203;
    int exponent = 6;
    for (int i = 0; i < 400; ++i) {
        poll->AddPoint(t, double(1 << exponent));
        t += (1 << exponent) / 86400.0;
        if (i % 37 == 36)
            exponent = exponent == 10 ? 6 : exponent + 1;
    }
    AttachSeries(chart, std::move(poll));
    chart.BottomAxis().Title().SetCaption(QStringLiteral("Poll sample"));
}

void MakeJitter(TChart& chart)
{
    ConfigureChart(chart, ChartId::Jitter);
    RemoveAllSeries(chart);
    auto jitter = DateSeries(QStringLiteral("loopstats"));
    jitter->SetShowInLegend(false);
    auto average = DateSeries(QStringLiteral("loopstats avg."));
    average->SetShowInLegend(false);
    average->SetVertAxis(VerticalAxis::Right);
    double avg = 0;
    for (int i = 0; i < 2700; ++i) {
        const double t = DayOf20261203 + i * 32 / 86400.0;
        const double j = 45 + 25 * std::sin(i * 0.05) + 15 * std::sin(i * 1.3);
        avg += (j - avg) * 0.01;
        jitter->AddPoint(t, j);
        average->AddPoint(t, avg / 10);
    }
    TChartSeries* first = AttachSeries(chart, std::move(jitter));
    TChartSeries* second = AttachSeries(chart, std::move(average));
    chart.LeftAxis().SetRange(0, 100);
    chart.RightAxis().SetRange(0, 10);
    chart.LeftAxis().Title().SetFontColor(first->SeriesColor());
    chart.LeftAxis().SetLabelsFontColor(first->SeriesColor());
    chart.RightAxis().Title().SetFontColor(second->SeriesColor());
    chart.RightAxis().SetLabelsFontColor(second->SeriesColor());
}

void MakeOffsetVsTimeOfDay(TChart& chart)
{
    ConfigureChart(chart, ChartId::OffsetVsTOD);
    const ChartColor days[]
        = { ChartColor::FromRgb(0x000080), ChartColor::FromRgb(0xFF00FF), ChartColor::FromRgb(0x339966) };
    for (int d = 0; d < 3; ++d) {
        auto series = DateSeries(QStringLiteral("2026-Dec-0%1").arg(d + 1));
        series->SetSeriesColor(days[d]);
        for (int i = 0; i < 1350; ++i)
            series->AddPoint(i * 64 / 86400.0, Wobble(i + d * 500) * 0.5 + d * 10);
        AttachSeries(chart, std::move(series));
    }
    chart.BottomAxis().Title().SetCaption(QStringLiteral("Time (UTC)"));
}

void MakeHistogram(TChart& chart)
{
    ConfigureChart(chart, ChartId::Histo);
    TChartSeries& series = chart.Series(0);
    for (int b = -35; b <= 35; ++b)
        series.AddPoint(b / 0.7, std::round(900 * std::exp(-b * b / 300.0)));
    chart.SetTitle(QStringLiteral("Count versus microseconds offset"));
    chart.BottomAxis().Title().SetCaption(QStringLiteral("Mean: 0.4 µs,  standard deviation: 12.1 µs"));
}
} // namespace SampleCharts
