// The main window, driven as a user would drive it: started on a command line, pages
// switched, keys pressed, spinners clicked, files dropped, settings kept between runs.
#include "TFormTallimer.h"
#include "TSummaryGrid.h"
#include "WindowTestSupport.h"

#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"

#include "TChartView.h"

#include "TRegistryBoolean.h"
#include "TRegistryString.h"
#include "TkstCheckBox.h"
#include "TkstComboBox.h"
#include "TkstLabeledEdit.h"
#include "TkstUpDown.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <utility>

namespace {

class FormTallimerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        ASSERT_TRUE(data_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        UseZone("UTC");
        QLocale::setDefault(QLocale::c());
        oldCurrent_ = QDir::currentPath();
    }

    void TearDown() override
    {
        QDir::setCurrent(oldCurrent_);
        UseZone("UTC");
    }

    QString Write(const QString& name, const QByteArray& content) { return WriteTestFile(data_.path(), name, content); }

    void WriteDay()
    {
        Write(QStringLiteral("loopstats.20230225"), LoopText(60000));
        Write(QStringLiteral("peerstats.20230225"), PeerText(60000));
    }

    // Shows a window on the command line and waits for its start-up load.
    std::unique_ptr<TestForm> Start(const QStringList& arguments, const QStringList& dialogAnswer = {})
    {
        return StartTestForm(arguments, dialogAnswer);
    }

    QTemporaryDir config_;
    QTemporaryDir data_;
    QString oldCurrent_;
};

// --- Start-up ---------------------------------------------------------------------

TEST_F(FormTallimerTest, NoArgumentReadsTheCurrentDirectory)
{
    WriteDay();
    QDir::setCurrent(data_.path());
    auto form = Start({});
    EXPECT_EQ(form->DialogCount, 0);
    EXPECT_EQ(form->Statistics().LoopFilesRead.size(), 1);
    EXPECT_EQ(form->Statistics().PeerFilesRead.size(), 1);
    EXPECT_TRUE(form->windowTitle().startsWith("Tallimer V1.0.0.0 - ")) << qPrintable(form->windowTitle());
    EXPECT_TRUE(form->windowTitle().endsWith("up to: 2023-Feb-25 12:00 UTC")) << qPrintable(form->windowTitle());
    EXPECT_TRUE(form->PanelReadingData->isHidden());
    // "Offset vs. date" is on view: its controls and "Clip offsets" with it.
    EXPECT_FALSE(form->CheckBoxClipOffsets->isHidden());
    EXPECT_FALSE(form->UpDownPlotHours->isHidden());
    EXPECT_TRUE(form->CheckBoxExponentialAverage->isHidden());
    EXPECT_TRUE(form->Messages.isEmpty()) << qPrintable(form->Messages.join('|'));
}

TEST_F(FormTallimerTest, EmptyDirectoryOffersTheOpenFileDialog)
{
    QDir::setCurrent(data_.path());
    auto cancelled = Start({});
    EXPECT_EQ(cancelled->DialogCount, 1);
    EXPECT_EQ(cancelled->windowTitle(), "Tallimer");
    EXPECT_EQ(cancelled->Statistics().Loop.DataSetCount, 0);
    cancelled.reset();

    // Peer statistics alone do not spare the question.
    Write(QStringLiteral("peerstats.20230225"), PeerText(60000));
    auto peersOnly = Start({});
    EXPECT_EQ(peersOnly->DialogCount, 1);
    peersOnly.reset();

    // Files chosen in the dialog are read, the peer files among them as well.
    WriteDay();
    auto chosen = Start({ data_.filePath("nothing-here") },
        { data_.filePath("loopstats.20230225"), data_.filePath("peerstats.20230225") });
    EXPECT_EQ(chosen->DialogCount, 1);
    EXPECT_EQ(chosen->Statistics().Loop.DataSetCount, 1);
    EXPECT_EQ(chosen->Statistics().PeerFilesRead.size(), 1);
    EXPECT_TRUE(chosen->windowTitle().startsWith("Tallimer V")) << qPrintable(chosen->windowTitle());
}

