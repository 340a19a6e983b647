// The peer table's texts: cells, sort order, clicks on columns and the clipboard text.
#include "PeerTable.h"
#include "PeerFilesHint.h"

#include <gtest/gtest.h>

namespace {
PeerAccumulator Peer(std::initializer_list<double> offsets, double delay = 0.001)
{
    PeerAccumulator a;
    for (const double offset : offsets)
        a.Add(offset, delay, 0.0005, 0.0001);
    return a;
}

std::vector<int> Order(const std::vector<PeerAccumulator>& peers, int column, bool ascending)
{
    return PeerTableOrder(peers, PeerSortState { column, ascending });
}
} // namespace

TEST(PeerTable, CellsOfAPeerWithRecords)
{
    const PeerTableRow row = PeerTableCells("10.0.0.1", Peer({ 0.001, -0.002, 0.004 }), QLocale::c());
    const PeerTableRow expected { "10.0.0.1 ", "3 ", "1.000 ", "2.646 ", "-2.000 ", "4.000 ", "1.000 ", "1.000 ",
        "1.000 ", "0.500 ", "0.100 " };
    EXPECT_EQ(row, expected);
}

TEST(PeerTable, CellsUseTheDecimalSeparatorWithoutGrouping)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatPeerMilliseconds(-12.3456789, german), "-12345,679 ");
    EXPECT_EQ(FormatPeerMilliseconds(0, QLocale::c()), "0.000 ");
    EXPECT_EQ(FormatPeerMilliseconds(1e-7, QLocale::c()), "0.000 ");
}

TEST(PeerTable, PeerWithoutRecordsShowsOnlyItsAddress)
{
    const PeerTableRow row = PeerTableCells("10.0.0.9", PeerAccumulator {}, QLocale::c());
    EXPECT_EQ(row[0], "10.0.0.9");
    for (std::size_t c = 1; c < row.size(); ++c)
        EXPECT_TRUE(row[c].isEmpty());
}

TEST(PeerTable, OrderFollowsTheColumnAndDirection)
{
    // Peer 0: 1 record, mean offset 3 ms; peer 1: 3 records, mean offset -1 ms;
    // peer 2: 2 records, mean offset 2 ms, delay 5 ms.
    const std::vector<PeerAccumulator> peers
        = { Peer({ 0.003 }), Peer({ -0.001, -0.001, -0.001 }), Peer({ 0.002, 0.002 }, 0.005) };
    struct Case
    {
        int column;
        bool ascending;
        std::vector<int> order;
    };
    const Case cases[] = {
        { 0, false, { 0, 2, 1 } }, // at start: fewest entries first
        { 1, true, { 1, 2, 0 } }, // first click on entries: most first
        { 1, false, { 0, 2, 1 } },
        { 2, true, { 0, 2, 1 } }, // mean offset: largest first
        { 3, true, { 1, 2, 0 } }, // RMS offset: smallest first
        { 6, true, { 0, 1, 2 } }, // mean delay: smallest first
        { 6, false, { 2, 0, 1 } },
        { -1, true, { 1, 2, 0 } }, // outside the cells: like the entries
        { 11, true, { 1, 2, 0 } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Order(peers, c.column, c.ascending), c.order)
            << "column " << c.column << (c.ascending ? " ascending" : " descending");
}

TEST(PeerTable, EqualSortValuesKeepDisplayOrder)
{
    // 0.0000123 s and 0.00001232 s round to the same seventh decimal.
    const std::vector<PeerAccumulator> peers = { Peer({ 0.0000123 }), Peer({ 0.00001232 }), Peer({ 0.0000124 }) };
    EXPECT_EQ(Order(peers, 2, true), (std::vector<int> { 2, 0, 1 })); // largest first
    EXPECT_EQ(Order(peers, 2, false), (std::vector<int> { 0, 1, 2 }));
}

TEST(PeerTable, PeersWithoutStatisticsComeLastInEitherDirection)
{
    const std::vector<PeerAccumulator> peers
        = { PeerAccumulator {}, Peer({ 0.002 }), PeerAccumulator {}, Peer({ 0.001 }) };
    for (const bool ascending : { true, false }) {
        const std::vector<int> order = Order(peers, 4, ascending);
        EXPECT_EQ(std::vector<int>(order.begin() + 2, order.end()), (std::vector<int> { 0, 2 }));
    }
    // Sorted by entries they have a value, 0.
    EXPECT_EQ(Order(peers, 1, true), (std::vector<int> { 1, 3, 0, 2 }));
}

TEST(PeerTable, ClickingAColumnSortsAscendingThenDescending)
{
    PeerSortState sort;
    sort.Click(6);
    EXPECT_EQ(sort.Column, 6);
    EXPECT_TRUE(sort.Ascending);
    sort.Click(6);
    EXPECT_FALSE(sort.Ascending);
    sort.Click(3);
    EXPECT_EQ(sort.Column, 3);
    EXPECT_TRUE(sort.Ascending);

    const std::vector<PeerAccumulator> peers = { Peer({ 0.001 }, 0.002), Peer({ 0.001 }, 0.001) };
    PeerSortState clicked;
    clicked.Click(6);
    EXPECT_EQ(PeerTableOrder(peers, clicked), (std::vector<int> { 1, 0 }));
    clicked.Click(6);
    EXPECT_EQ(PeerTableOrder(peers, clicked), (std::vector<int> { 0, 1 }));
}

TEST(PeerTable, ClipboardTextHasTabsAndCrLfOnEveryRow)
{
    std::vector<PeerTableRow> rows = { PeerTableHeaders() };
    const std::vector<PeerTableRow> data = BuildPeerTableRows(
        { "10.0.0.1", "10.0.0.2" }, { Peer({ 0.001 }), PeerAccumulator {} }, PeerSortState {}, QLocale::c());
    rows.insert(rows.end(), data.begin(), data.end());
    const QString text = PeerTableClipboardText(rows);

    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 4); // three rows, each ended by CR LF
    EXPECT_TRUE(lines[3].isEmpty());
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(lines[r].count('\t'), 10) << r;
    EXPECT_TRUE(lines[0].startsWith(" Peer                \tNumber of entries\t"));
    EXPECT_EQ(lines[1], "10.0.0.2\t\t\t\t\t\t\t\t\t\t"); // fewest entries first
    EXPECT_TRUE(lines[2].startsWith("10.0.0.1 \t1 \t1.000 \t"));
}

TEST(PeerFilesHint, NamesThePeerFilesOnePerLine)
{
    EXPECT_EQ(
        PeerFilesHint({ "a/peerstats.20260101", "b" }), "Peerstats values used from:\n\na/peerstats.20260101\nb\n");
    EXPECT_EQ(PeerFilesHint({}), "Peerstats values used from:\n\n");
}
