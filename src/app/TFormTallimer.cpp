#include "TFormTallimer.h"

#include "TChartView.h"

#include "AutoUpdateChoice.h"
#include "BottomBarLayout.h"
#include "Captions.h"
#include "ChartConfiguration.h"
#include "ChartImageSaving.h"
#include "CommandLine.h"
#include "LoopChartRebuild.h"
#include "PeerContextPopup.h"
#include "PeerRebuild.h"
#include "PopupMenuShowHisto.h"
#include "TFormHistogram.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"
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
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int StartupDelayMs = 13;
constexpr int DelayedRebuildMs = 50;
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

QString JoinedNames(const QStringList& names)
{
    QString text;
    for (const QString& name : names)
        text += name + QLatin1Char('\n');
    return text;
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

// ---------------------------------------------------------------------------------
// Construction

void TFormTallimer::CreatePages()
{
    PageControlGraph = new QTabWidget(this);
    PageControlGraph->setObjectName(QStringLiteral("PageControlGraph"));
    PageControlGraph->setDocumentMode(false);

    TabSheetLoopstatsSummary = new QWidget;
    TabSheetLoopstatsSummary->setObjectName(QStringLiteral("TabSheetLoopstatsSummary"));
    PageControlLoopstatsChart = new QTabWidget(TabSheetLoopstatsSummary);
    PageControlLoopstatsChart->setObjectName(QStringLiteral("PageControlLoopstatsChart"));
    auto* loopLayout = new QVBoxLayout(TabSheetLoopstatsSummary);
    loopLayout->setContentsMargins(4, 4, 4, 4);
    loopLayout->addWidget(PageControlLoopstatsChart);
    PageControlGraph->addTab(TabSheetLoopstatsSummary, QStringLiteral("Loopstats"));

    TabSheetPeerstatsSummary = new QWidget;
    TabSheetPeerstatsSummary->setObjectName(QStringLiteral("TabSheetPeerstatsSummary"));
    PageControlPeerstatsChart = new QTabWidget(TabSheetPeerstatsSummary);
    PageControlPeerstatsChart->setObjectName(QStringLiteral("PageControlPeerstatsChart"));
    auto* peerLayout = new QVBoxLayout(TabSheetPeerstatsSummary);
    peerLayout->setContentsMargins(4, 4, 4, 4);
    peerLayout->addWidget(PageControlPeerstatsChart);
    PageControlGraph->addTab(TabSheetPeerstatsSummary, QStringLiteral("Peerstats"));

    TabSheetSetup = new QWidget;
    TabSheetSetup->setObjectName(QStringLiteral("TabSheetSetup"));
    PageControlGraph->addTab(TabSheetSetup, QStringLiteral("Setup"));

    auto* loop = PageControlLoopstatsChart;
    TabSheetOffset = AddChartPage(loop, "TabSheetOffset", ChartOffsets, "ChartOffsets", ChartId::Offsets);
    TabSheetOffsetVsTOD = AddChartPage(loop, "TabSheetOffsetVsTOD", ChartOffsetVsTOD, "ChartOffsetVsTOD",
                                       ChartId::OffsetVsTOD);
    TabSheetAbsFrequency = AddChartPage(loop, "TabSheetAbsFrequency", ChartAbsFrequency, "ChartAbsFrequency",
                                        ChartId::AbsFrequency);
    TabSheetFrequency = AddChartPage(loop, "TabSheetFrequency", ChartFrequency, "ChartFrequency",
                                     ChartId::Frequency);
    TabSheetFreqVsTOD = AddChartPage(loop, "TabSheetFreqVsTOD", ChartFreqVsTOD, "ChartFreqVsTOD",
                                     ChartId::FreqVsTOD);
    TabSheetJitter = AddChartPage(loop, "TabSheetJitter", ChartJitter, "ChartJitter", ChartId::Jitter);
    TabSheetLoopstatsPollInterval = AddChartPage(loop, "TabSheetLoopstatsPollInterval",
                                                 ChartLoopstatsPollInterval, "ChartLoopstatsPollInterval",
                                                 ChartId::LoopstatsPollInterval);
    UpDownJitterScale = AddCornerSpinner(ChartJitter, "UpDownJitterScale", 17,
                                         QStringLiteral("Change the jitter scale"));

    auto* peers = PageControlPeerstatsChart;
    TabSheetPeerTable = new QWidget;
    TabSheetPeerTable->setObjectName(QStringLiteral("TabSheetPeerTable"));
    StringGridPeerstats = new TPeerStatsGrid(TabSheetPeerTable);
    StringGridPeerstats->setObjectName(QStringLiteral("StringGridPeerstats"));
    auto* tableLayout = new QVBoxLayout(TabSheetPeerTable);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(StringGridPeerstats);
    peers->addTab(TabSheetPeerTable, QStringLiteral("Table"));

    TabSheetPeerOffset = AddChartPage(peers, "TabSheetPeerOffset", ChartPeerstatsOffset, "ChartPeerstatsOffset",
                                      ChartId::PeerstatsOffset);
    TabSheetPeerDelay = AddChartPage(peers, "TabSheetPeerDelay", ChartPeerstatsDelay, "ChartPeerstatsDelay",
                                     ChartId::PeerstatsDelay);
    TabSheetDispersion = AddChartPage(peers, "TabSheetDispersion", ChartPeerstatsDispersion,
                                      "ChartPeerstatsDispersion", ChartId::PeerstatsDispersion);
    TabSheetPeerJitter = AddChartPage(peers, "TabSheetPeerJitter", ChartPeerstatsJitter, "ChartPeerstatsJitter",
                                      ChartId::PeerstatsJitter);
    const QString scaleHint = QStringLiteral("Change scale");
    UpDownPeerOffsets = AddCornerSpinner(ChartPeerstatsOffset, "UpDownPeerOffsets", 100, scaleHint);
    UpDownPeerDelay = AddCornerSpinner(ChartPeerstatsDelay, "UpDownPeerDelay", 100, scaleHint);
    UpDownPeerDispersion = AddCornerSpinner(ChartPeerstatsDispersion, "UpDownPeerDispersion", 100, scaleHint);
    UpDownPeerJitter = AddCornerSpinner(ChartPeerstatsJitter, "UpDownPeerJitter", 100, scaleHint);
    // The peer pages open on their offset chart.
    peers->setCurrentWidget(TabSheetPeerOffset);
}

QWidget* TFormTallimer::AddChartPage(QTabWidget* pages, const char* pageName, TChartView*& chart,
                                     const char* chartName, ChartId id)
{
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(pageName));
    chart = new TChartView(page);
    chart->setObjectName(QLatin1String(chartName));
    ConfigureChart(chart->Chart(), id);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart);
    pages->addTab(page, PageCaption(id));
    return page;
}