TEST_F(FormTallimerTest, OneFileGivesTheSingleFileCaption)
{
    const QString loop = Write(QStringLiteral("loopstats.20230225"), LoopText(60000));
    auto form = Start({ loop });
    EXPECT_EQ(form->DialogCount, 0);
    EXPECT_EQ(form->windowTitle(), "Tallimer:  " + loop + "  up to: 2023-Feb-25 12:00 UTC");
}

TEST_F(FormTallimerTest, DashOptionSetsPeerDaysInALongerCommandLine)
{
    WriteDay();
    auto listed = Start({ "-3", data_.path() });
    EXPECT_EQ(listed->PeerDays(), 3);
    EXPECT_EQ(listed->DialogCount, 0);
    EXPECT_EQ(listed->Statistics().LoopFilesRead.size(), 1);
    listed.reset();

    // Alone, "-3" is a path that names nothing.
    QDir::setCurrent(data_.path());
    auto alone = Start({ "-3" });
    EXPECT_EQ(alone->PeerDays(), 0);
    EXPECT_EQ(alone->DialogCount, 1);
}

struct FirstPageCase
{
    const char* Name;
    bool PeerstatsFirst;
    bool JitterFirst;
    bool WithPeers;
    const char* OuterPage;
    const char* InnerPage;
    bool LanVisible;
};

void PrintTo(const FirstPageCase& c, std::ostream* os)
{
    *os << c.Name;
}

class FirstPageTest : public FormTallimerTest, public ::testing::WithParamInterface<FirstPageCase>
{ };

TEST_P(FirstPageTest, FollowsTheTwoCheckBoxes)
{
    const FirstPageCase& c = GetParam();
    StoreBoolean("PeerstatsFirst", c.PeerstatsFirst);
    StoreBoolean("JitterFirst", c.JitterFirst);
    Write(QStringLiteral("loopstats.20230225"), LoopText(60000));
    if (c.WithPeers)
        Write(QStringLiteral("peerstats.20230225"), PeerText(60000));
    auto form = Start({ data_.path() });
    EXPECT_EQ(form->PageControlGraph->currentWidget()->objectName(), c.OuterPage);
    const QTabWidget* inner = form->PageControlGraph->currentWidget() == form->TabSheetPeerstatsSummary
        ? form->PageControlPeerstatsChart
        : form->PageControlLoopstatsChart;
    EXPECT_EQ(inner->currentWidget()->objectName(), c.InnerPage);
    EXPECT_EQ(!form->CheckBoxPeerstatsLAN->isHidden(), c.LanVisible);
}

INSTANTIATE_TEST_SUITE_P(Choices, FirstPageTest,
    ::testing::Values(
        FirstPageCase { "Default", false, false, true, "TabSheetLoopstatsSummary", "TabSheetOffset", false },
        FirstPageCase { "JitterFirst", false, true, true, "TabSheetLoopstatsSummary", "TabSheetJitter", false },
        FirstPageCase {
            "PeerstatsBeforeJitter", true, true, true, "TabSheetPeerstatsSummary", "TabSheetPeerTable", true },
        // No peer to show: the loop pages after all.
        FirstPageCase {
            "PeerstatsFirstWithoutPeers", true, false, false, "TabSheetLoopstatsSummary", "TabSheetOffset", false }),
    [](const ::testing::TestParamInfo<FirstPageCase>& info) { return std::string(info.param.Name); });

// --- Pages and the bottom bar -------------------------------------------------------

struct VisibilityCase
{
    const char* OuterPage;
    const char* LoopPage;
    bool Offset;
    bool Jitter;
    bool Clip;
    bool IgnoreGaps;
    bool Lan;
};

