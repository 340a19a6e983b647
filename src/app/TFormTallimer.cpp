#include "TFormTallimer.h"

#include "AutoUpdateChoice.h"
#include "BottomBarLayout.h"
#include "Captions.h"
#include "ChartImageSaving.h"
#include "CommandLine.h"
#include "LoopChartRebuild.h"
#include "PeerContextPopup.h"
#include "PeerFilesHint.h"
#include "PeerRebuild.h"
#include "TFormHistogram.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"
#include "TChartView.h"
#include "TallimerImageHost.h"
#include "TRegistryFormInfo.h"
#include "TimeZoneQuery.h"
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
    connect(CheckBoxWhitePlotBackground, &QCheckBox::clicked, this,
            &TFormTallimer::CheckBoxWhitePlotBackgroundClick);
    connect(CheckBoxExponentialAverage, &QCheckBox::clicked, this, &TFormTallimer::PlotChangedClick);
    connect(ComboBoxAutoUpdate, &QComboBox::activated, this, &TFormTallimer::ComboBoxAutoUpdateChange);

    for (QSpinBox* spinner : { static_cast<QSpinBox*>(UpDownPlotHours),
                               static_cast<QSpinBox*>(UpDownHoursToAverage), UpDownJitterScale })
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
    connect(StringGridPeerstats, &TPeerStatsGrid::SortChanged, this, &TFormTallimer::ReloadAll);

    // F5 is looked for in every key release of the application, wherever the focus is.
    qApp->installEventFilter(this);
}

// ---------------------------------------------------------------------------------
// Life of the window

void TFormTallimer::FormCreate()
{
    // The window takes the desktop's font as the application has it (no own font).
    files_.HavePeerData = false;
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
    RebuildLoopCharts();
    RebuildPeerStatistics();
    ChooseFirstPage();
    SetCaptionFromFiles();
    if (files_.LoopFileLines.empty() && files_.Loop.DataSetCount == 0)
        OfferOpenFileDialog();
    // The list shows the auto-update choice stored last time; make it true.
    ComboBoxAutoUpdateChange();
    emit StartupLoadFinished();
}

void TFormTallimer::RunCommandLine()
{
    ReadZoneIntoFiles();
    try {
        const StartupCommand command = ParseCommandLine(arguments_);
        peerDays_ = command.PeerDays;
        if (command.IsList)
            files_.OpenFileList(command.Files);
        else
            files_.OpenPath(command.Path);
    } catch (...) {
        // Whatever was read stays; the load goes on with what it has.
    }
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
    ReadZoneIntoFiles();
    try {
        if (chosen.size() == 1)
            files_.OpenPath(chosen.front());
        else
            files_.OpenFileList(chosen);
    } catch (...) {
    }
    RebuildLoopCharts();
    // The dialog offers peer files too; their table and charts must not stay empty.
    RebuildPeerStatistics();
    SetCaptionFromFiles();
}

