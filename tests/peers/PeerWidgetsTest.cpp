// The peer table widget, the selection dialog and the charts' right-click handler.
#include "PeerContextPopup.h"
#include "TFormSelectPeers.h"
#include "TPeerStatsGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
PeerTableRow Row(const QString& address, const QString& entries)
{
    PeerTableRow row;
    row[0] = address + ' ';
    row[1] = entries + ' ';
    for (std::size_t c = 2; c < row.size(); ++c)
        row[c] = QStringLiteral("1.000 ");
    return row;
}

QPoint CellCentre(const TPeerStatsGrid& grid, int row, int column)
{
    return grid.visualRect(grid.model()->index(row, column)).center();
}

QPoint SectionCentre(const TPeerStatsGrid& grid, int column)
{
    const QHeaderView* header = grid.horizontalHeader();
    return { header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2 };
}

std::vector<Qt::CheckState> CheckStates(const TFormSelectPeers& dialog)
{
    std::vector<Qt::CheckState> states;
    for (int i = 0; i < dialog.CheckListBoxPeers()->count(); ++i)
        states.push_back(dialog.CheckListBoxPeers()->item(i)->checkState());
    return states;
}

// Runs action on the dialog once its modal loop is running.
void WhenShown(TFormSelectPeers& dialog, std::function<void(TFormSelectPeers&)> action)
{
    QTimer::singleShot(0, &dialog, [&dialog, action] { action(dialog); });
}
} // namespace

TEST(PeerStatsGrid, ShowsHeaderAndRowsAndGrowsWrappedRows)
{
    TPeerStatsGrid grid;
    grid.resize(1200, 300);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), "Number of entries");
    // "Number of entries" is wider than its column and wraps onto a second line.
    const int lineHeight = QFontMetrics(grid.horizontalHeader()->font()).height();
    EXPECT_GT(grid.horizontalHeader()->height(), 2 * lineHeight);

    grid.ShowPeerRows({ Row("192.168.100.200", "9"), Row("10.0.0.1", "5") });
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.item(0, 0)->text(), "192.168.100.200 ");
    EXPECT_EQ(grid.item(1, 2)->text(), "1.000 ");
    EXPECT_TRUE(grid.item(1, 2)->textAlignment() & Qt::AlignRight);
    EXPECT_GE(grid.columnWidth(0), 16 + QFontMetrics(grid.font()).horizontalAdvance("192.168.100.200 "));

    PeerTableRow tall = Row("10.0.0.2", "1");
    tall[10] = QStringLiteral("a text far too wide for one line of this column");
    grid.ShowPeerRows({ tall, Row("10.0.0.3", "1") });
    EXPECT_GT(grid.rowHeight(0), grid.rowHeight(1));

    grid.ShowPeerRows({});
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(grid.AllRows().size(), 1u); // the header stays
}

TEST(PeerStatsGrid, PressesChooseTheSortColumn)
{
    TPeerStatsGrid grid;
    grid.resize(1400, 300);
    grid.ShowPeerRows({ Row("10.0.0.1", "5") });
    grid.show();
    QSignalSpy changed(&grid, &TPeerStatsGrid::SortChanged);

    QTest::mousePress(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, SectionCentre(grid, 6));
    EXPECT_EQ(grid.SortState().Column, 6);
    EXPECT_TRUE(grid.SortState().Ascending);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 0, 6));
    EXPECT_EQ(grid.SortState().Column, 6);
    EXPECT_FALSE(grid.SortState().Ascending);
    QTest::mousePress(grid.viewport(), Qt::MiddleButton, {}, CellCentre(grid, 0, 3));
    EXPECT_EQ(grid.SortState().Column, 3);
    EXPECT_TRUE(grid.SortState().Ascending);
    EXPECT_EQ(changed.count(), 3);

    QTest::mousePress(grid.viewport(), Qt::RightButton, {}, CellCentre(grid, 0, 1));
    EXPECT_EQ(grid.SortState().Column, 3);
    EXPECT_EQ(changed.count(), 3);

    // Below the last row is outside the cells.
    QTest::mousePress(
        grid.viewport(), Qt::LeftButton, {}, QPoint(CellCentre(grid, 0, 2).x(), grid.viewport()->height() - 2));
    EXPECT_EQ(grid.SortState().Column, -1);
    EXPECT_TRUE(grid.SortState().Ascending);
}

