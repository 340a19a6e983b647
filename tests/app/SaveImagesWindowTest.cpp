// "Save" on the real main window: which files it writes, how they are named, where they
// go when the statistics folder cannot take them, and how it leaves the pages.
#include "TFormTallimer.h"
#include "WindowTestSupport.h"

#include "TChartView.h"
#include "TPeerStatsGrid.h"
#include "TRegistryBoolean.h"
#include "TkstCheckBox.h"
#include "TkstUpDown.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace {

const char* const LoopSuffixes[] = { "_offset.png", "_offset-tod.png", "_abs_frequency.png", "_frequency.png",
    "_frequency-tod.png", "_jitter.png", "_poll_int.png" };
// Saved after the loop images, with their prefix: the Analysis page's chart and table.
const char* const AnalysisSuffixes[] = { "_stability.png", "_summary.png" };
const char* const PeerSuffixes[]
    = { "_peerstats.png", "_peer_offset.png", "_peer_delay.png", "_peer_dispersion.png", "_peer_jitter.png" };

// The usual "yyyymmdd" ending of a statistics file for a modified Julian day.
QString FileDate(int mjd)
{
    return QDate(1858, 11, 17).addDays(mjd).toString(QStringLiteral("yyyyMMdd"));
}

QStringList PngsIn(const QString& directory)
{
    return QDir(directory).entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
}

class SaveImagesWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        ASSERT_TRUE(data_.isValid());
        ASSERT_TRUE(work_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        UseZone("UTC");
        QLocale::setDefault(QLocale::c());
        oldCurrent_ = QDir::currentPath();
        // Anything that falls back to the working directory lands here, not in the tree.
        QDir::setCurrent(work_.path());
    }

    void TearDown() override
    {
        QDir::setCurrent(oldCurrent_);
        UseZone("UTC");
    }

    QString Write(const QString& directory, const QString& name, const QByteArray& content)
    {
        return WriteTestFile(directory, name, content);
    }

    std::unique_ptr<TestForm> Start(const QStringList& arguments) { return StartTestForm(arguments); }

    QTemporaryDir config_;
    QTemporaryDir data_;
    QTemporaryDir work_;
    QString oldCurrent_;
};

// --- Names, count and target directory ---------------------------------------------

enum class Target { Statistics, Working };

struct SaveCase
{
    const char* Name;
    int LoopMjd; // 0: no loop file
    int PeerMjd; // 0: no peer file
    bool Prefix;
    bool LocalTimeFiveHoursWest;
    bool RemoveStatisticsFolder; // after reading: the folder can take no file, even root's
    const char* LoopPrefix; // expected; nullptr: no loop image
    const char* PeerPrefix; // expected; nullptr: no peer image
    Target Where;
    const char* StartOuter; // the pages on view when "Save" is clicked
    const char* StartLoop;
    const char* StartPeer;
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.Name;
}

class SaveCaseTest : public SaveImagesWindowTest, public ::testing::WithParamInterface<SaveCase>
{ };

