#include "StatisticsDocument.h"

#include "Captions.h"
#include "ChartColor.h"
#include "CommandLine.h"
#include "LoopChartRebuild.h"
#include "PeerFilesHint.h"
#include "PeerRebuild.h"
#include "TimeZoneQuery.h"

#include <QLocale>

namespace {

struct RegisteredChart
{
    ChartRow Row;
    ChartBuilder Build;
};

std::vector<RegisteredChart>& RegisteredCharts()
{
    static std::vector<RegisteredChart> charts;
    return charts;
}

// The table in its final order: the built-in rows, each registered row after the last
// row of its group.
std::vector<RegisteredChart> ChartTableRows()
{
    std::vector<RegisteredChart> rows;
    for (const ChartRow& row : BuiltInChartRows())
        rows.push_back({ row, nullptr });
    for (const RegisteredChart& extra : RegisteredCharts()) {
        auto at = rows.end();
        for (auto it = rows.begin(); it != rows.end(); ++it)
            if (it->Row.Group == extra.Row.Group)
                at = it + 1;
        rows.insert(at, extra);
    }
    return rows;
}

} // namespace

StatisticsDocument::StatisticsDocument(QObject* parent)
    : QObject(parent)
{
    files_.HavePeerData = false;
    for (RegisteredChart& entry : ChartTableRows()) {
        TChart* model = nullptr;
        if (entry.Row.Id == ChartId::Histo) {
            model = &histogram_.Chart();
        } else if (entry.Row.Id != ChartId::PeerTable && entry.Row.Id != ChartId::AnalysisSummary) {
            models_.push_back(std::make_unique<TChart>());
            model = models_.back().get();
            ConfigureChart(*model, entry.Row.Id);
        }
        charts_.push_back({ entry.Row, model, std::move(entry.Build) });
    }
    peerTableRows_.push_back(PeerTableHeaders());
}

StatisticsDocument::~StatisticsDocument() = default;

void StatisticsDocument::RegisterChart(const ChartRow& row, ChartBuilder build)
{
    RegisteredCharts().push_back({ row, std::move(build) });
}

const DocumentChart* StatisticsDocument::FindChart(ChartId id) const
{
    for (const DocumentChart& chart : charts_)
        if (chart.Row.Id == id)
            return &chart;
    return nullptr;
}

TChart& StatisticsDocument::Chart(ChartId id)
{
    return *FindChart(id)->Model;
}

const TChart& StatisticsDocument::Chart(ChartId id) const
{
    return *FindChart(id)->Model;
}

void StatisticsDocument::SetLocalTime(bool localTime)
{
    if (!localTime) {
        zoneOffset_ = 0;
        zoneLabel_ = QStringLiteral("UTC");
        return;
    }
    const TimeZoneAnswer zone = QueryTimeZone();
    zoneOffset_ = zone.Ok ? zone.BiasMinutes / 1440.0 : 0.0;
    zoneLabel_ = zone.Label;
}

void StatisticsDocument::ReadZoneIntoFiles(const DocumentSettings& settings)
{
    files_.ZoneOffset = zoneOffset_;
    files_.ZoneLabel = zoneLabel_;
    files_.AbbreviateDirectoryName = settings.AbbreviateDirectoryName;
}

void StatisticsDocument::OpenCommandLine(const QStringList& arguments, const DocumentSettings& settings)
{
    ReadZoneIntoFiles(settings);
    try {
        const StartupCommand command = ParseCommandLine(arguments);
        peerDays_ = command.PeerDays;
        if (command.IsList)
            files_.OpenFileList(command.Files);
        else
            files_.OpenPath(command.Path);
    } catch (...) {
        // Whatever was read stays; the load goes on with what it has.
    }
}

void StatisticsDocument::OpenChosen(const QStringList& names, const DocumentSettings& settings)
{
    if (names.isEmpty())
        return;
    ReadZoneIntoFiles(settings);
    try {
        if (names.size() == 1)
            files_.OpenPath(names.front());
        else
            files_.OpenFileList(names);
    } catch (...) { }
}

void StatisticsDocument::OpenDropped(const QStringList& names, const DocumentSettings& settings)
{
    files_.FileList.clear();
    files_.LoopFilesRead.clear();
    files_.PeerFilesRead.clear();
    files_.SelectedPeers.clear();
    if (names.isEmpty())
        return;
    ReadZoneIntoFiles(settings);
    try {
        files_.OpenFileList(names);
    } catch (...) { }
}

