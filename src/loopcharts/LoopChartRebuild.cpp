#include "LoopChartRebuild.h"

#include "DateTime.h"
#include "DayColour.h"
#include "HourBuckets.h"
#include "JitterScale.h"
#include "LoopStore.h"
#include "MovingAverage.h"
#include "OffsetScale.h"
#include "PlotWindow.h"
#include "PollInterval.h"
#include "RebuildBusyScope.h"
#include "TChart.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr double OneSecond = 1.0 / 86400;
constexpr std::int32_t MinimumSamples = 16;
constexpr double PollAxisBottom = 4; // seconds; gap markers drop the poll line to it
const QString DateTimePattern = QStringLiteral("yyyy-mmm-dd hh:nn");

// One data set's arrays, limited to the samples every array really holds.
struct DataSet
{
    QString Name;
    std::int32_t Count = 0;
    const double* Times = nullptr;
    const double* Offsets = nullptr;
    const double* Frequencies = nullptr;
    const double* Jitters = nullptr;
    const std::int32_t* PollExponents = nullptr;
};

std::int32_t UsableDataSetCount(const LoopStore& store)
{
    const std::size_t n = std::min(
        { store.DataSetNames.size(), store.PointCounts.size(), store.LoopTimes.size(), store.LoopOffsets.size(),
            store.LoopFrequencies.size(), store.LoopJitters.size(), store.LoopPollExponents.size() });
    return std::clamp<std::int32_t>(store.DataSetCount, 0, static_cast<std::int32_t>(n));
}

DataSet DataSetAt(const LoopStore& store, std::int32_t s)
{
    const auto i = static_cast<std::size_t>(s);
    DataSet set;
    set.Name = store.DataSetNames[i];
    const std::size_t held = std::min({ store.LoopTimes[i].size(), store.LoopOffsets[i].size(),
        store.LoopFrequencies[i].size(), store.LoopJitters[i].size(), store.LoopPollExponents[i].size() });
    set.Count = std::clamp<std::int32_t>(store.PointCounts[i], 0, static_cast<std::int32_t>(held));
    set.Times = store.LoopTimes[i].data();
    set.Offsets = store.LoopOffsets[i].data();
    set.Frequencies = store.LoopFrequencies[i].data();
    set.Jitters = store.LoopJitters[i].data();
    set.PollExponents = store.LoopPollExponents[i].data();
    return set;
}

double TimeOfDay(double t)
{
    return t - std::trunc(t);
}

double ClipTo(double value, double limit)
{
    return std::fabs(value) > limit ? std::copysign(limit, value) : value;
}

std::unique_ptr<TLineSeries> NewSeries(const QString& title)
{
    auto series = std::make_unique<TLineSeries>();
    series->SetTitle(title);
    series->XValues.DateTime = true;
    return series;
}

// The series of one data set while they are filled, before they go to their charts.
struct DataSetSeries
{
    std::unique_ptr<TLineSeries> Offset;
    std::unique_ptr<TLineSeries> Rms;
    std::unique_ptr<TLineSeries> AbsFrequency;
    std::unique_ptr<TLineSeries> FrequencyDelta;
    std::unique_ptr<TLineSeries> Jitter;
    std::unique_ptr<TLineSeries> PollInterval;
    std::unique_ptr<TLineSeries> Average;
    // The current day series of the two time-of-day charts.
    std::unique_ptr<TLineSeries> OffsetDay;
    std::unique_ptr<TLineSeries> FrequencyDay;

    TLineSeries* Batched[5] = {};
};

class LoopChartBuilder
{
public:
    LoopChartBuilder(const LoopRebuildInputs& inputs, const LoopChartSet& chartSet, LoopRebuildResults& results)
        : in(inputs)
        , charts(chartSet)
        , out(results)
        , plotHours(std::clamp(inputs.PlotHours, 12, 168))
        , average(inputs.ExponentialAverage, std::clamp(inputs.HoursToAverage, 1, 12))
    { }

    void Run();

private:
    void ChooseJitterScale(const DataSet& first);
    void Process(const DataSet& set);
    void CreateSeries(const QString& name);
    void StartDayIfNew(double t);
    void Pass(const DataSet& set, const PlotWindow& window);
    void AddGapMarkers(double previous, double current);
    void AddRmsLine();
    void AttachAll();
    void SetBottomTitles();
    void SetJitterAxes();

    const LoopRebuildInputs& in;
    const LoopChartSet& charts;
    LoopRebuildResults& out;
    const int plotHours;
    const TMovingAverage average;

    std::int32_t dataSetCount = 0;
    double gapThreshold = 1.0 / 24;
    double jitterFullScale = 0;
    int dayColourCounter = 0;