TEST(PeerStatsGrid, CopiesEveryRowToTheClipboard)
{
    TPeerStatsGrid grid;
    grid.ShowPeerRows({ Row("10.0.0.2", "5"), Row("10.0.0.1", "3") });
    QGuiApplication::clipboard()->clear();
    grid.CopyToClipboardAction()->trigger();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text, grid.ClipboardText());
    EXPECT_EQ(text.count("\r\n"), 3);
    EXPECT_TRUE(text.endsWith("1.000 \r\n"));
    EXPECT_TRUE(text.startsWith(" Peer                \t"));
    EXPECT_EQ(grid.CopyToClipboardAction()->text(), "&Copy to clipboard");
}

TEST(SelectPeers, EveryShowingStartsUncheckedAndOkKeepsTheChecked)
{
    TFormSelectPeers dialog;
    int resets = 0;
    dialog.SetResetPeerScales([&resets] { ++resets; });
    EXPECT_EQ(dialog.windowTitle(), "Tallimer - Select Peers");

    dialog.SetPeerChoice({ "10.0.0.1", "10.0.0.2", "10.0.0.3" });
    std::vector<Qt::CheckState> seen;
    WhenShown(dialog, [&seen](TFormSelectPeers& d) {
        seen = CheckStates(d);
        d.ButtonSelectAll()->click();
        d.CheckListBoxPeers()->item(1)->setCheckState(Qt::Unchecked);
        d.ButtonOK()->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(seen, std::vector<Qt::CheckState>(3, Qt::Unchecked));
    EXPECT_EQ(dialog.PeerChoice(), QStringList({ "10.0.0.1", "10.0.0.3" }));
    EXPECT_EQ(resets, 1);

    // Shown again with the same peers: nothing is checked, "None" clears "All".
    dialog.SetPeerChoice({ "10.0.0.1", "10.0.0.3" });
    WhenShown(dialog, [&seen](TFormSelectPeers& d) {
        seen = CheckStates(d);
        d.ButtonSelectAll()->click();
        d.ButtonNone()->click();
        d.ButtonOK()->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(seen, std::vector<Qt::CheckState>(2, Qt::Unchecked));
    EXPECT_TRUE(dialog.PeerChoice().isEmpty());
    EXPECT_EQ(resets, 2); // OK resets the spinners even when nothing changed
}

TEST(SelectPeers, ContextPopupConfirmsOrCancels)
{
    TFormSelectPeers dialog;
    int resets = 0;
    dialog.SetResetPeerScales([&resets] { ++resets; });
    const std::vector<PeerLineCount> counts = { { "10.0.0.1", 4 }, { "192.168.0.5", 9 } };
    QStringList selected = { "10.0.0.1" };
    int rebuilds = 0;
    const auto rebuild = [&rebuilds] { ++rebuilds; };

    WhenShown(dialog, [](TFormSelectPeers& d) {
        d.CheckListBoxPeers()->item(1)->setCheckState(Qt::Checked);
        d.ButtonCancel()->click();
    });
    EXPECT_FALSE(ChartPeerstatsContextPopup(counts, dialog, selected, rebuild));
    EXPECT_EQ(selected, QStringList({ "10.0.0.1" }));
    EXPECT_EQ(rebuilds, 0);
    EXPECT_EQ(resets, 0);

    WhenShown(dialog, [](TFormSelectPeers& d) { d.reject(); }); // closed another way
    EXPECT_FALSE(ChartPeerstatsContextPopup(counts, dialog, selected, rebuild));
    EXPECT_EQ(selected, QStringList({ "10.0.0.1" }));

    QStringList offered;
    WhenShown(dialog, [&offered](TFormSelectPeers& d) {
        for (int i = 0; i < d.CheckListBoxPeers()->count(); ++i)
            offered.push_back(d.CheckListBoxPeers()->item(i)->text());
        d.CheckListBoxPeers()->item(1)->setCheckState(Qt::Checked);
        d.ButtonOK()->click();
    });
    EXPECT_TRUE(ChartPeerstatsContextPopup(counts, dialog, selected, rebuild));
    EXPECT_EQ(offered, QStringList({ "10.0.0.1", "192.168.0.5" }));
    EXPECT_EQ(selected, QStringList({ "192.168.0.5" }));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(resets, 1);
}

TEST(SelectPeers, RightClickWithoutPeersDoesNothing)
{
    TFormSelectPeers dialog;
    dialog.SetPeerChoice({ "left from before" });
    QStringList selected = { "10.0.0.1" };
    // A dialog shown here would block the test: the handler must return at once.
    EXPECT_FALSE(ChartPeerstatsContextPopup({}, dialog, selected, [] { FAIL(); }));
    EXPECT_EQ(dialog.PeerChoice(), QStringList({ "left from before" }));
    EXPECT_EQ(selected, QStringList({ "10.0.0.1" }));
}