QSpinBox* TFormTallimer::AddCornerSpinner(TChartView* chart, const char* name, int maximum, const QString& hint)
{
    auto* spinner = new QSpinBox(chart);
    spinner->setObjectName(QLatin1String(name));
    spinner->setRange(0, maximum);
    spinner->setValue(0);
    spinner->setWrapping(false);
    spinner->setToolTip(hint);
    spinner->setKeyboardTracking(false);
    spinner->resize(spinner->sizeHint());
    // Keeps it in the chart's lower left corner when the chart is resized.
    chart->installEventFilter(this);
    return spinner;
}

void TFormTallimer::CreateSetupPage()
{
    GroupBoxPeerstatsThresholds = new QGroupBox(QStringLiteral(" Peerstats Thresholds "), TabSheetSetup);
    GroupBoxPeerstatsThresholds->setObjectName(QStringLiteral("GroupBoxPeerstatsThresholds"));
    GroupBoxPeerstatsThresholds->setToolTip(QStringLiteral("Don't plot outliers beyond these thresholds"));
    auto* thresholds = new QVBoxLayout(GroupBoxPeerstatsThresholds);

    auto addThreshold = [&](const char* name, const char* namedAs, const char* caption) {
        auto* edit = new TkstLabeledEdit(QLatin1String(caption), GroupBoxPeerstatsThresholds);
        edit->setObjectName(QLatin1String(name));
        edit->SetNamedAs(QLatin1String(namedAs));
        edit->SetDigitsOnly(true);
        edit->setText(QStringLiteral("0"));
        thresholds->addWidget(edit);
        return edit;
    };
    LabeledEditMaxPeerOffset = addThreshold("LabeledEditMaxPeerOffset", "MaxPeerOffset", "Max peer offset (ms)");
    LabeledEditMaxPeerDelay = addThreshold("LabeledEditMaxPeerDelay", "MaxPeerDelay", "Max peer delay (ms)");
    LabeledEditMaxPeerDispersion = addThreshold("LabeledEditMaxPeerDispersion", "MaxPeerDispersion",
                                                "Max peer dispersion (ms)");
    LabeledEditMaxPeerJitter = addThreshold("LabeledEditMaxPeerJitter", "MaxPeerJitter", "Max peer jitter (ms)");

    CheckBoxAbbreviateDirectoryName = new TkstCheckBox(QStringLiteral("Abbreviate directory name"), TabSheetSetup);
    CheckBoxAbbreviateDirectoryName->setObjectName(QStringLiteral("CheckBoxAbbreviateDirectoryName"));
    CheckBoxAbbreviateDirectoryName->SetNamedAs(QStringLiteral("AbbreviateDirectoryName"));
    CheckBoxAbbreviateDirectoryName->setToolTip(
        QStringLiteral("Only display final element of the path on graph X axis"));
    CheckBoxAbbreviateDirectoryName->setChecked(true);

    auto* setup = new QVBoxLayout(TabSheetSetup);
    setup->setContentsMargins(16, 16, 16, 16);
    setup->setSpacing(12);
    auto* row = new QHBoxLayout;
    row->addWidget(GroupBoxPeerstatsThresholds);
    row->addStretch(1);
    setup->addLayout(row);
    setup->addWidget(CheckBoxAbbreviateDirectoryName);
    setup->addStretch(1);
}