TEST_F(FormTallimerTest, SwitchingPagesShowsTheControlsOfThePageOnView)
{
    WriteDay();
    auto form = Start({ data_.path() });
    const VisibilityCase cases[] = {
        { "TabSheetLoopstatsSummary", "TabSheetOffset", true, false, true, true, false },
        { "TabSheetLoopstatsSummary", "TabSheetOffsetVsTOD", false, false, true, true, false },
        { "TabSheetLoopstatsSummary", "TabSheetJitter", false, true, false, true, false },
        { "TabSheetLoopstatsSummary", "TabSheetAbsFrequency", false, false, false, true, false },
        { "TabSheetPeerstatsSummary", "TabSheetAbsFrequency", false, false, false, false, true },
        { "TabSheetPeerstatsSummary", "TabSheetOffset", false, false, false, false, true },
        // Back to the loop pages while "Offset vs. date" is current there.
        { "TabSheetLoopstatsSummary", "TabSheetOffset", true, false, true, true, false },
        { "TabSheetPeerstatsSummary", "TabSheetJitter", false, false, false, false, true },
        { "TabSheetLoopstatsSummary", "TabSheetJitter", false, true, false, true, false },
        { "TabSheetSetup", "TabSheetOffset", false, false, false, false, false },
    };
    for (const VisibilityCase& c : cases) {
        SCOPED_TRACE(std::string(c.OuterPage) + " / " + c.LoopPage);
        auto* loopPage = form->findChild<QWidget*>(c.LoopPage);
        auto* outerPage = form->findChild<QWidget*>(c.OuterPage);
        ASSERT_TRUE(loopPage && outerPage);
        // Changing the inner page while it is out of view shows nothing of it.
        if (outerPage == form->TabSheetLoopstatsSummary) {
            form->PageControlGraph->setCurrentWidget(outerPage);
            form->PageControlLoopstatsChart->setCurrentWidget(loopPage);
        } else {
            form->PageControlLoopstatsChart->setCurrentWidget(loopPage);
            form->PageControlGraph->setCurrentWidget(outerPage);
        }
        EXPECT_EQ(!form->UpDownPlotHours->isHidden(), c.Offset);
        EXPECT_EQ(!form->LabelPlotHours->isHidden(), c.Offset);
        EXPECT_EQ(!form->LabelSuggestHistogram->isHidden(), c.Offset);
        EXPECT_EQ(!form->CheckBoxExponentialAverage->isHidden(), c.Jitter);
        EXPECT_EQ(!form->UpDownHoursToAverage->isHidden(), c.Jitter);
        EXPECT_EQ(!form->LabelHoursToAverage->isHidden(), c.Jitter);
        EXPECT_EQ(!form->CheckBoxClipOffsets->isHidden(), c.Clip);
        EXPECT_EQ(!form->CheckBoxIgnoreDataGaps->isHidden(), c.IgnoreGaps);
        EXPECT_EQ(!form->CheckBoxPeerstatsLAN->isHidden(), c.Lan);
        for (QWidget* always :
            std::initializer_list<QWidget*> { form->LabelFilesHint, form->CheckBoxWhitePlotBackground,
                form->CheckBoxLocalTime, form->CheckBoxJitterFirst, form->CheckBoxPeerstatsFirst, form->LabelAutoUpdate,
                form->ComboBoxAutoUpdate, form->CheckBoxSaveWithDatePrefix, form->ButtonSave, form->ButtonClose })
            EXPECT_FALSE(always->isHidden()) << qPrintable(always->objectName());
    }
}

