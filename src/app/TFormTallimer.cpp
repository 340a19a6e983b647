#include "TFormTallimer.h"

#include "AutoUpdateChoice.h"
#include "BottomBarLayout.h"
#include "ChartImageSaving.h"
#include "PeerContextPopup.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"
#include "TRegistryFormInfo.h"
#include "TSummaryGrid.h"
#include "TallimerImageHost.h"
#include "TkstCheckBox.h"
#include "TkstComboBox.h"
#include "TkstLabeledEdit.h"
#include "TkstUpDown.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

constexpr int MillisecondsPerMinute = 60000;

QStringList LocalFilesOf(const QMimeData* mime)
{
    QStringList names;
    if (!mime || !mime->hasUrls())
        return names;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            names.append(url.toLocalFile());
    return names;
}

} // namespace

TFormTallimer::TFormTallimer(const QStringList& arguments, QWidget* parent)
    : QWidget(parent)
    , arguments_(arguments)
{
    setObjectName(QStringLiteral("FormTallimer"));
    setWindowTitle(QStringLiteral("Tallimer"));
    resize(DesignClientWidth, DesignClientHeight);

    CreatePages();
    CreateSetupPage();
    CreateBottomBar();
    CreateTimers();

    // Every self-persisting control shows its stored state before any handler is
    // connected or the window's own creation logic runs.
    LoadPersistentControls(this);

    FormCreate();
    ConnectHandlers();
    CreateCompanionWindows();
}

TFormTallimer::~TFormTallimer()
{
    FormDestroy();
    // The views go before the document whose charts they show.
    delete PageControlGraph;
    delete FormHistogram;
}

void TFormTallimer::ConnectHandlers()
{
    connect(&TimerStartup, &QTimer::timeout, this, &TFormTallimer::TimerStartupTimer);
    connect(&TimerAutoUpdate, &QTimer::timeout, this, &TFormTallimer::TimerAutoUpdateTimer);
    connect(&TimerDelayedPlotUpdate, &QTimer::timeout, this, &TFormTallimer::TimerDelayedPlotUpdateTimer);
    connect(&TimerUpDownChange, &QTimer::timeout, this, &TFormTallimer::TimerUpDownChangeTimer);

    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ButtonSave, &QPushButton::clicked, this, &TFormTallimer::ButtonSaveClick);
    for (TkstCheckBox* box : { CheckBoxLocalTime, CheckBoxIgnoreDataGaps, CheckBoxClipOffsets })
        connect(box, &QCheckBox::clicked, this, &TFormTallimer::CheckBoxLocalTimeClick);
    connect(CheckBoxPeerstatsLAN, &QCheckBox::clicked, this, &TFormTallimer::CheckBoxPeerstatsLANClick);
    connect(CheckBoxWhitePlotBackground, &QCheckBox::clicked, this, &TFormTallimer::CheckBoxWhitePlotBackgroundClick);
    connect(CheckBoxStabilityPeers, &QCheckBox::clicked, this, &TFormTallimer::CheckBoxStabilityPeersClick);
    connect(document_.get(), &StatisticsDocument::AnalysisRebuilt, this, &TFormTallimer::ShowAnalysisSummary);
    connect(CheckBoxExponentialAverage, &QCheckBox::clicked, this, &TFormTallimer::PlotChangedClick);
    connect(ComboBoxAutoUpdate, &QComboBox::activated, this, &TFormTallimer::ComboBoxAutoUpdateChange);

    for (QSpinBox* spinner :
        { static_cast<QSpinBox*>(UpDownPlotHours), static_cast<QSpinBox*>(UpDownHoursToAverage), UpDownJitterScale })
        connect(spinner, &QSpinBox::valueChanged, this, &TFormTallimer::UpDownPlotChangeClick);
    for (QSpinBox* spinner : { UpDownPeerOffsets, UpDownPeerDelay, UpDownPeerDispersion, UpDownPeerJitter })
        connect(spinner, &QSpinBox::valueChanged, this, &TFormTallimer::UpDownPeerClick);

    connect(PageControlGraph, &QTabWidget::currentChanged, this, [this] {
        NotePageViews();
        PageControlGraphChange();
    });
    connect(PageControlLoopstatsChart, &QTabWidget::currentChanged, this, [this] {
        NotePageViews();
        PageControlLoopstatsChartChange();
    });
    connect(PageControlPeerstatsChart, &QTabWidget::currentChanged, this, &TFormTallimer::NotePageViews);
    connect(PageControlAnalysis, &QTabWidget::currentChanged, this, &TFormTallimer::NotePageViews);
    connect(StringGridPeerstats, &TPeerStatsGrid::SortChanged, this, &TFormTallimer::ReloadAll);

    // F5 is looked for in every key release of the application, wherever the focus is.
    qApp->installEventFilter(this);
}