    // Per data set.
    OffsetScale scale;
    double meanFrequency = 0;
    double dayCounter = 0;
    double previousFrequency = 0;
    double firstPlottedTime = 0;
    DataSetSeries series;
    THourBuckets buckets;
    std::vector<double> averages;
};

void LoopChartBuilder::Run()
{
    TChart* all[] = { charts.Offsets, charts.OffsetVsTOD, charts.AbsFrequency, charts.Frequency, charts.FreqVsTOD,
        charts.Jitter, charts.LoopstatsPollInterval };
    for (TChart* chart : all)
        RemoveAllSeries(*chart);
    charts.LoopstatsPollInterval->LeftAxis().SetMinimum(PollAxisBottom);

    out.JitterScalePosition = std::clamp(in.JitterScalePosition, JitterScaleMinPosition, JitterScaleMaxPosition);
    out.JitterScaleChosen = in.JitterScaleChosen;
    dataSetCount = in.Store ? UsableDataSetCount(*in.Store) : 0;
    if (dataSetCount == 0)
        return;
    const DataSet first = DataSetAt(*in.Store, 0);
    if (first.Count < MinimumSamples) {
        out.Messages << QStringLiteral("Too few data points (%1), at least 16 are required.").arg(first.Count);
        return;
    }

    std::optional<TRebuildBusyScope> busy;
    if (in.ShowBusy)
        busy.emplace();

    ChooseJitterScale(first);
    gapThreshold = in.IgnoreDataGaps ? 365.0 : 1.0 / 24;
    dayColourCounter = 0;
    for (std::int32_t s = 0; s < dataSetCount; ++s) {
        const DataSet set = DataSetAt(*in.Store, s);
        if (set.Count > 0) {
            Process(set);
            out.PlottedDataSet = s;
        }
    }
    out.Plotted = true;
    out.FilesHint = LoopFilesHint(out.PlottedPointCount, in.LoopFilesRead);
}

void LoopChartBuilder::ChooseJitterScale(const DataSet& first)
{
    const double median = MedianJitter(first.Times, first.Jitters, first.Count, plotHours);
    if (!out.JitterScaleChosen && !in.ReloadInProgress) {
        out.JitterScalePosition = JitterScaleForMedian(median);
        out.JitterScaleChosen = true;
    }
    jitterFullScale = JitterFullScaleAt(out.JitterScalePosition);
}

void LoopChartBuilder::Process(const DataSet& set)
{
    const PlotWindow window = FindPlotWindow(set.Times, set.Count, plotHours, true);
    if (window.Cut) {
        out.Messages << QStringLiteral("Warning: too many points to plot!  Earliest will now be:") + QLatin1Char('\n')
                + FormatDateTime(set.Times[window.First], DateTimePattern);
    }

    double frequencySum = 0;
    double absOffsetSum = 0;
    for (std::int32_t i = window.First; i <= window.Last; ++i) {
        frequencySum += set.Frequencies[i];
        absOffsetSum += std::fabs(set.Offsets[i]);
    }
    meanFrequency = frequencySum / window.Count();
    scale.ClipLimitUs = OffsetClipLimitFor(absOffsetSum / window.Count(), in.ClipOffsets, dataSetCount);

    CreateSeries(set.Name);
    firstPlottedTime = 0;
    for (TLineSeries* s : series.Batched)
        s->BeginUpdate();
    Pass(set, window);
    AddRmsLine();
    for (TLineSeries* s : series.Batched)
        s->EndUpdate();

    out.OffsetCopy = std::make_unique<TLineSeries>();
    out.OffsetCopy->CopyFrom(*series.Offset);
    out.OffsetClipLimit = scale.ClipLimitUs;
    out.FirstPlottedTime = firstPlottedTime;
    out.PlottedPointCount = window.Count();
    out.PlottedFirst = window.First;
    out.PlottedLast = window.Last;

    AttachAll();
    out.JitterScaleChosen = true;
    SetBottomTitles();
    SetJitterAxes();
}

