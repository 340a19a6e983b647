// "Copy data" in the charts' context menus of the real main window, offscreen.
#include "ChartCsv.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormTallimer.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

// A window that never asks and never shows a message box.
class QuietForm : public TFormTallimer
{
public:
    using TFormTallimer::TFormTallimer;

protected:
    QStringList AskForStatisticsFiles() override { return {}; }
    void ShowMessage(const QString&) override { }
};

QStringList ActionTexts(const QMenu* menu)
{
    QStringList texts;
    if (menu)
        for (const QAction* action : menu->actions())
            texts << action->text();
    return texts;
}

QAction* CopyDataAction(const QMenu* menu)
{
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Copy data"))
            return action;
    return nullptr;
}

class CopyDataMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid() && data.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        setenv("TZ", "UTC", 1);
        tzset();
        // One day of loop statistics (MJD 60000), a sample every 10 minutes, and a peer.
        QByteArray loop;
        QByteArray peer;
        for (int second = 0; second < 86400; second += 600) {
            const QByteArray time = QByteArray("60000 ") + QByteArray::number(second) + ".000 ";
            loop += time + QByteArray::number((second / 600 % 9 - 4) * 1e-6, 'f', 9) + " -12.5 0.000002 0.001 6\n";
            peer += time + "192.168.0.5 9614 0.0012 0.0300 0.0020 0.0004\n";
        }
        WriteFile(data.filePath(QStringLiteral("loopstats.20230225")), loop);
        WriteFile(data.filePath(QStringLiteral("peerstats.20230225")), peer);

        form = std::make_unique<QuietForm>(QStringList { data.path() });
        QSignalSpy loaded(form.get(), &TFormTallimer::StartupLoadFinished);
        form->show();
        ASSERT_TRUE(loaded.wait(10000));
    }

    static void WriteFile(const QString& name, const QByteArray& content)
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir config;
    QTemporaryDir data;
    std::unique_ptr<QuietForm> form;
};

TEST_F(CopyDataMenuTest, LoopChartsAndTheHistogramOfferTheirDataAndNothingElse)
{
    const QStringList histogramItems = { "Offset histogram", "", "Change scale", "Restore auto-scale", "Copy data" };
    EXPECT_EQ(ActionTexts(form->ChartOffsets->ContextMenu()), histogramItems);
    for (TChartView* view :
        { form->ChartOffsetVsTOD, form->ChartAbsFrequency, form->ChartFrequency, form->ChartFreqVsTOD,
            form->ChartJitter, form->ChartLoopstatsPollInterval, &form->FormHistogram->ChartHistoView() })
        EXPECT_EQ(ActionTexts(view->ContextMenu()), QStringList { "Copy data" }) << view->objectName().toStdString();
    // The peer charts' right click chooses peers; they get no menu.
    for (TChartView* view : { form->ChartPeerstatsOffset, form->ChartPeerstatsDelay, form->ChartPeerstatsDispersion,
             form->ChartPeerstatsJitter })
        EXPECT_EQ(view->ContextMenu(), nullptr) << view->objectName().toStdString();
}

TEST_F(CopyDataMenuTest, CopiesTheChartAsItStandsWhenChosen)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_NE(clipboard, nullptr);

    QAction* offsets = CopyDataAction(form->ChartOffsets->ContextMenu());
    ASSERT_NE(offsets, nullptr);
    offsets->trigger();
    const QString text = clipboard->text();
    EXPECT_EQ(text, ChartCsv(form->ChartOffsets->Chart(), CsvTimeStyle::Calendar));
    EXPECT_TRUE(text.contains(QStringLiteral(",2023-02-25T23:50:00.000,4\n"))) << text.toStdString();

    // The folded chart gives times of day.
    QAction* folded = CopyDataAction(form->ChartOffsetVsTOD->ContextMenu());
    ASSERT_NE(folded, nullptr);
    folded->trigger();
    EXPECT_TRUE(clipboard->text().contains(QStringLiteral(",23:50:00.000,4\n"))) << clipboard->text().toStdString();

    // The histogram of the offsets shown: every plotted offset counted once.
    form->Document().Histogram().Recompute();
    QAction* histogram = CopyDataAction(form->FormHistogram->ChartHistoView().ContextMenu());
    ASSERT_NE(histogram, nullptr);
    histogram->trigger();
    const QStringList rows = clipboard->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 2);
    EXPECT_EQ(rows.front(), QStringLiteral("offset,count"));
    int counted = 0;
    for (qsizetype i = 1; i < rows.size(); ++i)
        counted += rows[i].section(QLatin1Char(','), 1).toInt();
    EXPECT_EQ(counted, static_cast<int>(form->Document().Histogram().OffsetCopy().PointCount()));
}

} // namespace