// ---------------------------------------------------------------------------------
// Life of the window

void TFormTallimer::FormCreate()
{
    // The window takes the desktop's font as the application has it (no own font).
    bottomBar_->Measure();
    // Wide enough for the bottom bar and for the loop chart tabs side by side.
    const int tabsWidth = PageControlLoopstatsChart->tabBar()->sizeHint().width() + 24;
    const QSize minimumClient(std::max({ 850, bottomBar_->MinimumClientWidth(), tabsWidth }), 450);
    setMinimumSize(minimumClient);
    resize(std::max(DesignClientWidth, minimumClient.width()), DesignClientHeight);
    // The placement record takes the window's design geometry as its defaults.
    formInfo_ = std::make_unique<TRegistryFormInfo>(this);
    setAcceptDrops(true);
    ShowJitterControls(false);
}

void TFormTallimer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFormTallimer::FormShow()
{
    formInfo_->Restore();
    CheckBoxLocalTimeClick();
    if (CheckBoxPeerstatsFirst->isChecked())
        PageControlGraph->setCurrentWidget(TabSheetPeerstatsSummary);
    NotePageViews();
    PageControlGraphChange();
    TimerStartup.start();
}

void TFormTallimer::TimerStartupTimer()
{
    TimerStartup.stop();
    ResetPeerScales();

    PanelReadingData->setGeometry(rect());
    PanelReadingData->raise();
    PanelReadingData->show();
    PanelReadingData->repaint();

    RunCommandLine();

    PanelReadingData->hide();
    {
        const StatisticsDocument::AnalysisBatch batch(*document_);
        RebuildLoopCharts();
        RebuildPeerStatistics();
    }
    ChooseFirstPage();
    SetCaptionFromFiles();
    if (Statistics().LoopFileLines.empty() && Statistics().Loop.DataSetCount == 0)
        OfferOpenFileDialog();
    // The list shows the auto-update choice stored last time; make it true.
    ComboBoxAutoUpdateChange();
    emit StartupLoadFinished();
}

void TFormTallimer::RunCommandLine()
{
    document_->OpenCommandLine(arguments_, Settings());
}

void TFormTallimer::ChooseFirstPage()
{
    if (CheckBoxPeerstatsFirst->isChecked() && HavePeersToShow()) {
        PageControlGraph->setCurrentWidget(TabSheetPeerstatsSummary);
        PageControlGraphChange();
        PageControlPeerstatsChart->setCurrentWidget(TabSheetPeerTable);
    } else {
        CheckBoxPeerstatsLAN->hide();
        PageControlGraph->setCurrentWidget(TabSheetLoopstatsSummary);
        PageControlGraphChange();
        if (CheckBoxJitterFirst->isChecked())
            PageControlLoopstatsChart->setCurrentWidget(TabSheetJitter);
    }
}

void TFormTallimer::OfferOpenFileDialog()
{
    const QStringList chosen = AskForStatisticsFiles();
    if (chosen.isEmpty())
        return;
    document_->OpenChosen(chosen, Settings());
    const StatisticsDocument::AnalysisBatch batch(*document_);
    RebuildLoopCharts();
    // The dialog offers peer files too; their table and charts must not stay empty.
    RebuildPeerStatistics();
    SetCaptionFromFiles();
}