QStringList TFormTallimer::AskForStatisticsFiles()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({ QStringLiteral("Loop and peer statistics (loop*.2* peer*.2*)"),
                            QStringLiteral("All files (*)") });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void TFormTallimer::SetCaptionFromFiles()
{
    if (!files_.SingleFileName.isEmpty())
        setWindowTitle(SingleFileCaption(files_.SingleFileName, files_.LatestTime, zoneLabel_));
    else if (!files_.Caption.isEmpty())
        setWindowTitle(files_.Caption);
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

void TFormTallimer::ReadZoneIntoFiles()
{
    files_.ZoneOffset = zoneOffset_;
    files_.ZoneLabel = zoneLabel_;
    files_.AbbreviateDirectoryName = CheckBoxAbbreviateDirectoryName->isChecked();
}

void TFormTallimer::RereadLastOpened()
{
    // Before anything was opened there is nothing to read again.
    if (files_.FileList.isEmpty() && files_.LastPath.isEmpty())
        return;
    ReadZoneIntoFiles();
    try {
        files_.RereadLastOpened();
    } catch (...) {
    }
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
    RebuildLoopCharts();
    RebuildPeerStatistics();
    SetCaptionFromFiles();
    reloadInProgress_ = false;
    emit Reloaded();
}

void TFormTallimer::RebuildLoopCharts()
{
    LoopRebuildInputs inputs;
    inputs.Store = &files_.Loop;
    inputs.LatestTime = files_.LatestTime;
    inputs.ZoneLabel = zoneLabel_;
    inputs.DirectoryLabel = files_.DirectoryLabel;
    inputs.LoopFilesRead = files_.LoopFilesRead;
    inputs.PlotHours = UpDownPlotHours->value();
    inputs.HoursToAverage = UpDownHoursToAverage->value();
    inputs.ExponentialAverage = CheckBoxExponentialAverage->isChecked();
    inputs.IgnoreDataGaps = CheckBoxIgnoreDataGaps->isChecked();
    inputs.ClipOffsets = CheckBoxClipOffsets->isChecked();
    inputs.JitterScalePosition = UpDownJitterScale->value();
    inputs.JitterScaleChosen = files_.JitterScaleChosen;
    inputs.ReloadInProgress = reloadInProgress_;
    inputs.ShowBusy = true;

    const LoopChartSet charts{ &ChartOffsets->Chart(), &ChartOffsetVsTOD->Chart(), &ChartAbsFrequency->Chart(),
                               &ChartFrequency->Chart(), &ChartFreqVsTOD->Chart(), &ChartJitter->Chart(),
                               &ChartLoopstatsPollInterval->Chart() };
    LoopRebuildResults results = BuildLoopCharts(inputs, charts);

    // Setting the spinner is no click of the user's: it must not start another rebuild.
    {
        const QSignalBlocker quiet(UpDownJitterScale);
        UpDownJitterScale->setValue(results.JitterScalePosition);
    }
    files_.JitterScaleChosen = results.JitterScaleChosen;
    plottedPointCount_ = results.Plotted ? results.PlottedPointCount : 0;
    LabelHoursToAverage->setToolTip(QString());
    if (FormHistogram)
        FormHistogram->TakeOffsets(std::move(results.OffsetCopy), results.OffsetClipLimit);
    ShowFilesOfPageOnView();
    ApplyPlotBackground();
    emit LoopChartsRebuilt();

    for (const QString& message : results.Messages)
        Message(message);
}

void TFormTallimer::RebuildPeerStatistics()
{
    PeerRebuildInputs inputs;
    inputs.PeerDays = peerDays_;
    inputs.LanOnly = CheckBoxPeerstatsLAN->isChecked();
    inputs.SelectedPeers = files_.SelectedPeers;
    inputs.ThresholdTexts = { LabeledEditMaxPeerOffset->text(), LabeledEditMaxPeerDelay->text(),
                              LabeledEditMaxPeerDispersion->text(), LabeledEditMaxPeerJitter->text() };
    inputs.ScaleSteps = { UpDownPeerOffsets->value(), UpDownPeerDelay->value(), UpDownPeerDispersion->value(),
                          UpDownPeerJitter->value() };
    inputs.ZoneOffset = zoneOffset_;
    inputs.ZoneLabel = zoneLabel_;
    inputs.DirectoryLabel = files_.DirectoryLabel;
    inputs.Sort = StringGridPeerstats->SortState();
    inputs.Locale = QLocale();

    const PeerCharts charts{ &ChartPeerstatsOffset->Chart(), &ChartPeerstatsDelay->Chart(),
                             &ChartPeerstatsDispersion->Chart(), &ChartPeerstatsJitter->Chart() };
    const PeerRebuildResult result
        = ::RebuildPeerStatistics(files_.PeerLines, inputs, peerStore_, files_.LatestTime, charts);
    if (result.Rebuilt)
        StringGridPeerstats->ShowPeerRows(result.TableRows);
    ShowFilesOfPageOnView();
    ApplyPlotBackground();
    emit PeerStatisticsRebuilt();
}

bool TFormTallimer::HavePeersToShow() const
{
    return !peerStore_.PeerNames.isEmpty();
}

void TFormTallimer::ChartPeerstatsContextPopup()
{
    if (!FormSelectPeers)
        return;
    // A copy: an auto update may rebuild the peer store while the dialog is open.
    const std::vector<PeerLineCount> offered = peerStore_.PeerLineCounts;
    ::ChartPeerstatsContextPopup(offered, *FormSelectPeers, files_.SelectedPeers, [this] {
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
    const ChartImageSaveResult result = SaveChartImages(host, CheckBoxSaveWithDatePrefix->isChecked());
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

std::vector<TChartView*> TFormTallimer::LoopChartViews() const
{
    return { ChartOffsets, ChartOffsetVsTOD, ChartAbsFrequency, ChartFrequency,
             ChartFreqVsTOD, ChartJitter, ChartLoopstatsPollInterval };
}

std::vector<TChartView*> TFormTallimer::PeerChartViews() const
{
    return { ChartPeerstatsOffset, ChartPeerstatsDelay, ChartPeerstatsDispersion, ChartPeerstatsJitter };
}

void TFormTallimer::ApplyPlotBackground()
{
    const bool white = CheckBoxWhitePlotBackground->isChecked();
    const ChartColor colour = white ? ChartColors::White : ChartColor::ButtonFace();
    const int grey = white ? 183 : 72;
    const ChartColor zoomPen(grey, grey, grey);
    std::vector<TChartView*> views = LoopChartViews();
    for (TChartView* view : PeerChartViews())
        views.push_back(view);
    for (TChartView* view : views) {
        view->Chart().SetColor(colour);
        view->Chart().SetZoomPenColor(zoomPen);
    }
}

// ---------------------------------------------------------------------------------
// Handlers

void TFormTallimer::CheckBoxLocalTimeClick()
{
    if (!CheckBoxLocalTime->isChecked()) {
        zoneOffset_ = 0;
        zoneLabel_ = QStringLiteral("UTC");
    } else {
        const TimeZoneAnswer zone = QueryTimeZone();
        // A zone that cannot be asked falls back to UTC as a whole: times shifted by an
        // earlier zone must not be labelled UTC.
        zoneOffset_ = zone.Ok ? zone.BiasMinutes / 1440.0 : 0.0;
        zoneLabel_ = zone.Label;
    }
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
    ApplyPlotBackground();
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
    } catch (...) {
    }
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
    files_.FileList.clear();
    files_.LoopFilesRead.clear();
    files_.PeerFilesRead.clear();
    files_.SelectedPeers.clear();
    if (names.isEmpty())
        return;
    ReadZoneIntoFiles();
    try {
        files_.OpenFileList(names);
    } catch (...) {
    }
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
        for (QSpinBox* spinner : { UpDownJitterScale, UpDownPeerOffsets, UpDownPeerDelay,
                                   UpDownPeerDispersion, UpDownPeerJitter }) {
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
    PanelReadingData->move((width() - PanelReadingData->width()) / 2,
                           (height() - barHeight - PanelReadingData->height()) / 2);
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
    LabelFilesHint->setToolTip(PeerFilesHint(files_.PeerFilesRead));
    CheckBoxPeerstatsLAN->show();
}

void TFormTallimer::TabSheetPeerstatsSummaryHide()
{
    LabelFilesHint->setToolTip(LoopFilesHint(plottedPointCount_, files_.LoopFilesRead));
    CheckBoxPeerstatsLAN->hide();
}

void TFormTallimer::TabSheetSetupHide()
{
    // All four thresholds are stored as the page is left, so that none of them depends
    // on the program ending normally.
    for (TkstLabeledEdit* threshold : { LabeledEditMaxPeerOffset, LabeledEditMaxPeerDelay,
                                        LabeledEditMaxPeerDispersion, LabeledEditMaxPeerJitter })
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
