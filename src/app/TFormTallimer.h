#pragma once

#include "DocumentSettings.h"
#include "PeerStore.h"
#include "StatisticsDocument.h"
#include "StatisticsFiles.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TChart;
class TFormHistogram;
class TFormSelectPeers;
class TPeerStatsGrid;
class TSummaryGrid;
class TChartView;
class TkstCheckBox;
class TkstComboBox;
class TkstLabeledEdit;
class TkstUpDown;
class TRegistryFormInfo;
class BottomBarLayout;
enum class ChartId;

// The main window: the chart pages, the bottom bar of options, the start-up load and
// every reload. The statistics and the chart models live in its StatisticsDocument; the
// window builds the controls, reads them into DocumentSettings, calls the document and
// shows what it reports. Its pages are built from the chart table.
//
// Every control carries its design name as objectName, so callers (and tests) can find
// it with findChild<...>("CheckBoxLocalTime").
class TFormTallimer : public QWidget
{
    Q_OBJECT

public:
    // arguments: the command line after the program name.
    explicit TFormTallimer(const QStringList& arguments, QWidget* parent = nullptr);
    ~TFormTallimer() override;

    // Re-reads the statistics files last opened and rebuilds every chart and the table.
    void ReloadAll();
    // Rebuilds the seven loop statistics charts from the loop store.
    void RebuildLoopCharts();
    // Rebuilds the peer table and charts from the collected peer lines.
    void RebuildPeerStatistics();
    // Puts the four peer scale spinners back to 0 without a rebuild.
    void ResetPeerScales();

    StatisticsDocument& Document() { return *document_; }
    const StatisticsFiles& Statistics() const { return document_->Files(); }
    const PeerStore& Peers() const { return document_->Peers(); }
    double ZoneOffset() const { return document_->ZoneOffset(); }
    QString ZoneLabel() const { return document_->ZoneLabel(); }
    int PeerDays() const { return document_->PeerDays(); }
    // The values of the controls, as the document takes them.
    DocumentSettings Settings() const;
    // The view of a chart of the pages (by its row's control name); null for none.
    TChartView* ChartView(ChartId id) const;

    // Client area of the window description; the bottom bar grows when the desktop font
    // needs more room, the page area takes the rest.
    static constexpr int DesignClientWidth = 972;
    static constexpr int DesignClientHeight = 526;

signals:
    // Emitted once the start-up load (including the open-file dialog) has finished.
    void StartupLoadFinished();
    void LoopChartsRebuilt();
    void PeerStatisticsRebuilt();
    void Reloaded();
    // The window was closed: the program ends.
    void Closed();

protected:
    // Asks the user for statistics files; an empty list means cancelled.
    virtual QStringList AskForStatisticsFiles();
    // Shows one of the program's modal messages.
    virtual void ShowMessage(const QString& text);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction, in design order.
    void CreatePages();
    QWidget* AddChartPage(QTabWidget* pages, const ChartRow& row);
    void AddPeerTablePage(const ChartRow& row);
    void AddSummaryPage(const ChartRow& row);
    void AddStabilityPeersBox();
    void CreateSetupPage();
    void CreateBottomBar();
    void CreateTimers();
    void CreateCompanionWindows();
    QSpinBox* AddCornerSpinner(TChartView* chart, const char* name, int maximum, const QString& hint);
    void ConnectHandlers();

    // Life of the window.
    void FormCreate();
    void FormShow();
    void TimerStartupTimer();
    void RunCommandLine();
    void ChooseFirstPage();
    void OfferOpenFileDialog();
    void SetCaptionFromFiles();
    void FormDestroy();

    // Handlers of the bottom bar and the pages.
    void CheckBoxLocalTimeClick();
    void CheckBoxPeerstatsLANClick();
    void CheckBoxWhitePlotBackgroundClick();
    void CheckBoxStabilityPeersClick();
    void ShowAnalysisSummary();
    void ComboBoxAutoUpdateChange();
    void PlotChangedClick();
    void UpDownPlotChangeClick();
    void UpDownPeerClick();
    void TimerAutoUpdateTimer();
    void TimerDelayedPlotUpdateTimer();
    void TimerUpDownChangeTimer();
    void PageControlGraphChange();
    void PageControlLoopstatsChartChange();
    void DropFileTargetDrop(const QStringList& names);

    // Page show and hide notifications: a page is on view when its own page control
    // shows it and the page that contains it is on view.
    void NotePageViews();
    void TabSheetOffsetShow();
    void TabSheetOffsetHide();
    void TabSheetJitterShow();
    void TabSheetJitterHide();
    void TabSheetLoopstatsSummaryShow();
    void TabSheetLoopstatsSummaryHide();
    void TabSheetPeerstatsSummaryShow();
    void TabSheetPeerstatsSummaryHide();
    void TabSheetSetupHide();
    // The files hint and the LAN box describe the page on view after a rebuild.
    void ShowFilesOfPageOnView();

