// The window's controls as the design lays them out: the page tree with its charts, the
// Setup page, the bottom bar and the timers. Behaviour lives in TFormTallimer.cpp.
#include "TFormTallimer.h"

#include "AutoUpdateChoice.h"
#include "BottomBarLayout.h"
#include "CopyDataMenu.h"
#include "PopupMenuShowHisto.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"
#include "TSummaryGrid.h"
#include "TkstCheckBox.h"
#include "TkstComboBox.h"
#include "TkstLabeledEdit.h"
#include "TkstUpDown.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int StartupDelayMs = 13;
constexpr int DelayedRebuildMs = 50;

} // namespace

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

    TabSheetAnalysis = new QWidget;
    TabSheetAnalysis->setObjectName(QStringLiteral("TabSheetAnalysis"));
    PageControlAnalysis = new QTabWidget(TabSheetAnalysis);
    PageControlAnalysis->setObjectName(QStringLiteral("PageControlAnalysis"));
    auto* analysisLayout = new QVBoxLayout(TabSheetAnalysis);
    analysisLayout->setContentsMargins(4, 4, 4, 4);
    analysisLayout->addWidget(PageControlAnalysis);
    PageControlGraph->addTab(TabSheetAnalysis, QStringLiteral("Analysis"));

    TabSheetSetup = new QWidget;
    TabSheetSetup->setObjectName(QStringLiteral("TabSheetSetup"));
    PageControlGraph->addTab(TabSheetSetup, QStringLiteral("Setup"));

    // The pages of the groups, as the chart table lists them.
    for (const DocumentChart& chart : document_->Charts()) {
        if (chart.Row.Group == ChartGroup::Loop)
            AddChartPage(PageControlLoopstatsChart, chart.Row);
        else if (chart.Row.Id == ChartId::AnalysisSummary)
            AddSummaryPage(chart.Row);
        else if (chart.Row.Group == ChartGroup::Analysis)
            AddChartPage(PageControlAnalysis, chart.Row);
        else if (chart.Row.Group == ChartGroup::Peer && chart.Row.Id != ChartId::PeerTable)
            AddChartPage(PageControlPeerstatsChart, chart.Row);
        else if (chart.Row.Id == ChartId::PeerTable)
            AddPeerTablePage(chart.Row);
    }
    ChartOffsets = ChartView(ChartId::Offsets);
    ChartOffsetVsTOD = ChartView(ChartId::OffsetVsTOD);
    ChartAbsFrequency = ChartView(ChartId::AbsFrequency);
    ChartFrequency = ChartView(ChartId::Frequency);
    ChartFreqVsTOD = ChartView(ChartId::FreqVsTOD);
    ChartJitter = ChartView(ChartId::Jitter);
    ChartLoopstatsPollInterval = ChartView(ChartId::LoopstatsPollInterval);
    ChartPeerstatsOffset = ChartView(ChartId::PeerstatsOffset);
    ChartPeerstatsDelay = ChartView(ChartId::PeerstatsDelay);
    ChartPeerstatsDispersion = ChartView(ChartId::PeerstatsDispersion);
    ChartPeerstatsJitter = ChartView(ChartId::PeerstatsJitter);
    ChartStability = ChartView(ChartId::Stability);
    auto page = [this](const char* name) { return PageControlGraph->findChild<QWidget*>(QLatin1String(name)); };
    TabSheetOffset = page("TabSheetOffset");
    TabSheetOffsetVsTOD = page("TabSheetOffsetVsTOD");
    TabSheetAbsFrequency = page("TabSheetAbsFrequency");
    TabSheetFrequency = page("TabSheetFrequency");
    TabSheetFreqVsTOD = page("TabSheetFreqVsTOD");
    TabSheetJitter = page("TabSheetJitter");
    TabSheetLoopstatsPollInterval = page("TabSheetLoopstatsPollInterval");
    TabSheetPeerOffset = page("TabSheetPeerOffset");
    TabSheetPeerDelay = page("TabSheetPeerDelay");
    TabSheetDispersion = page("TabSheetDispersion");
    TabSheetPeerJitter = page("TabSheetPeerJitter");
    TabSheetStability = page("TabSheetStability");
    UpDownJitterScale
        = AddCornerSpinner(ChartJitter, "UpDownJitterScale", 17, QStringLiteral("Change the jitter scale"));

    auto* peers = PageControlPeerstatsChart;
    const QString scaleHint = QStringLiteral("Change scale");
    UpDownPeerOffsets = AddCornerSpinner(ChartPeerstatsOffset, "UpDownPeerOffsets", 100, scaleHint);
    UpDownPeerDelay = AddCornerSpinner(ChartPeerstatsDelay, "UpDownPeerDelay", 100, scaleHint);
    UpDownPeerDispersion = AddCornerSpinner(ChartPeerstatsDispersion, "UpDownPeerDispersion", 100, scaleHint);
    UpDownPeerJitter = AddCornerSpinner(ChartPeerstatsJitter, "UpDownPeerJitter", 100, scaleHint);
    // The peer pages open on their offset chart.
    peers->setCurrentWidget(TabSheetPeerOffset);
    AddStabilityPeersBox();
    PageControlAnalysis->setCurrentIndex(0);
}