TEST_P(SaveCaseTest, WritesTheNamedFilesAndLeavesThePagesAsTheyWere)
{
    const SaveCase& c = GetParam();
    StoreBoolean("SaveWithDatePrefix", c.Prefix);
    StoreBoolean("LocalTime", c.LocalTimeFiveHoursWest);
    if (c.LocalTimeFiveHoursWest)
        UseZone("XST5");
    const QString folder = data_.filePath("stats");
    QDir().mkpath(folder);
    // Five hours west, data up to 03:00 UTC is plotted on the day before.
    const int lastSecond = c.LocalTimeFiveHoursWest ? 3 * 3600 : 43200;
    if (c.LoopMjd)
        Write(folder, "loopstats." + FileDate(c.LoopMjd), LoopText(c.LoopMjd, lastSecond));
    if (c.PeerMjd)
        Write(folder, "peerstats." + FileDate(c.PeerMjd), PeerText(c.PeerMjd, lastSecond));
    auto form = Start({ folder });
    ASSERT_EQ(form->Statistics().HavePeerData, c.PeerMjd != 0);
    if (c.RemoveStatisticsFolder) {
        ASSERT_TRUE(QDir(folder).removeRecursively());
    }

    form->PageControlGraph->setCurrentWidget(form->findChild<QWidget*>(c.StartOuter));
    form->PageControlLoopstatsChart->setCurrentWidget(form->findChild<QWidget*>(c.StartLoop));
    form->PageControlPeerstatsChart->setCurrentWidget(form->findChild<QWidget*>(c.StartPeer));
    const int pages[] = { form->PageControlGraph->currentIndex(), form->PageControlLoopstatsChart->currentIndex(),
        form->PageControlPeerstatsChart->currentIndex() };
    const bool jitterControls = !form->CheckBoxExponentialAverage->isHidden();
    const bool offsetControls = !form->UpDownPlotHours->isHidden();
    const bool lanBox = !form->CheckBoxPeerstatsLAN->isHidden();
    form->Messages.clear();

    form->ButtonSave->click();

    const QString directory = (c.Where == Target::Statistics ? folder : work_.path()) + '/';
    QStringList expected;
    if (c.LoopPrefix)
        for (const char* suffix : LoopSuffixes)
            expected.append(directory + c.LoopPrefix + suffix);
    if (c.LoopPrefix)
        for (const char* suffix : AnalysisSuffixes)
            expected.append(directory + c.LoopPrefix + suffix);
    if (c.PeerPrefix)
        for (const char* suffix : PeerSuffixes)
            expected.append(directory + c.PeerPrefix + suffix);

    ASSERT_EQ(form->Messages.size(), 1);
    if (expected.isEmpty())
        EXPECT_EQ(form->Messages.front(), "No image files saved, check for write access to: " + directory);
    else
        EXPECT_EQ(form->Messages.front(), "Image files saved to:\n\n" + expected.join('\n') + '\n');

    // Exactly these files, nowhere else.
    QStringList written;
    for (const QString& name : PngsIn(directory))
        written.append(directory + name);
    written.sort();
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    EXPECT_EQ(written, sortedExpected);
    if (c.Where == Target::Statistics) {
        EXPECT_TRUE(PngsIn(work_.path()).isEmpty());
    }

    // Each a real image; a chart at its size on screen.
    for (const QString& name : expected) {
        const QImage image(name);
        EXPECT_FALSE(image.isNull()) << qPrintable(name);
        EXPECT_EQ(image.text("Title"), "NTP performance data") << qPrintable(name);
    }
    if (c.LoopPrefix) {
        EXPECT_EQ(QImage(expected.front()).size(), form->ChartOffsets->size());
        EXPECT_EQ(QImage(expected[7]).size(), form->ChartStability->size());
    }

    EXPECT_EQ(form->PageControlGraph->currentIndex(), pages[0]);
    EXPECT_EQ(form->PageControlLoopstatsChart->currentIndex(), pages[1]);
    EXPECT_EQ(form->PageControlPeerstatsChart->currentIndex(), pages[2]);
    EXPECT_EQ(!form->CheckBoxExponentialAverage->isHidden(), jitterControls);
    EXPECT_EQ(!form->UpDownPlotHours->isHidden(), offsetControls);
    EXPECT_EQ(!form->CheckBoxPeerstatsLAN->isHidden(), lanBox);
}

constexpr int Feb25 = 60000; // MJD of 2023-02-25
constexpr int Feb26 = 60001;