    void ShowOffsetControls(bool visible);
    void ShowJitterControls(bool visible);
    void ButtonSaveClick();
    void ChartPeerstatsContextPopup();
    void ShowLoopOutcome(const LoopRebuildOutcome& outcome);
    void RereadLastOpened();
    bool HavePeersToShow() const;
    bool IsOnView(QWidget* page) const;
    std::vector<TChartView*> ChartViews(ChartGroup group) const;
    // Shows a message modally; reloads asked for meanwhile wait until it is closed.
    void Message(const QString& text);

public:
    // Pages.
    QTabWidget* PageControlGraph = nullptr;
    QTabWidget* PageControlLoopstatsChart = nullptr;
    QTabWidget* PageControlPeerstatsChart = nullptr;
    QTabWidget* PageControlAnalysis = nullptr;
    QWidget* TabSheetLoopstatsSummary = nullptr;
    QWidget* TabSheetPeerstatsSummary = nullptr;
    QWidget* TabSheetAnalysis = nullptr;
    QWidget* TabSheetStability = nullptr;
    QWidget* TabSheetSummary = nullptr;
    QWidget* TabSheetSetup = nullptr;
    QWidget* TabSheetOffset = nullptr;
    QWidget* TabSheetOffsetVsTOD = nullptr;
    QWidget* TabSheetAbsFrequency = nullptr;
    QWidget* TabSheetFrequency = nullptr;
    QWidget* TabSheetFreqVsTOD = nullptr;
    QWidget* TabSheetJitter = nullptr;
    QWidget* TabSheetLoopstatsPollInterval = nullptr;
    QWidget* TabSheetPeerTable = nullptr;
    QWidget* TabSheetPeerOffset = nullptr;
    QWidget* TabSheetPeerDelay = nullptr;
    QWidget* TabSheetDispersion = nullptr;
    QWidget* TabSheetPeerJitter = nullptr;

    // Charts.
    TChartView* ChartOffsets = nullptr;
    TChartView* ChartOffsetVsTOD = nullptr;
    TChartView* ChartAbsFrequency = nullptr;
    TChartView* ChartFrequency = nullptr;
    TChartView* ChartFreqVsTOD = nullptr;
    TChartView* ChartJitter = nullptr;
    TChartView* ChartLoopstatsPollInterval = nullptr;
    TChartView* ChartPeerstatsOffset = nullptr;
    TChartView* ChartPeerstatsDelay = nullptr;
    TChartView* ChartPeerstatsDispersion = nullptr;
    TChartView* ChartPeerstatsJitter = nullptr;
    TPeerStatsGrid* StringGridPeerstats = nullptr;
    TChartView* ChartStability = nullptr;
    TSummaryGrid* StringGridSummary = nullptr;
    // "Peers too", in the stability chart's upper left corner.
    TkstCheckBox* CheckBoxStabilityPeers = nullptr;
    QSpinBox* UpDownJitterScale = nullptr;
    QSpinBox* UpDownPeerOffsets = nullptr;
    QSpinBox* UpDownPeerDelay = nullptr;
    QSpinBox* UpDownPeerDispersion = nullptr;
    QSpinBox* UpDownPeerJitter = nullptr;

    // Setup page.
    QGroupBox* GroupBoxPeerstatsThresholds = nullptr;
    TkstLabeledEdit* LabeledEditMaxPeerOffset = nullptr;
    TkstLabeledEdit* LabeledEditMaxPeerDelay = nullptr;
    TkstLabeledEdit* LabeledEditMaxPeerDispersion = nullptr;
    TkstLabeledEdit* LabeledEditMaxPeerJitter = nullptr;
    TkstCheckBox* CheckBoxAbbreviateDirectoryName = nullptr;

    // Bottom bar.
    TkstUpDown* UpDownPlotHours = nullptr;
    QLabel* LabelPlotHours = nullptr;
    QLabel* LabelSuggestHistogram = nullptr;
    TkstCheckBox* CheckBoxExponentialAverage = nullptr;
    TkstUpDown* UpDownHoursToAverage = nullptr;
    QLabel* LabelHoursToAverage = nullptr;
    TkstCheckBox* CheckBoxClipOffsets = nullptr;
    TkstCheckBox* CheckBoxWhitePlotBackground = nullptr;
    TkstCheckBox* CheckBoxLocalTime = nullptr;
    TkstCheckBox* CheckBoxIgnoreDataGaps = nullptr;
    TkstCheckBox* CheckBoxJitterFirst = nullptr;
    TkstCheckBox* CheckBoxPeerstatsFirst = nullptr;
    TkstCheckBox* CheckBoxPeerstatsLAN = nullptr;
    QLabel* LabelAutoUpdate = nullptr;
    TkstComboBox* ComboBoxAutoUpdate = nullptr;
    QLabel* LabelFilesHint = nullptr;
    TkstCheckBox* CheckBoxSaveWithDatePrefix = nullptr;
    QPushButton* ButtonSave = nullptr;
    QPushButton* ButtonClose = nullptr;
    QLabel* PanelReadingData = nullptr;

    // The two windows created with this one and living as long.
    TFormHistogram* FormHistogram = nullptr;
    TFormSelectPeers* FormSelectPeers = nullptr;

    // Timers.
    QTimer TimerStartup;
    QTimer TimerAutoUpdate;
    QTimer TimerDelayedPlotUpdate;
    QTimer TimerUpDownChange;

private:
    QStringList arguments_;
    // Made before any view: the views show its chart models.
    std::unique_ptr<StatisticsDocument> document_ = std::make_unique<StatisticsDocument>();
    std::unique_ptr<TRegistryFormInfo> formInfo_;
    std::unique_ptr<BottomBarLayout> bottomBar_;

    bool reloadInProgress_ = false;
    bool resettingPeerScales_ = false;
    bool shown_ = false;
    int messageDepth_ = 0;
    bool reloadPending_ = false;

    // Which pages were on view when last looked, for the show/hide notifications.
    bool offsetOnView_ = false;
    bool jitterOnView_ = false;
    bool loopstatsOnView_ = false;
    bool peerstatsOnView_ = false;
    bool setupOnView_ = false;
};