TEST_F(FormTallimerTest, ReloadTriggersAndTheirCount)
{
    WriteDay();
    auto form = Start({ data_.path() });
    QSignalSpy reloads(form.get(), &TFormTallimer::Reloaded);

    // F5 on release, from any control, whatever modifiers are held.
    QWidget* targets[] = { form->ComboBoxAutoUpdate, form->UpDownPlotHours, form->ChartOffsets, form.get() };
    const Qt::KeyboardModifiers modifiers[]
        = { Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier };
    for (int i = 0; i < 4; ++i) {
        QTest::keyPress(targets[i], Qt::Key_F5, modifiers[i]);
        EXPECT_EQ(reloads.count(), i) << "no reload on key press";
        QTest::keyRelease(targets[i], Qt::Key_F5, modifiers[i]);
        EXPECT_EQ(reloads.count(), i + 1);
    }
    QTest::keyRelease(form->ComboBoxAutoUpdate, Qt::Key_F4);
    EXPECT_EQ(reloads.count(), 4);

    // The three boxes of the local-time handler.
    form->CheckBoxLocalTime->click();
    form->CheckBoxIgnoreDataGaps->click();
    form->CheckBoxClipOffsets->click();
    EXPECT_EQ(reloads.count(), 7);

    // Leaving Setup reloads, changed threshold or not.
    form->PageControlGraph->setCurrentWidget(form->TabSheetSetup);
    EXPECT_EQ(reloads.count(), 7);
    form->PageControlGraph->setCurrentWidget(form->TabSheetPeerstatsSummary);
    EXPECT_EQ(reloads.count(), 8);

    // A click in the peer table sorts it anew through a reload.
    form->PageControlPeerstatsChart->setCurrentWidget(form->TabSheetPeerTable);
    QTest::mouseClick(form->StringGridPeerstats->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(reloads.count(), 9);
    EXPECT_TRUE(form->Messages.isEmpty()) << qPrintable(form->Messages.join('|'));
}

TEST_F(FormTallimerTest, ReloadsWaitWhileAMessageIsOpen)
{
    // Too few records for the charts: every rebuild has its message.
    QByteArray shortText;
    for (int second = 0; second < 10 * 64; second += 64)
        shortText += "60000 " + QByteArray::number(second) + ".000 0.000012 -12.345 0.000050 0.001 6\n";
    const QString loop = Write(QStringLiteral("loopstats.20230225"), shortText);
    auto form = Start({ loop });
    ASSERT_EQ(form->Messages.size(), 1);
    EXPECT_EQ(form->Messages.front(), "Too few data points (10), at least 16 are required.");

    QSignalSpy reloads(form.get(), &TFormTallimer::Reloaded);
    int reloadsWhileOpen = -1;
    form->WhileMessageOpen = [&] {
        // Two auto-update ticks while the message is open.
        form->ReloadAll();
        form->ReloadAll();
        reloadsWhileOpen = reloads.count();
    };
    form->ReloadAll();
    EXPECT_EQ(reloadsWhileOpen, 0);
    // The held-back ticks make one reload once the message is closed, not a pile of them.
    EXPECT_EQ(reloads.count(), 2);
    EXPECT_EQ(form->Messages.size(), 3);
}

TEST_F(FormTallimerTest, SaveWritesEveryImageAndSaysWhere)
{
    WriteDay();
    auto form = Start({ data_.path() });
    const int graphPage = form->PageControlGraph->currentIndex();
    form->ButtonSave->click();
    ASSERT_EQ(form->Messages.size(), 1);
    EXPECT_TRUE(form->Messages.front().startsWith("Image files saved to:")) << qPrintable(form->Messages.front());
    for (const char* suffix : { "_offset.png", "_jitter.png", "_peerstats.png", "_peer_jitter.png" })
        EXPECT_TRUE(QFile::exists(data_.filePath(suffix))) << suffix;
    EXPECT_EQ(form->PageControlGraph->currentIndex(), graphPage);
}

TEST_F(FormTallimerTest, BurstOfSpinnerClicksGivesOneRebuild)
{
    WriteDay();
    auto form = Start({ data_.path() });
    QSignalSpy rebuilds(form.get(), &TFormTallimer::LoopChartsRebuilt);
    const int priority = getpriority(PRIO_PROCESS, 0);
    for (int i = 0; i < 5; ++i)
        form->UpDownPlotHours->stepUp();
    EXPECT_EQ(rebuilds.count(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rebuilds.count() > 0; }, 5000));
    QTest::qWait(150);
    EXPECT_EQ(rebuilds.count(), 1);
    EXPECT_EQ(form->UpDownPlotHours->value(), 17);
    // The rebuild may run at idle priority, but never leaves the program there.
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), priority);

    // A later click arms the timer again.
    form->UpDownHoursToAverage->stepDown();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rebuilds.count() > 1; }, 5000));
}