QStringList TFormTallimer::AskForStatisticsFiles()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(
        { QStringLiteral("Loop and peer statistics (loop*.2* peer*.2*)"), QStringLiteral("All files (*)") });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void TFormTallimer::SetCaptionFromFiles()
{
    const QString caption = document_->Caption();
    if (!caption.isEmpty())
        setWindowTitle(caption);
}

void TFormTallimer::FormDestroy()
{
    setAcceptDrops(false);
    // The auto-update list keeps its choice only when the focus leaves it; closing the
    // window with the focus still there must not lose the choice.
    QFocusEvent focusOut(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(ComboBoxAutoUpdate, &focusOut);
    formInfo_.reset();
}

void TFormTallimer::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

// ---------------------------------------------------------------------------------
// Reading and rebuilding

DocumentSettings TFormTallimer::Settings() const
{
    DocumentSettings settings;
    settings.PlotHours = UpDownPlotHours->value();
    settings.HoursToAverage = UpDownHoursToAverage->value();
    settings.ExponentialAverage = CheckBoxExponentialAverage->isChecked();
    settings.IgnoreDataGaps = CheckBoxIgnoreDataGaps->isChecked();
    settings.ClipOffsets = CheckBoxClipOffsets->isChecked();
    settings.JitterScalePosition = UpDownJitterScale->value();
    settings.PeerstatsLAN = CheckBoxPeerstatsLAN->isChecked();
    settings.PeerThresholds = { LabeledEditMaxPeerOffset->text(), LabeledEditMaxPeerDelay->text(),
        LabeledEditMaxPeerDispersion->text(), LabeledEditMaxPeerJitter->text() };
    settings.PeerScaleSteps = { UpDownPeerOffsets->value(), UpDownPeerDelay->value(), UpDownPeerDispersion->value(),
        UpDownPeerJitter->value() };
    settings.PeerSort = StringGridPeerstats->SortState();
    settings.StabilityPeers = CheckBoxStabilityPeers->isChecked();
    settings.AbbreviateDirectoryName = CheckBoxAbbreviateDirectoryName->isChecked();
    settings.LocalTime = CheckBoxLocalTime->isChecked();
    settings.WhitePlotBackground = CheckBoxWhitePlotBackground->isChecked();
    settings.SaveWithDatePrefix = CheckBoxSaveWithDatePrefix->isChecked();
    return settings;
}

void TFormTallimer::RereadLastOpened()
{
    document_->RereadLastOpened(Settings());
}

void TFormTallimer::ReloadAll()
{
    // A reload asked for while one of the window's messages is open (an auto update,
    // say) runs when the message is closed: it must neither rebuild under a rebuild in
    // progress nor pile up messages.
    if (messageDepth_ > 0) {
        reloadPending_ = true;
        return;
    }
    RereadLastOpened();
    reloadInProgress_ = true;
    {
        const StatisticsDocument::AnalysisBatch batch(*document_);
        RebuildLoopCharts();
        RebuildPeerStatistics();
    }
    SetCaptionFromFiles();
    reloadInProgress_ = false;
    emit Reloaded();
}

void TFormTallimer::RebuildLoopCharts()
{
    ShowLoopOutcome(document_->RebuildLoopCharts(Settings(), reloadInProgress_, true));
}

void TFormTallimer::ShowLoopOutcome(const LoopRebuildOutcome& outcome)
{
    // Setting the spinner is no click of the user's: it must not start another rebuild.
    {
        const QSignalBlocker quiet(UpDownJitterScale);
        UpDownJitterScale->setValue(outcome.JitterScalePosition);
    }
    LabelHoursToAverage->setToolTip(QString());
    ShowFilesOfPageOnView();
    emit LoopChartsRebuilt();

    for (const QString& message : outcome.Messages)
        Message(message);
}

void TFormTallimer::RebuildPeerStatistics()
{
    document_->RebuildPeerStatistics(Settings());
    const std::vector<PeerTableRow>& rows = document_->PeerTableRows();
    StringGridPeerstats->ShowPeerRows(std::vector<PeerTableRow>(rows.begin() + 1, rows.end()));
    ShowFilesOfPageOnView();
    emit PeerStatisticsRebuilt();
}

bool TFormTallimer::HavePeersToShow() const
{
    return document_->HavePeersToShow();
}

void TFormTallimer::ChartPeerstatsContextPopup()
{
    if (!FormSelectPeers)
        return;
    // A copy: an auto update may rebuild the peer store while the dialog is open.
    const std::vector<PeerLineCount> offered = Peers().PeerLineCounts;
    ::ChartPeerstatsContextPopup(offered, *FormSelectPeers, document_->Files().SelectedPeers, [this] {
        RereadLastOpened();
        RebuildPeerStatistics();
    });
}

void TFormTallimer::ResetPeerScales()
{
    resettingPeerScales_ = true;
    for (QSpinBox* spinner : { UpDownPeerOffsets, UpDownPeerDelay, UpDownPeerDispersion, UpDownPeerJitter })
        spinner->setValue(0);
    resettingPeerScales_ = false;
}

void TFormTallimer::ButtonSaveClick()
{
    TallimerImageHost host(*this);
    std::vector<ChartRow> rows;
    for (const DocumentChart& chart : document_->Charts())
        rows.push_back(chart.Row);
    const ChartImageSaveResult result = SaveChartImages(host, rows, CheckBoxSaveWithDatePrefix->isChecked());
    Message(result.DisplayMessage);
}

void TFormTallimer::ShowMessage(const QString& text)
{
    QMessageBox::information(this, windowTitle(), text);
}

void TFormTallimer::Message(const QString& text)
{
    ++messageDepth_;
    ShowMessage(text);
    --messageDepth_;
    if (messageDepth_ == 0 && reloadPending_) {
        reloadPending_ = false;
        ReloadAll();
    }
}

TChartView* TFormTallimer::ChartView(ChartId id) const
{
    const DocumentChart* chart = document_->FindChart(id);
    if (!chart || !chart->Model || !PageControlGraph)
        return nullptr;
    return PageControlGraph->findChild<TChartView*>(QLatin1String(chart->Row.ControlName));
}

std::vector<TChartView*> TFormTallimer::ChartViews(ChartGroup group) const
{
    std::vector<TChartView*> views;
    for (const DocumentChart& chart : document_->Charts())
        if (chart.Row.Group == group)
            if (TChartView* view = ChartView(chart.Row.Id))
                views.push_back(view);
    return views;
}

// ---------------------------------------------------------------------------------
// Handlers

void TFormTallimer::CheckBoxLocalTimeClick()
{
    document_->SetLocalTime(CheckBoxLocalTime->isChecked());
    if (TimerStartup.isActive())
        return;
    ReloadAll();
}

void TFormTallimer::CheckBoxPeerstatsLANClick()
{
    RereadLastOpened();
    RebuildPeerStatistics();
}

void TFormTallimer::CheckBoxWhitePlotBackgroundClick()
{
    document_->ApplyPlotBackground(CheckBoxWhitePlotBackground->isChecked());
}

void TFormTallimer::CheckBoxStabilityPeersClick()
{
    // The peers' records are at hand: only the estimates are made again.
    document_->RebuildAnalysis(Settings());
}

void TFormTallimer::ShowAnalysisSummary()
{
    StringGridSummary->ShowTable(AnalysisSummaryTable(*document_, SummaryCells::Shown));
}

void TFormTallimer::ComboBoxAutoUpdateChange()
{
    try {
        const int minutes = AutoUpdateMinutes(ComboBoxAutoUpdate->currentText());
        if (minutes <= 0) {
            TimerAutoUpdate.stop();
            return;
        }
        if (minutes > INT_MAX / MillisecondsPerMinute)
            return;
        const int interval = minutes * MillisecondsPerMinute;
        // Choosing the interval already running keeps its count going.
        if (!TimerAutoUpdate.isActive() || TimerAutoUpdate.interval() != interval)
            TimerAutoUpdate.start(interval);
    } catch (...) { }
}

void TFormTallimer::PlotChangedClick()
{
    RebuildLoopCharts();
}

void TFormTallimer::UpDownPlotChangeClick()
{
    // A burst of clicks is gathered into one rebuild; an armed timer is not restarted.
    if (!TimerDelayedPlotUpdate.isActive())
        TimerDelayedPlotUpdate.start();
}

void TFormTallimer::UpDownPeerClick()
{
    if (resettingPeerScales_)
        return;
    if (!TimerUpDownChange.isActive())
        TimerUpDownChange.start();
}

void TFormTallimer::TimerAutoUpdateTimer()
{
    ReloadAll();
}

void TFormTallimer::TimerDelayedPlotUpdateTimer()
{
    TimerDelayedPlotUpdate.stop();
    RebuildLoopCharts();
}

void TFormTallimer::TimerUpDownChangeTimer()
{
    TimerUpDownChange.stop();
    RereadLastOpened();
    RebuildPeerStatistics();
}

void TFormTallimer::DropFileTargetDrop(const QStringList& names)
{
    document_->OpenDropped(names, Settings());
    if (names.isEmpty())
        return;
    const StatisticsDocument::AnalysisBatch batch(*document_);
    RebuildLoopCharts();
    // The dropped files replace the peer statistics as well; a table of the files read
    // before would describe data no longer on view.
    RebuildPeerStatistics();
    SetCaptionFromFiles();
}

void TFormTallimer::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFilesOf(event->mimeData()).isEmpty() && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void TFormTallimer::dropEvent(QDropEvent* event)
{
    const QStringList names = LocalFilesOf(event->mimeData());
    if (names.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFileTargetDrop(names);
}

bool TFormTallimer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F5 && !key->isAutoRepeat()) {
            ReloadAll();
            return true;
        }
    }
    if (event->type() == QEvent::Resize) {
        for (QSpinBox* spinner :
            { UpDownJitterScale, UpDownPeerOffsets, UpDownPeerDelay, UpDownPeerDispersion, UpDownPeerJitter }) {
            if (spinner && spinner->parent() == watched) {
                const auto* chart = static_cast<QWidget*>(watched);
                // The lower left corner, below the value axis: with the desktop font
                // the axis labels reach further down than the design's 36 pixels.
                spinner->move(4, chart->height() - 6 - spinner->height());
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormTallimer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int barHeight = bottomBar_->BarHeight();
    PageControlGraph->setGeometry(0, 0, width(), height() - barHeight);
    bottomBar_->Place(size());
    // Until the start-up load covers the window with it, the panel sits in the middle of
    // the chart area.
    PanelReadingData->move(
        (width() - PanelReadingData->width()) / 2, (height() - barHeight - PanelReadingData->height()) / 2);
}

// ---------------------------------------------------------------------------------
// Pages and the visibility of the bottom bar

bool TFormTallimer::IsOnView(QWidget* page) const
{
    for (QWidget* w = page; w && w != this; w = w->parentWidget()) {
        auto* pages = qobject_cast<QTabWidget*>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr);
        if (pages && pages->indexOf(w) >= 0 && pages->currentWidget() != w)
            return false;
    }
    return true;
}

void TFormTallimer::NotePageViews()
{
    const bool offset = IsOnView(TabSheetOffset);
    const bool jitter = IsOnView(TabSheetJitter);
    const bool loopstats = IsOnView(TabSheetLoopstatsSummary);
    const bool peerstats = IsOnView(TabSheetPeerstatsSummary);
    const bool setup = IsOnView(TabSheetSetup);

    // Pages going out of view first, then those coming into view.
    if (offsetOnView_ && !offset)
        TabSheetOffsetHide();
    if (jitterOnView_ && !jitter)
        TabSheetJitterHide();
    if (loopstatsOnView_ && !loopstats)
        TabSheetLoopstatsSummaryHide();
    if (peerstatsOnView_ && !peerstats)
        TabSheetPeerstatsSummaryHide();
    if (!offsetOnView_ && offset)
        TabSheetOffsetShow();
    if (!jitterOnView_ && jitter)
        TabSheetJitterShow();
    if (!loopstatsOnView_ && loopstats)
        TabSheetLoopstatsSummaryShow();
    if (!peerstatsOnView_ && peerstats)
        TabSheetPeerstatsSummaryShow();
    const bool leftSetup = setupOnView_ && !setup;

    offsetOnView_ = offset;
    jitterOnView_ = jitter;
    loopstatsOnView_ = loopstats;
    peerstatsOnView_ = peerstats;
    setupOnView_ = setup;

    // Last, as it reloads everything.
    if (leftSetup)
        TabSheetSetupHide();
}

void TFormTallimer::PageControlGraphChange()
{
    ShowJitterControls(false);
    ShowOffsetControls(false);
    CheckBoxClipOffsets->hide();
    if (PageControlGraph->currentWidget() == TabSheetAnalysis) {
        // The Analysis page estimates from the plotted window: its length may change here.
        UpDownPlotHours->show();
        LabelPlotHours->show();
        return;
    }
    if (PageControlGraph->currentWidget() != TabSheetLoopstatsSummary)
        return;
    QWidget* loopPage = PageControlLoopstatsChart->currentWidget();
    if (loopPage == TabSheetOffset) {
        ShowOffsetControls(true);
        CheckBoxClipOffsets->show();
    } else if (loopPage == TabSheetOffsetVsTOD) {
        CheckBoxClipOffsets->show();
    } else if (loopPage == TabSheetJitter) {
        ShowJitterControls(true);
    }
}

void TFormTallimer::PageControlLoopstatsChartChange()
{
    QWidget* page = PageControlLoopstatsChart->currentWidget();
    CheckBoxClipOffsets->setVisible(IsOnView(page) && (page == TabSheetOffset || page == TabSheetOffsetVsTOD));
}

void TFormTallimer::TabSheetOffsetShow()
{
    ShowOffsetControls(true);
}

void TFormTallimer::TabSheetOffsetHide()
{
    ShowOffsetControls(false);
}

void TFormTallimer::TabSheetJitterShow()
{
    ShowJitterControls(true);
}

void TFormTallimer::TabSheetJitterHide()
{
    ShowJitterControls(false);
}

void TFormTallimer::TabSheetLoopstatsSummaryShow()
{
    CheckBoxIgnoreDataGaps->show();
}

void TFormTallimer::TabSheetLoopstatsSummaryHide()
{
    CheckBoxIgnoreDataGaps->hide();
}

void TFormTallimer::TabSheetPeerstatsSummaryShow()
{
    LabelFilesHint->setToolTip(document_->PeerFilesHint());
    CheckBoxPeerstatsLAN->show();
}

void TFormTallimer::TabSheetPeerstatsSummaryHide()
{
    LabelFilesHint->setToolTip(document_->LoopFilesHint());
    CheckBoxPeerstatsLAN->hide();
}

void TFormTallimer::TabSheetSetupHide()
{
    // All four thresholds are stored as the page is left, so that none of them depends
    // on the program ending normally.
    for (TkstLabeledEdit* threshold :
        { LabeledEditMaxPeerOffset, LabeledEditMaxPeerDelay, LabeledEditMaxPeerDispersion, LabeledEditMaxPeerJitter })
        threshold->Flush();
    ReloadAll();
}

void TFormTallimer::ShowFilesOfPageOnView()
{
    if (IsOnView(TabSheetPeerstatsSummary))
        TabSheetPeerstatsSummaryShow();
    else
        TabSheetPeerstatsSummaryHide();
}

void TFormTallimer::ShowOffsetControls(bool visible)
{
    UpDownPlotHours->setVisible(visible);
    LabelPlotHours->setVisible(visible);
    LabelSuggestHistogram->setVisible(visible);
}

void TFormTallimer::ShowJitterControls(bool visible)
{
    CheckBoxExponentialAverage->setVisible(visible);
    UpDownHoursToAverage->setVisible(visible);
    LabelHoursToAverage->setVisible(visible);
}
