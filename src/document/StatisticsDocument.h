#pragma once

#include "AnalysisSamples.h"
#include "AnalysisSummary.h"
#include "ChartTable.h"
#include "DocumentSettings.h"
#include "OffsetHistogramModel.h"
#include "PeerStore.h"
#include "PeerTable.h"
#include "StabilityChart.h"
#include "StatisticsFiles.h"
#include "TChart.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class StatisticsDocument;

// Fills a chart that the loop and peer rebuilds do not fill themselves: called after the
// rebuild of its row's group, with the document as rebuilt and the settings it used.
using ChartBuilder = std::function<void(const StatisticsDocument&, const DocumentSettings&, TChart&)>;

// One chart of the document: its row of the chart table and its model (null for the
// peer table and the summary table, which are tables, not charts).
struct DocumentChart
{
    ChartRow Row;
    TChart* Model = nullptr;
    ChartBuilder Build;
};

// What the window shows after a loop chart rebuild.
struct LoopRebuildOutcome
{
    // The program's messages, in order ("Too few data points ...", "Warning: too many
    // points to plot! ...").
    QStringList Messages;
    // Where the jitter scale spinner now stands.
    int JitterScalePosition = 0;
    bool Plotted = false;
};

// The statistics as the program holds them, without any window: the files read and
// what was read from them, the zone in use, the chart models of every chart, the peer
// table's rows and the offset histogram. Its operations take the control values as one
// DocumentSettings and report what a window must show as results; nothing here touches
// a widget, so the window, a run without a display and the tests all use it alike.
class StatisticsDocument : public QObject
{
    Q_OBJECT

public:
    explicit StatisticsDocument(QObject* parent = nullptr);
    ~StatisticsDocument() override;

    // Adds a chart to every document made afterwards, after the built-in rows of its
    // group: one row and the builder that fills it.
    static void RegisterChart(const ChartRow& row, ChartBuilder build);

    // Every chart and the peer table, in the order of the chart table.
    std::span<const DocumentChart> Charts() const { return charts_; }
    const DocumentChart* FindChart(ChartId id) const;
    // The model of a chart; every id with a row but the two tables has one.
    TChart& Chart(ChartId id);
    const TChart& Chart(ChartId id) const;

    StatisticsFiles& Files() { return files_; }
    const StatisticsFiles& Files() const { return files_; }
    const PeerStore& Peers() const { return peerStore_; }
    // The peer table: the header row, then the peers of the last rebuild that had lines.
    const std::vector<PeerTableRow>& PeerTableRows() const { return peerTableRows_; }
    OffsetHistogramModel& Histogram() { return histogram_; }
    const OffsetHistogramModel& Histogram() const { return histogram_; }
    // The Analysis page: the samples behind it, the stability estimates and the rows of
    // the summary table, as the last rebuild left them.
    const LoopWindowSamples& LoopWindow() const { return loopWindow_; }
    const std::vector<PeerSamples>& PeerChartSamples() const { return peerSamples_; }
    const StabilityEstimates& Stability() const { return stability_; }
    const std::vector<SummaryRow>& SummaryRows() const { return summaryRows_; }

    double ZoneOffset() const { return zoneOffset_; }
    QString ZoneLabel() const { return zoneLabel_; }
    // Local time asks the system's zone; a zone that cannot be asked is UTC as a whole,
    // so times shifted by an earlier zone are never labelled UTC.
    void SetLocalTime(bool localTime);
    int PeerDays() const { return peerDays_; }
    bool HavePeersToShow() const { return !peerStore_.PeerNames.isEmpty(); }

    // Reading. Each takes the zone and AbbreviateDirectoryName as they are now; a file
    // that cannot be read never stops the others.
    void OpenCommandLine(const QStringList& arguments, const DocumentSettings& settings);
    // What the open-file dialog gave: one path, or a list of files.
    void OpenChosen(const QStringList& names, const DocumentSettings& settings);
    // Dropped files replace whatever was open, the peer selection included.
    void OpenDropped(const QStringList& names, const DocumentSettings& settings);
    // Reads again what was opened last; nothing before anything was opened.
    void RereadLastOpened(const DocumentSettings& settings);

    // Rebuilds the seven loop charts (and the charts registered for the loop group) and
    // hands the offsets to the histogram. busy: show the hourglass and run at idle
    // priority meanwhile.
    LoopRebuildOutcome RebuildLoopCharts(const DocumentSettings& settings, bool reloadInProgress, bool busy);
    // What becomes of the records a rebuild reads: Released, for a run that never
    // rebuilds them again (as ReleaseRecords, which see), frees them while the rebuild
    // leaves them behind, so that the charts it fills take their memory.
    enum class Records { Kept, Released };
    // Rebuilds the peer table and the four peer charts (and those registered for them).
    void RebuildPeerStatistics(const DocumentSettings& settings, Records records = Records::Kept);
    // Estimates the stability and summarises the samples again (both rebuilds end with it;
    // "Peers too" asks for it alone).
    void RebuildAnalysis(const DocumentSettings& settings);
    // While one is alive, a rebuild that would rebuild the Analysis page leaves it for
    // the end of the last batch, which rebuilds it once with the settings given last:
    // after the loop charts and the peer statistics it would otherwise be done twice.
    class AnalysisBatch
    {
    public:
        explicit AnalysisBatch(StatisticsDocument& document);
        ~AnalysisBatch();
        AnalysisBatch(const AnalysisBatch&) = delete;
        AnalysisBatch& operator=(const AnalysisBatch&) = delete;

    private:
        StatisticsDocument& document_;
    };

    // RereadLastOpened, then both rebuilds; the loop rebuild's outcome.
    LoopRebuildOutcome ReloadAll(const DocumentSettings& settings, bool busy);
    // Frees the records of one kind once its charts are built, for a run that never
    // rebuilds them (one without a window, which saves and ends): the charts, the peer
    // table and the Analysis page stay as they are. Not to be followed by a reading or a
    // rebuild of that kind.
    void ReleaseRecords(StatisticsKind kind);
    // The charts' background (white or the button face) and zoom rectangle colour.
    void ApplyPlotBackground(bool white);

    // The window caption that the files read ask for; empty: keep the caption.
    QString Caption() const;
    // The hints of the files label for the loop and the peer pages.
    QString LoopFilesHint() const;
    QString PeerFilesHint() const;
    // The newest time on the bottom axis of a group's reference chart (ChartOffsets for
    // the loop group and the histogram, ChartPeerstatsOffset for the peers).
    double ReferenceHighestX(ChartGroup group) const;
    // Gives every chart of the pages one size, as a window's pages would.
    void SetChartSize(QSize size);

signals:
    void LoopChartsRebuilt();
    void PeerStatisticsRebuilt();
    void AnalysisRebuilt();

private:
    void ReadZoneIntoFiles(const DocumentSettings& settings);
    void RunBuilders(ChartGroup group, const DocumentSettings& settings);

    StatisticsFiles files_;
    PeerStore peerStore_;
    std::vector<PeerTableRow> peerTableRows_;
    OffsetHistogramModel histogram_;
    std::vector<std::unique_ptr<TChart>> models_;
    std::vector<DocumentChart> charts_;
    double zoneOffset_ = 0;
    QString zoneLabel_ = QStringLiteral("UTC");
    int peerDays_ = 0;
    int plottedPointCount_ = 0;
    LoopWindowSamples loopWindow_;
    std::vector<PeerSamples> peerSamples_;
    StabilityEstimates stability_;
    std::vector<SummaryRow> summaryRows_;
    int analysisBatches_ = 0;
    std::optional<DocumentSettings> pendingAnalysis_;
};