TEST_F(FormTallimerTest, AutoUpdateChoices)
{
    WriteDay();
    auto form = Start({ data_.path() });
    auto choose = [&](int index) {
        form->ComboBoxAutoUpdate->setCurrentIndex(index);
        emit form->ComboBoxAutoUpdate->activated(index);
    };
    EXPECT_FALSE(form->TimerAutoUpdate.isActive());

    choose(3); // "15 minutes"
    ASSERT_TRUE(form->TimerAutoUpdate.isActive());
    EXPECT_EQ(form->TimerAutoUpdate.interval(), 15 * 60000);
    QTest::qWait(100);
    const int timerId = form->TimerAutoUpdate.timerId();
    const int remaining = form->TimerAutoUpdate.remainingTime();
    choose(3); // the same again: the count goes on, the timer is not restarted
    EXPECT_EQ(form->TimerAutoUpdate.timerId(), timerId);
    EXPECT_LE(form->TimerAutoUpdate.remainingTime(), remaining);

    choose(4); // another interval starts afresh
    EXPECT_EQ(form->TimerAutoUpdate.interval(), 30 * 60000);
    EXPECT_TRUE(form->TimerAutoUpdate.isActive());

    choose(0); // " (none)"
    EXPECT_FALSE(form->TimerAutoUpdate.isActive());

    // Each tick reloads.
    QSignalSpy reloads(form.get(), &TFormTallimer::Reloaded);
    choose(1);
    form->TimerAutoUpdate.setInterval(20);
    EXPECT_TRUE(reloads.wait(2000));
}

TEST_F(FormTallimerTest, DroppedFilesAreRead)
{
    auto form = Start({ data_.filePath("absent") });
    WriteDay();
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(data_.filePath("loopstats.20230225")),
        QUrl::fromLocalFile(data_.filePath("peerstats.20230225")) });
    QSignalSpy loopRebuilds(form.get(), &TFormTallimer::LoopChartsRebuilt);
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(loopRebuilds.count(), 1);
    EXPECT_EQ(form->Statistics().Loop.DataSetCount, 1);
    EXPECT_EQ(form->Statistics().PeerFilesRead.size(), 1);
    EXPECT_TRUE(form->windowTitle().startsWith("Tallimer V")) << qPrintable(form->windowTitle());
}

TEST_F(FormTallimerTest, RightClickOnAPeerChartChoosesThePeersShown)
{
    WriteDay();
    auto form = Start({ data_.path() });
    ASSERT_EQ(form->Peers().PeerNames.size(), 2);
    form->PageControlGraph->setCurrentWidget(form->TabSheetPeerstatsSummary);
    form->PageControlPeerstatsChart->setCurrentWidget(form->TabSheetPeerDelay);
    form->UpDownPeerDelay->setValue(3);
    QTest::qWait(100);

    // The dialog is modal: answer it once it is up.
    auto answer = [&](bool confirm) {
        QTimer::singleShot(0, form.get(), [&form, confirm] {
            TFormSelectPeers* dialog = form->FormSelectPeers;
            ASSERT_TRUE(dialog->isVisible());
            ASSERT_EQ(dialog->CheckListBoxPeers()->count(), 2);
            dialog->CheckListBoxPeers()->item(0)->setCheckState(Qt::Checked);
            (confirm ? dialog->ButtonOK() : dialog->ButtonCancel())->click();
        });
        QTest::mouseClick(form->ChartPeerstatsDelay, Qt::RightButton, {}, QPoint(50, 50));
    };
    answer(false);
    EXPECT_TRUE(form->Statistics().SelectedPeers.isEmpty());
    EXPECT_EQ(form->UpDownPeerDelay->value(), 3);

    answer(true);
    ASSERT_EQ(form->Statistics().SelectedPeers.size(), 1);
    EXPECT_EQ(form->Peers().PeerNames, form->Statistics().SelectedPeers);
    EXPECT_EQ(form->UpDownPeerDelay->value(), 0);
    EXPECT_EQ(form->ChartPeerstatsDelay->Chart().SeriesCount(), 1u);
}

// --- Time base ----------------------------------------------------------------------

TEST_F(FormTallimerTest, LocalTimeFiveHoursWest)
{
    const QString loop = Write(QStringLiteral("loopstats.20230225"), LoopText(60000, 43200));
    UseZone("XST5");
    auto form = Start({ loop });
    EXPECT_EQ(form->ZoneLabel(), "UTC");
    form->CheckBoxLocalTime->click();
    EXPECT_DOUBLE_EQ(form->ZoneOffset(), 300 / 1440.0);
    EXPECT_EQ(form->ZoneLabel(), "Local Time");
    EXPECT_EQ(form->windowTitle(), "Tallimer:  " + loop + "  up to: 2023-Feb-25 07:00 Local Time");
    form->CheckBoxLocalTime->click();
    EXPECT_EQ(form->windowTitle(), "Tallimer:  " + loop + "  up to: 2023-Feb-25 12:00 UTC");
}