QWidget* TFormTallimer::AddChartPage(QTabWidget* pages, const ChartRow& row)
{
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(row.PageName));
    auto* chart = new TChartView(&document_->Chart(row.Id), page);
    chart->setObjectName(QLatin1String(row.ControlName));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart);
    pages->addTab(page, QString::fromUtf8(row.PageCaption));
    return page;
}

void TFormTallimer::AddPeerTablePage(const ChartRow& row)
{
    TabSheetPeerTable = new QWidget;
    TabSheetPeerTable->setObjectName(QLatin1String(row.PageName));
    StringGridPeerstats = new TPeerStatsGrid(TabSheetPeerTable);
    StringGridPeerstats->setObjectName(QLatin1String(row.ControlName));
    auto* tableLayout = new QVBoxLayout(TabSheetPeerTable);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(StringGridPeerstats);
    PageControlPeerstatsChart->addTab(TabSheetPeerTable, QString::fromUtf8(row.PageCaption));
}

void TFormTallimer::AddSummaryPage(const ChartRow& row)
{
    TabSheetSummary = new QWidget;
    TabSheetSummary->setObjectName(QLatin1String(row.PageName));
    StringGridSummary = new TSummaryGrid(TabSheetSummary);
    StringGridSummary->setObjectName(QLatin1String(row.ControlName));
    auto* layout = new QVBoxLayout(TabSheetSummary);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(StringGridSummary);
    PageControlAnalysis->addTab(TabSheetSummary, QString::fromUtf8(row.PageCaption));
}

void TFormTallimer::AddStabilityPeersBox()
{
    if (!ChartStability)
        return;
    // In the chart's upper left corner, left of the centred title: the chart keeps the
    // size of every other chart, and the saved image does not show the box.
    CheckBoxStabilityPeers = new TkstCheckBox(QStringLiteral("Peers too"), ChartStability);
    CheckBoxStabilityPeers->setObjectName(QStringLiteral("CheckBoxStabilityPeers"));
    CheckBoxStabilityPeers->SetNamedAs(QStringLiteral("StabilityPeers"));
    CheckBoxStabilityPeers->setToolTip(
        QStringLiteral("Check to add the Allan deviation of each peer shown on the peer charts"));
    CheckBoxStabilityPeers->setChecked(false);
    CheckBoxStabilityPeers->resize(CheckBoxStabilityPeers->sizeHint());
    CheckBoxStabilityPeers->move(8, 6);
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
    LabeledEditMaxPeerDispersion
        = addThreshold("LabeledEditMaxPeerDispersion", "MaxPeerDispersion", "Max peer dispersion (ms)");
    LabeledEditMaxPeerJitter = addThreshold("LabeledEditMaxPeerJitter", "MaxPeerJitter", "Max peer jitter (ms)");
    // The four fields line up behind the widest caption.
    const TkstLabeledEdit* const thresholdEdits[]
        = { LabeledEditMaxPeerOffset, LabeledEditMaxPeerDelay, LabeledEditMaxPeerDispersion, LabeledEditMaxPeerJitter };
    int widestCaption = 0;
    for (const TkstLabeledEdit* edit : thresholdEdits)
        widestCaption = std::max(widestCaption, edit->EditLabel()->sizeHint().width());
    for (const TkstLabeledEdit* edit : thresholdEdits)
        edit->EditLabel()->setMinimumWidth(widestCaption);

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
    auto checkBox = [this](const char* name, const char* namedAs, const char* caption, bool checked, const char* hint) {
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
    CheckBoxWhitePlotBackground
        = checkBox("CheckBoxWhitePlotBackground", "WhitePlotBackground", "White background", false, nullptr);
    CheckBoxLocalTime = checkBox("CheckBoxLocalTime", "LocalTime", "Local time", false, nullptr);
    CheckBoxIgnoreDataGaps = checkBox("CheckBoxIgnoreDataGaps", "IgnoreDataGaps", "Ignore data gaps", false,
        "Plot data continuously, ignoring gaps greater than 60 minutes");
    CheckBoxJitterFirst = checkBox(
        "CheckBoxJitterFirst", "JitterFirst", "Jitter first", false, "Check to show the Jitter tab on startup");
    CheckBoxPeerstatsFirst = checkBox("CheckBoxPeerstatsFirst", "PeerstatsFirst", "Peerstats first", false, nullptr);
    CheckBoxPeerstatsLAN
        = checkBox("CheckBoxPeerstatsLAN", "PeerstatsLAN", "LAN peerstats", false, "Check to show only LAN peerstats");
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
    CheckBoxSaveWithDatePrefix = checkBox("CheckBoxSaveWithDatePrefix", "SaveWithDatePrefix", "Save with prefix", false,
        "Save images with yyyy-mm-dd prefix");
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
    FormHistogram = new TFormHistogram(document_->Histogram(), this);
    FormHistogram->setObjectName(QStringLiteral("FormHistogram"));
    FormSelectPeers = new TFormSelectPeers(this);
    FormSelectPeers->setObjectName(QStringLiteral("FormSelectPeers"));
    FormSelectPeers->SetResetPeerScales([this] { ResetPeerScales(); });

    ChartOffsets->SetContextMenu(CreatePopupMenuShowHisto(*FormHistogram, ChartOffsets));
    AddCopyDataMenus(*this);
    ShowAnalysisSummary();
    for (TChartView* view : ChartViews(ChartGroup::Peer))
        view->SetRightClickHandler([this](QPoint) { ChartPeerstatsContextPopup(); });
}