void LoopChartBuilder::CreateSeries(const QString& name)
{
    series = DataSetSeries {};
    series.Offset = NewSeries(name);
    series.Rms = NewSeries(QStringLiteral("RMS"));
    series.Rms->SetSeriesColor(ChartColors::Black);
    series.AbsFrequency = NewSeries(name);
    series.FrequencyDelta = NewSeries(name);
    series.Jitter = NewSeries(name);
    series.PollInterval = NewSeries(name);
    series.Average = NewSeries(QStringLiteral("%1 avg.").arg(name));
    series.Average->SetVertAxis(VerticalAxis::Right);

    const bool inLegend = dataSetCount > 1;
    series.Batched[0] = series.Offset.get();
    series.Batched[1] = series.AbsFrequency.get();
    series.Batched[2] = series.FrequencyDelta.get();
    series.Batched[3] = series.Jitter.get();
    series.Batched[4] = series.PollInterval.get();
    for (TLineSeries* s : series.Batched)
        s->SetShowInLegend(inLegend);
    series.Average->SetShowInLegend(inLegend);

    dayCounter = 0;
    previousFrequency = 0;
    buckets.Reset();
}

void LoopChartBuilder::StartDayIfNew(double t)
{
    const double day = std::trunc(t);
    // The day counter starts at 0, so normally the window's first sample starts a day.
    // A time stamp on or before day 0 would not, and its points need a series too.
    const bool haveDay = series.OffsetDay != nullptr;
    if (haveDay && !(dayCounter < day))
        return;
    dayCounter = day;
    const QString title = FormatDateTime(t, QStringLiteral("yyyy-mmm-dd"));
    const ChartColor colour = DayColour(dayColourCounter);
    if (series.OffsetDay)
        AttachSeries(*charts.OffsetVsTOD, std::move(series.OffsetDay));
    series.OffsetDay = NewSeries(title);
    series.OffsetDay->SetSeriesColor(colour);
    if (series.FrequencyDay)
        AttachSeries(*charts.FreqVsTOD, std::move(series.FrequencyDay));
    series.FrequencyDay = NewSeries(title);
    series.FrequencyDay->SetSeriesColor(colour);
    ++dayColourCounter;
}

void LoopChartBuilder::Pass(const DataSet& set, const PlotWindow& window)
{
    const std::size_t n = static_cast<std::size_t>(window.Count());
    for (TLineSeries* s : series.Batched)
        s->ReservePoints(n);
    series.Average->ReservePoints(n);
    averages.resize(n);
    average.Fill(set.Times, set.Jitters, window.First, window.Last, averages.data());
    const double averageFullScale = jitterFullScale / 10;

    double previousTime = 0;
    for (std::int32_t i = window.First; i <= window.Last; ++i) {
        const double t = set.Times[i];
        if (firstPlottedTime == 0)
            firstPlottedTime = t;
        StartDayIfNew(t);
        if (i == window.First)
            previousTime = t;
        buckets.Add(t, set.Offsets[i], i == window.Last);

        const double offset = scale.Drawn(set.Offsets[i]);
        const double frequency = set.Frequencies[i];
        const double delta = frequency - meanFrequency;
        const double jitter = DrawnJitter(set.Jitters[i], jitterFullScale);
        const double movingAverage = ClipTo(averages[static_cast<std::size_t>(i - window.First)], averageFullScale);
        const std::optional<double> poll = PollIntervalSeconds(set.PollExponents[i]);

        if (t - previousTime > gapThreshold)
            AddGapMarkers(previousTime, t);

        const double timeOfDay = TimeOfDay(t);
        series.Offset->AddPoint(t, offset);
        series.OffsetDay->AddPoint(timeOfDay, offset);
        series.AbsFrequency->AddPoint(t, frequency);
        // Frequencies near the largest double overflow the mean; such a delta cannot be
        // drawn, so it is left out rather than plotted as an infinity.
        if (std::isfinite(delta)) {
            series.FrequencyDelta->AddPoint(t, delta);
            series.FrequencyDay->AddPoint(timeOfDay, delta);
        }
        if (poll)
            series.PollInterval->AddPoint(t, *poll);
        series.Jitter->AddPoint(t, jitter);
        series.Average->AddPoint(t, movingAverage);

        previousFrequency = frequency;
        previousTime = t;
    }
}

void LoopChartBuilder::AddGapMarkers(double previous, double current)
{
    // Each line drops to its floor one second after the last sample before the gap and
    // comes back one second before the first after it; the frequency stays level.
    const double a = previous + OneSecond;
    const double b = current - OneSecond;
    const auto both = [a, b](TLineSeries& s, double y) {
        s.AddPoint(a, y);
        s.AddPoint(b, y);
    };
    both(*series.Offset, 0);
    series.OffsetDay->AddPoint(TimeOfDay(a), 0);
    series.OffsetDay->AddPoint(TimeOfDay(b), 0);
    both(*series.AbsFrequency, previousFrequency);
    both(*series.FrequencyDelta, 0);
    series.FrequencyDay->AddPoint(TimeOfDay(a), 0);
    series.FrequencyDay->AddPoint(TimeOfDay(b), 0);
    both(*series.Jitter, 0);
    both(*series.Average, 0);
    both(*series.PollInterval, PollAxisBottom);
}