TEST_F(FormTallimerTest, LocalTimeInADaylightSavingZone)
{
    const QString loop = Write(QStringLiteral("loopstats.20230225"), LoopText(60000, 43200));
    UseZone("America/New_York");
    StoreBoolean("LocalTime", true);
    auto form = Start({ loop });
    // Whichever of the two times is in force today.
    const bool summer = QTimeZone::systemTimeZone().isDaylightTime(QDateTime::currentDateTimeUtc());
    EXPECT_EQ(form->ZoneLabel(), summer ? "Eastern Daylight Time" : "Eastern Standard Time");
    EXPECT_DOUBLE_EQ(form->ZoneOffset(), (summer ? 240 : 300) / 1440.0);
    EXPECT_EQ(form->windowTitle(),
        "Tallimer:  " + loop + "  up to: 2023-Feb-25 " + (summer ? "08:00 " : "07:00 ") + form->ZoneLabel());
}

// --- Settings -----------------------------------------------------------------------

TEST_F(FormTallimerTest, LeavingSetupStoresEveryThreshold)
{
    WriteDay();
    auto form = Start({ data_.path() });
    form->PageControlGraph->setCurrentWidget(form->TabSheetSetup);
    form->LabeledEditMaxPeerOffset->setText("5");
    form->LabeledEditMaxPeerJitter->setText("7");
    form->PageControlGraph->setCurrentWidget(form->TabSheetLoopstatsSummary);
    // Read from the store while the window still lives (as after a kill).
    EXPECT_EQ(TRegistryString("MaxPeerOffset", "?").Value, "5");
    EXPECT_EQ(TRegistryString("MaxPeerJitter", "?").Value, "7");
}

TEST_F(FormTallimerTest, SettingsSurviveTwoWindowLifetimes)
{
    {
        auto form = Start({ data_.filePath("absent") });
        for (TkstCheckBox* box :
            { form->CheckBoxWhitePlotBackground, form->CheckBoxJitterFirst, form->CheckBoxIgnoreDataGaps,
                form->CheckBoxSaveWithDatePrefix, form->CheckBoxExponentialAverage, form->CheckBoxPeerstatsLAN })
            box->setChecked(true);
        form->CheckBoxClipOffsets->setChecked(false);
        form->CheckBoxAbbreviateDirectoryName->setChecked(false);
        form->UpDownPlotHours->setValue(48);
        form->UpDownHoursToAverage->setValue(3);
        form->LabeledEditMaxPeerDelay->setText("50");
        // Chosen in the list, the focus still there when the window goes.
        form->ComboBoxAutoUpdate->setCurrentIndex(2);
        emit form->ComboBoxAutoUpdate->activated(2);
        form->resize(1010, 600);
        form->close();
    }
    auto form = Start({ data_.filePath("absent") });
    for (TkstCheckBox* box :
        { form->CheckBoxWhitePlotBackground, form->CheckBoxJitterFirst, form->CheckBoxIgnoreDataGaps,
            form->CheckBoxSaveWithDatePrefix, form->CheckBoxExponentialAverage, form->CheckBoxPeerstatsLAN })
        EXPECT_TRUE(box->isChecked()) << qPrintable(box->objectName());
    EXPECT_FALSE(form->CheckBoxClipOffsets->isChecked());
    EXPECT_FALSE(form->CheckBoxAbbreviateDirectoryName->isChecked());
    EXPECT_FALSE(form->CheckBoxLocalTime->isChecked());
    EXPECT_EQ(form->UpDownPlotHours->value(), 48);
    EXPECT_EQ(form->UpDownHoursToAverage->value(), 3);
    EXPECT_EQ(form->LabeledEditMaxPeerDelay->text(), "50");
    EXPECT_EQ(form->LabeledEditMaxPeerOffset->text(), "0");
    EXPECT_EQ(form->ComboBoxAutoUpdate->currentIndex(), 2);
    // The restored choice is in effect.
    EXPECT_TRUE(form->TimerAutoUpdate.isActive());
    EXPECT_EQ(form->TimerAutoUpdate.interval(), 5 * 60000);
    EXPECT_EQ(form->size(), QSize(1010, 600));
}

} // namespace