INSTANTIATE_TEST_SUITE_P(Cases, SaveCaseTest,
    ::testing::Values(SaveCase { "LoopOnlySevenFiles", Feb25, 0, false, false, false, "", nullptr, Target::Statistics,
                          "TabSheetLoopstatsSummary", "TabSheetJitter", "TabSheetPeerTable" },
        SaveCase { "WithPeersTwelveFiles", Feb25, Feb25, false, false, false, "", "", Target::Statistics,
            "TabSheetPeerstatsSummary", "TabSheetOffset", "TabSheetPeerDelay" },
        // Each group takes its day from its own reference chart.
        SaveCase { "PrefixPerGroup", Feb25, Feb26, true, false, false, "2023-02-25", "2023-02-26", Target::Statistics,
            "TabSheetLoopstatsSummary", "TabSheetOffset", "TabSheetPeerJitter" },
        SaveCase { "PrefixPeerDayEarlier", Feb26, Feb25, true, false, false, "2023-02-26", "2023-02-25",
            Target::Statistics, "TabSheetPeerstatsSummary", "TabSheetFreqVsTOD", "TabSheetPeerTable" },
        // The day of the time base in use.
        SaveCase { "PrefixInLocalTime", Feb25, Feb25, true, true, false, "2023-02-24", "2023-02-24", Target::Statistics,
            "TabSheetLoopstatsSummary", "TabSheetOffset", "TabSheetPeerTable" },
        SaveCase { "FolderGoneFallsBackToWorkingDirectory", Feb25, Feb25, true, false, true, "2023-02-25", "2023-02-25",
            Target::Working, "TabSheetLoopstatsSummary", "TabSheetOffset", "TabSheetPeerTable" },
        // Every image needs the folder of a loop file: nothing before one was read.
        SaveCase { "NothingRead", 0, 0, true, false, false, nullptr, nullptr, Target::Working,
            "TabSheetLoopstatsSummary", "TabSheetOffset", "TabSheetPeerTable" },
        SaveCase { "PeerStatisticsAlone", 0, Feb25, false, false, false, nullptr, nullptr, Target::Working,
            "TabSheetPeerstatsSummary", "TabSheetOffset", "TabSheetPeerOffset" }),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.Name); });

// --- From the Setup page -------------------------------------------------------------

TEST_F(SaveImagesWindowTest, FromSetupReloadsFirstAndReturnsToSetup)
{
    StoreBoolean("SaveWithDatePrefix", true);
    const QString folder = data_.filePath("stats");
    const QString loop = Write(folder, QStringLiteral("loopstats.20230225"), LoopText(Feb25));
    Write(folder, QStringLiteral("peerstats.20230225"), PeerText(Feb25));
    auto form = Start({ folder });
    form->PageControlLoopstatsChart->setCurrentWidget(form->TabSheetJitter);
    form->PageControlGraph->setCurrentWidget(form->TabSheetSetup);

    // The files grow by a day while Setup is on view; only a reload shows it.
    Write(folder, QStringLiteral("loopstats.20230225"), LoopText(Feb25) + LoopText(Feb26));
    Write(folder, QStringLiteral("peerstats.20230225"), PeerText(Feb25) + PeerText(Feb26));
    form->Messages.clear();
    QSignalSpy reloads(form.get(), &TFormTallimer::Reloaded);
    form->ButtonSave->click();

    EXPECT_EQ(reloads.count(), 1);
    ASSERT_EQ(form->Messages.size(), 1);
    EXPECT_TRUE(form->Messages.front().contains(folder + "/2023-02-26_offset.png\n"))
        << qPrintable(form->Messages.front());
    EXPECT_TRUE(form->Messages.front().contains(folder + "/2023-02-26_peer_jitter.png\n"))
        << qPrintable(form->Messages.front());
    EXPECT_EQ(PngsIn(folder).size(), 14);
    EXPECT_EQ(PngsIn(folder).filter("2023-02-25").size(), 0);

    EXPECT_EQ(form->PageControlGraph->currentWidget(), form->TabSheetSetup);
    EXPECT_EQ(form->PageControlLoopstatsChart->currentWidget(), form->TabSheetJitter);
    // Setup is on view again as far as the window knows: none of the page controls shows,
    // and leaving it again reloads again.
    EXPECT_TRUE(form->CheckBoxExponentialAverage->isHidden());
    EXPECT_TRUE(form->CheckBoxIgnoreDataGaps->isHidden());
    EXPECT_TRUE(form->CheckBoxPeerstatsLAN->isHidden());
    form->PageControlGraph->setCurrentWidget(form->TabSheetLoopstatsSummary);
    EXPECT_EQ(reloads.count(), 2);
}

} // namespace