void StatisticsDocument::RereadLastOpened(const DocumentSettings& settings)
{
    // Before anything was opened there is nothing to read again.
    if (files_.FileList.isEmpty() && files_.LastPath.isEmpty())
        return;
    ReadZoneIntoFiles(settings);
    try {
        files_.RereadLastOpened();
    } catch (...) { }
}

LoopRebuildOutcome StatisticsDocument::RebuildLoopCharts(
    const DocumentSettings& settings, bool reloadInProgress, bool busy)
{
    LoopRebuildInputs inputs;
    inputs.Store = &files_.Loop;
    inputs.LatestTime = files_.LatestTime;
    inputs.ZoneLabel = zoneLabel_;
    inputs.DirectoryLabel = files_.DirectoryLabel;
    inputs.LoopFilesRead = files_.LoopFilesRead;
    inputs.PlotHours = settings.PlotHours;
    inputs.HoursToAverage = settings.HoursToAverage;
    inputs.ExponentialAverage = settings.ExponentialAverage;
    inputs.IgnoreDataGaps = settings.IgnoreDataGaps;
    inputs.ClipOffsets = settings.ClipOffsets;
    inputs.JitterScalePosition = settings.JitterScalePosition;
    inputs.JitterScaleChosen = files_.JitterScaleChosen;
    inputs.ReloadInProgress = reloadInProgress;
    inputs.ShowBusy = busy;

    const LoopChartSet charts { &Chart(ChartId::Offsets), &Chart(ChartId::OffsetVsTOD), &Chart(ChartId::AbsFrequency),
        &Chart(ChartId::Frequency), &Chart(ChartId::FreqVsTOD), &Chart(ChartId::Jitter),
        &Chart(ChartId::LoopstatsPollInterval) };
    LoopRebuildResults results = BuildLoopCharts(inputs, charts);

    files_.JitterScaleChosen = results.JitterScaleChosen;
    plottedPointCount_ = results.Plotted ? results.PlottedPointCount : 0;
    histogram_.TakeOffsets(std::move(results.OffsetCopy), results.OffsetClipLimit);
    loopWindow_ = results.Plotted ? CopyLoopWindow(files_.Loop, results.PlottedDataSet, results.PlottedFirst,
                      results.PlottedLast, results.FirstPlottedTime, files_.LatestTime)
                                  : LoopWindowSamples {};
    RunBuilders(ChartGroup::Loop, settings);
    RebuildAnalysis(settings);
    ApplyPlotBackground(settings.WhitePlotBackground);
    emit LoopChartsRebuilt();
    return { results.Messages, results.JitterScalePosition, results.Plotted };
}

void StatisticsDocument::RebuildPeerStatistics(const DocumentSettings& settings, Records records)
{
    PeerRebuildInputs inputs;
    inputs.PeerDays = peerDays_;
    inputs.LanOnly = settings.PeerstatsLAN;
    inputs.SelectedPeers = files_.SelectedPeers;
    inputs.ThresholdTexts = settings.PeerThresholds;
    inputs.ScaleSteps = settings.PeerScaleSteps;
    inputs.ZoneOffset = zoneOffset_;
    inputs.ZoneLabel = zoneLabel_;
    inputs.DirectoryLabel = files_.DirectoryLabel;
    inputs.Sort = settings.PeerSort;
    inputs.Locale = QLocale();

    const PeerCharts charts { &Chart(ChartId::PeerstatsOffset), &Chart(ChartId::PeerstatsDelay),
        &Chart(ChartId::PeerstatsDispersion), &Chart(ChartId::PeerstatsJitter) };
    // The samples are views of the series about to be replaced.
    if (!files_.PeerRecords.empty())
        peerSamples_.clear();
    const PeerRebuildResult result = records == Records::Released
        ? ::RebuildPeerStatistics(std::move(files_.PeerRecords), inputs, peerStore_, files_.LatestTime, charts)
        : ::RebuildPeerStatistics(files_.PeerRecords, inputs, peerStore_, files_.LatestTime, charts);
    if (result.Rebuilt) {
        peerTableRows_.resize(1);
        peerTableRows_.insert(peerTableRows_.end(), result.TableRows.begin(), result.TableRows.end());
        peerSamples_ = PeerSamplesFromCharts(peerStore_.PeerNames,
            { PeerChartPoints { charts[PeerOffsetChart], result.Scales[PeerOffsetChart].Microseconds },
                PeerChartPoints { charts[PeerDelayChart], result.Scales[PeerDelayChart].Microseconds },
                PeerChartPoints { charts[PeerJitterChart], result.Scales[PeerJitterChart].Microseconds } });
    }
    RunBuilders(ChartGroup::Peer, settings);
    RebuildAnalysis(settings);
    ApplyPlotBackground(settings.WhitePlotBackground);
    emit PeerStatisticsRebuilt();
}