namespace {

// --- The Analysis page --------------------------------------------------------------

TEST_F(FormTallimerTest, AnalysisPageSitsBeforeSetupAndFollowsTheRebuildsAndPeersToo)
{
    // Offsets that move (constant ones have no deviation to draw), loop and peers alike.
    QByteArray loop;
    QByteArray peer;
    for (int i = 0; i < 400; ++i) {
        const QByteArray time = "60000 " + QByteArray::number(i * 64) + ".000 ";
        const QByteArray wiggle = QByteArray::number((i % 3 - 1) * 1e-5 + (i % 7) * 1e-6, 'f', 9);
        loop += time + wiggle + " -12.5 0.000002 0.001 6\n";
        peer += time + "192.168.0.5 9614 " + wiggle + " 0.0300 0.0020 0.0004\n";
    }
    Write(QStringLiteral("loopstats.20230225"), loop);
    Write(QStringLiteral("peerstats.20230225"), peer);
    auto form = Start({ data_.path() });
    ASSERT_TRUE(form->TabSheetAnalysis && form->PageControlAnalysis);
    EXPECT_EQ(form->PageControlGraph->indexOf(form->TabSheetAnalysis),
        form->PageControlGraph->indexOf(form->TabSheetPeerstatsSummary) + 1);
    EXPECT_EQ(form->PageControlGraph->tabText(form->PageControlGraph->indexOf(form->TabSheetAnalysis)), "Analysis");
    EXPECT_EQ(form->PageControlGraph->indexOf(form->TabSheetSetup),
        form->PageControlGraph->indexOf(form->TabSheetAnalysis) + 1);
    EXPECT_EQ(form->PageControlAnalysis->tabText(0), "Stability");
    EXPECT_EQ(form->PageControlAnalysis->tabText(1), "Summary");

    // On view: the plot window's length may change there; the loop pages' hints do not show.
    form->PageControlGraph->setCurrentWidget(form->TabSheetAnalysis);
    EXPECT_FALSE(form->UpDownPlotHours->isHidden());
    EXPECT_FALSE(form->LabelPlotHours->isHidden());
    EXPECT_TRUE(form->LabelSuggestHistogram->isHidden());
    EXPECT_TRUE(form->CheckBoxExponentialAverage->isHidden());
    EXPECT_TRUE(form->CheckBoxPeerstatsLAN->isHidden());
    form->PageControlGraph->setCurrentWidget(form->TabSheetSetup);
    EXPECT_TRUE(form->UpDownPlotHours->isHidden());

    // The summary: the header, three loop rows and three rows per shown peer.
    const std::vector<QStringList>& table = form->StringGridSummary->Table();
    ASSERT_EQ(table.size(), std::size_t(1 + 3 + 3 * form->Peers().PeerNames.size()));
    EXPECT_EQ(form->StringGridSummary->rowCount(), int(table.size()) - 1);
    EXPECT_EQ(table[1][0], QStringLiteral("Loop offset (µs)"));
    const QString copied = form->StringGridSummary->ClipboardText();
    EXPECT_TRUE(copied.startsWith("Series\tMin\t1%\t")) << qPrintable(copied.left(40));
    EXPECT_EQ(copied.count(QStringLiteral("\r\n")), qsizetype(table.size()));

    // "Peers too" adds a curve per peer at once and is kept for the next start.
    TChart& stability = form->ChartStability->Chart();
    const std::size_t loopCurves = stability.SeriesCount();
    form->CheckBoxStabilityPeers->click();
    EXPECT_GT(stability.SeriesCount(), loopCurves);
    EXPECT_TRUE(form->Settings().StabilityPeers);
    form.reset();
    auto again = Start({ data_.path() });
    EXPECT_TRUE(again->CheckBoxStabilityPeers->isChecked());
    EXPECT_GT(again->ChartStability->Chart().SeriesCount(), loopCurves);
}

} // namespace