void LoopChartBuilder::AddRmsLine()
{
    for (const HourRms& record : buckets.Records()) {
        const double r = scale.DrawnRms(record.Rms, in.ClipOffsets);
        // Offsets near the largest double overflow the squares behind an hour's RMS; an
        // infinite RMS has no place on the axis, so that hour gets no line.
        if (r > 0 && std::isfinite(r)) {
            series.Rms->AddPoint(record.Start, r);
            series.Rms->AddPoint(record.Start + record.Duration, r);
        }
    }
}

void LoopChartBuilder::AttachAll()
{
    AttachSeries(*charts.Offsets, std::move(series.Offset));
    AttachSeries(*charts.Offsets, std::move(series.Rms));
    AttachSeries(*charts.OffsetVsTOD, std::move(series.OffsetDay));
    AttachSeries(*charts.AbsFrequency, std::move(series.AbsFrequency));
    AttachSeries(*charts.Frequency, std::move(series.FrequencyDelta));
    AttachSeries(*charts.FreqVsTOD, std::move(series.FrequencyDay));
    const QString offsetTitle = QString::fromUtf8(scale.AxisTitle());
    charts.Offsets->LeftAxis().Title().SetCaption(offsetTitle);
    charts.OffsetVsTOD->LeftAxis().Title().SetCaption(offsetTitle);
    AttachSeries(*charts.Jitter, std::move(series.Jitter));
    AttachSeries(*charts.Jitter, std::move(series.Average));
    charts.Jitter->LeftAxis().SetMinimum(0);
    AttachSeries(*charts.LoopstatsPollInterval, std::move(series.PollInterval));
    series = DataSetSeries {};
}

void LoopChartBuilder::SetBottomTitles()
{
    const QString prefix = in.DirectoryLabel.isEmpty() ? QString() : in.DirectoryLabel + QStringLiteral("  -  ");
    const QString dated = prefix + PlottedSpanText(firstPlottedTime, in.LatestTime, in.ZoneLabel);
    for (TChart* chart :
        { charts.Offsets, charts.Jitter, charts.Frequency, charts.AbsFrequency, charts.LoopstatsPollInterval })
        chart->BottomAxis().Title().SetCaption(dated);
    const QString timeOfDay = prefix + QStringLiteral("Time (") + in.ZoneLabel + QLatin1Char(')');
    charts.OffsetVsTOD->BottomAxis().Title().SetCaption(timeOfDay);
    charts.FreqVsTOD->BottomAxis().Title().SetCaption(timeOfDay);
}

void LoopChartBuilder::SetJitterAxes()
{
    TChart& chart = *charts.Jitter;
    TChartAxis& left = chart.LeftAxis();
    TChartAxis& right = chart.RightAxis();
    left.SetMaximum(jitterFullScale);
    left.Title().SetCaption(QStringLiteral("Jitter - \u00b5s"));
    right.SetMaximum(jitterFullScale / 10);
    right.Title().SetCaption(QStringLiteral("Moving average - \u00b5s"));
    if (chart.SeriesCount() >= 1) {
        left.Title().SetFontColor(chart.Series(0).SeriesColor());
        left.SetLabelsFontColor(chart.Series(0).SeriesColor());
    }
    right.SetMinimum(0);
    if (chart.SeriesCount() >= 2) {
        right.Title().SetFontColor(chart.Series(1).SeriesColor());
        right.SetLabelsFontColor(chart.Series(1).SeriesColor());
    }
}

} // namespace

LoopRebuildResults BuildLoopCharts(const LoopRebuildInputs& inputs, const LoopChartSet& charts)
{
    LoopRebuildResults results;
    LoopChartBuilder(inputs, charts, results).Run();
    return results;
}

QString PlottedSpanText(double firstPlottedTime, double latestTime, const QString& zoneLabel)
{
    const bool sameDay = std::trunc(latestTime) == std::trunc(firstPlottedTime);
    return FormatDateTime(firstPlottedTime, DateTimePattern) + QStringLiteral(" to ")
        + FormatDateTime(latestTime, sameDay ? QStringLiteral("hh:nn") : DateTimePattern) + QLatin1Char(' ')
        + zoneLabel;
}

QString LoopFilesHint(std::int32_t plottedPointCount, const QStringList& loopFilesRead)
{
    QString hint = QString::number(plottedPointCount) + QStringLiteral(" loopstats values used from:\n\n");
    for (const QString& name : loopFilesRead)
        hint += name + QLatin1Char('\n');
    return hint;
}