void TFormTallimer::CreateBottomBar()
{
    auto checkBox = [this](const char* name, const char* namedAs, const char* caption, bool checked,
                           const char* hint) {
        auto* box = new TkstCheckBox(QLatin1String(caption), this);
        box->setObjectName(QLatin1String(name));
        box->SetNamedAs(QLatin1String(namedAs));
        box->setChecked(checked);
        if (hint)
            box->setToolTip(QLatin1String(hint));
        return box;
    };
    auto label = [this](const char* name, const char* caption, bool wrapped) {
        auto* l = new QLabel(QLatin1String(caption), this);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(wrapped);
        return l;
    };
    auto upDown = [this](const char* name, const char* namedAs, int low, int high, int position) {
        auto* spinner = new TkstUpDown(this);
        spinner->setObjectName(QLatin1String(name));
        spinner->SetNamedAs(QLatin1String(namedAs));
        spinner->setRange(low, high);
        spinner->setValue(position);
        // A typed number takes effect when it is complete, not at every digit.
        spinner->setKeyboardTracking(false);
        return spinner;
    };

    UpDownPlotHours = upDown("UpDownPlotHours", "PlotHours", 12, 168, 12);
    LabelPlotHours = label("LabelPlotHours", "Data hours", true);
    LabelSuggestHistogram = label("LabelSuggestHistogram", "Right-click graph for histogram", false);
    CheckBoxExponentialAverage = checkBox("CheckBoxExponentialAverage", "ExponentialAverage", "Weighted", false,
                                          "Check to use a weighted average for jitter");
    UpDownHoursToAverage = upDown("UpDownHoursToAverage", "HoursToAverage", 1, 12, 6);
    LabelHoursToAverage = label("LabelHoursToAverage", "Hours to average", true);
    CheckBoxClipOffsets = checkBox("CheckBoxClipOffsets", "ClipOffsets", "Clip offsets", true, nullptr);
    CheckBoxWhitePlotBackground = checkBox("CheckBoxWhitePlotBackground", "WhitePlotBackground",
                                           "White background", false, nullptr);
    CheckBoxLocalTime = checkBox("CheckBoxLocalTime", "LocalTime", "Local time", false, nullptr);
    CheckBoxIgnoreDataGaps = checkBox("CheckBoxIgnoreDataGaps", "IgnoreDataGaps", "Ignore data gaps", false,
                                      "Plot data continuously, ignoring gaps greater than 60 minutes");
    CheckBoxJitterFirst = checkBox("CheckBoxJitterFirst", "JitterFirst", "Jitter first", false,
                                   "Check to show the Jitter tab on startup");
    CheckBoxPeerstatsFirst = checkBox("CheckBoxPeerstatsFirst", "PeerstatsFirst", "Peerstats first", false,
                                      nullptr);
    CheckBoxPeerstatsLAN = checkBox("CheckBoxPeerstatsLAN", "PeerstatsLAN", "LAN peerstats", false,
                                    "Check to show only LAN peerstats");
    LabelAutoUpdate = label("LabelAutoUpdate", "Auto update", false);
    ComboBoxAutoUpdate = new TkstComboBox(this);
    ComboBoxAutoUpdate->setObjectName(QStringLiteral("ComboBoxAutoUpdate"));
    ComboBoxAutoUpdate->SetNamedAs(QStringLiteral("AutoUpdate"));
    for (const char* choice : AutoUpdateChoices)
        ComboBoxAutoUpdate->addItem(QLatin1String(choice));
    ComboBoxAutoUpdate->setCurrentIndex(0);
    LabelFilesHint = label("LabelFilesHint", "Files hint", true);
    // The label is there for its hint; the cursor says so.
    LabelFilesHint->setCursor(Qt::WhatsThisCursor);
    CheckBoxSaveWithDatePrefix = checkBox("CheckBoxSaveWithDatePrefix", "SaveWithDatePrefix", "Save with prefix",
                                          false, "Save images with yyyy-mm-dd prefix");
    ButtonSave = new QPushButton(QStringLiteral("Save"), this);
    ButtonSave->setObjectName(QStringLiteral("ButtonSave"));
    ButtonClose = new QPushButton(QStringLiteral("Close"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));

    // Hidden until the offset page is on view.
    LabelPlotHours->hide();
    LabelSuggestHistogram->hide();
    CheckBoxPeerstatsLAN->hide();

    PanelReadingData = new QLabel(QStringLiteral("Reading data ... please wait"), this);
    PanelReadingData->setObjectName(QStringLiteral("PanelReadingData"));
    PanelReadingData->setAlignment(Qt::AlignCenter);
    PanelReadingData->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelReadingData->setAutoFillBackground(true);
    PanelReadingData->setGeometry(420, 192, 249, 161);

    BottomBarLayout::Controls bar;
    bar.UpDownPlotHours = UpDownPlotHours;
    bar.LabelPlotHours = LabelPlotHours;
    bar.LabelSuggestHistogram = LabelSuggestHistogram;
    bar.CheckBoxExponentialAverage = CheckBoxExponentialAverage;
    bar.UpDownHoursToAverage = UpDownHoursToAverage;
    bar.LabelHoursToAverage = LabelHoursToAverage;
    bar.CheckBoxClipOffsets = CheckBoxClipOffsets;
    bar.ColumnB[0] = CheckBoxWhitePlotBackground;
    bar.ColumnB[1] = CheckBoxLocalTime;
    bar.ColumnB[2] = CheckBoxIgnoreDataGaps;
    bar.ColumnC[0] = CheckBoxJitterFirst;
    bar.ColumnC[1] = CheckBoxPeerstatsFirst;
    bar.ColumnC[2] = CheckBoxPeerstatsLAN;
    bar.LabelAutoUpdate = LabelAutoUpdate;
    bar.ComboBoxAutoUpdate = ComboBoxAutoUpdate;
    bar.LabelFilesHint = LabelFilesHint;
    bar.CheckBoxSaveWithDatePrefix = CheckBoxSaveWithDatePrefix;
    bar.ButtonSave = ButtonSave;
    bar.ButtonClose = ButtonClose;
    bottomBar_ = std::make_unique<BottomBarLayout>(bar);
}