StatisticsDocument::AnalysisBatch::AnalysisBatch(StatisticsDocument& document)
    : document_(document)
{
    ++document_.analysisBatches_;
}

StatisticsDocument::AnalysisBatch::~AnalysisBatch()
{
    if (--document_.analysisBatches_ > 0 || !document_.pendingAnalysis_)
        return;
    const DocumentSettings settings = std::move(*document_.pendingAnalysis_);
    document_.pendingAnalysis_.reset();
    document_.RebuildAnalysis(settings);
}

LoopRebuildOutcome StatisticsDocument::ReloadAll(const DocumentSettings& settings, bool busy)
{
    const AnalysisBatch batch(*this);
    RereadLastOpened(settings);
    LoopRebuildOutcome outcome = RebuildLoopCharts(settings, true, busy);
    RebuildPeerStatistics(settings);
    return outcome;
}

void StatisticsDocument::ReleaseRecords(StatisticsKind kind)
{
    if (kind == StatisticsKind::Loop)
        files_.Loop = LoopStore {};
    else if (kind == StatisticsKind::Peer)
        files_.PeerRecords = PeerRecordStore {};
    // The long columns were mappings of their own and are gone with them. The heap keeps
    // what it freed: the images drawn next fill it again, and fresh pages cost far more
    // than reused ones.
}

void StatisticsDocument::RebuildAnalysis(const DocumentSettings& settings)
{
    if (analysisBatches_ > 0) {
        pendingAnalysis_ = settings;
        return;
    }
    stability_ = EstimateStability(loopWindow_, peerSamples_, settings.StabilityPeers, zoneLabel_);
    BuildStabilityChart(stability_, Chart(ChartId::Stability));
    summaryRows_ = BuildSummaryRows(loopWindow_, peerSamples_);
    RunBuilders(ChartGroup::Analysis, settings);
    ApplyPlotBackground(settings.WhitePlotBackground);
    emit AnalysisRebuilt();
}

void StatisticsDocument::RunBuilders(ChartGroup group, const DocumentSettings& settings)
{
    for (const DocumentChart& chart : charts_)
        if (chart.Row.Group == group && chart.Build && chart.Model)
            chart.Build(*this, settings, *chart.Model);
}

void StatisticsDocument::ApplyPlotBackground(bool white)
{
    const ChartColor colour = white ? ChartColors::White : ChartColor::ButtonFace();
    const int grey = white ? 183 : 72;
    const ChartColor zoomPen(grey, grey, grey);
    for (const DocumentChart& chart : charts_) {
        if (!chart.Model || chart.Row.Group == ChartGroup::Histogram)
            continue;
        chart.Model->SetColor(colour);
        chart.Model->SetZoomPenColor(zoomPen);
    }
}

QString StatisticsDocument::Caption() const
{
    if (!files_.SingleFileName.isEmpty())
        return SingleFileCaption(files_.SingleFileName, files_.LatestTime, zoneLabel_);
    return files_.Caption;
}

QString StatisticsDocument::LoopFilesHint() const
{
    return ::LoopFilesHint(plottedPointCount_, files_.LoopFilesRead);
}

QString StatisticsDocument::PeerFilesHint() const
{
    return ::PeerFilesHint(files_.PeerFilesRead);
}

double StatisticsDocument::ReferenceHighestX(ChartGroup group) const
{
    const TChart& chart = Chart(group == ChartGroup::Peer ? ChartId::PeerstatsOffset : ChartId::Offsets);
    return HighestXOnAxis(chart, chart.BottomAxis());
}

void StatisticsDocument::SetChartSize(QSize size)
{
    for (const DocumentChart& chart : charts_)
        if (chart.Model && chart.Row.Group != ChartGroup::Histogram)
            chart.Model->SetSize(size.width(), size.height());
}