void TFormTallimer::CreateTimers()
{
    TimerStartup.setObjectName(QStringLiteral("TimerStartup"));
    TimerStartup.setSingleShot(true);
    TimerStartup.setInterval(StartupDelayMs);
    TimerAutoUpdate.setObjectName(QStringLiteral("TimerAutoUpdate"));
    TimerDelayedPlotUpdate.setObjectName(QStringLiteral("TimerDelayedPlotUpdate"));
    TimerDelayedPlotUpdate.setSingleShot(true);
    TimerDelayedPlotUpdate.setInterval(DelayedRebuildMs);
    TimerUpDownChange.setObjectName(QStringLiteral("TimerUpDownChange"));
    TimerUpDownChange.setSingleShot(true);
    TimerUpDownChange.setInterval(DelayedRebuildMs);
}

void TFormTallimer::CreateCompanionWindows()
{
    FormHistogram = new TFormHistogram(this);
    FormHistogram->setObjectName(QStringLiteral("FormHistogram"));
    FormSelectPeers = new TFormSelectPeers(this);
    FormSelectPeers->setObjectName(QStringLiteral("FormSelectPeers"));
    FormSelectPeers->SetResetPeerScales([this] { ResetPeerScales(); });

    ChartOffsets->SetContextMenu(CreatePopupMenuShowHisto(*FormHistogram, ChartOffsets));
    for (TChartView* view : PeerChartViews())
        view->SetRightClickHandler([this](QPoint) { ChartPeerstatsContextPopup(); });
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
    LabelFilesHint->setToolTip(QStringLiteral("Peerstats values used from:\n\n") + JoinedNames(files_.PeerFilesRead));
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
