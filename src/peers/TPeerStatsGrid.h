#pragma once

#include "PeerSortState.h"
#include "PeerTable.h"

#include <QTableWidget>

#include <vector>

class QAction;

// The peer statistics table ("StringGridPeerstats"): a fixed header row, one row per
// peer, texts word-wrapped with rows growing to fit, numbers right-aligned. It keeps the
// sort state: a press of the left or middle button on a header or a cell chooses that
// column (outside the cells: -1), the same column again reverses the order. The new
// order shows only after the next rebuild, so the grid then emits SortChanged.
// A right click offers "&Copy to clipboard" (also Ctrl+C while the grid has the focus):
// every row, the header included, as tab-separated text with CR LF after each row.
//
// The window: connects SortChanged to its reload, passes SortState() into the rebuild
// inputs, and hands each rebuild's TableRows to ShowPeerRows.
class TPeerStatsGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit TPeerStatsGrid(QWidget* parent = nullptr);

    // Shows the data rows (without the header) in the given order; an empty list leaves
    // only the header row.
    void ShowPeerRows(const std::vector<PeerTableRow>& rows);
    // Header and data rows as shown, for the clipboard and for tests.
    std::vector<PeerTableRow> AllRows() const;
    QString ClipboardText() const;

    const PeerSortState& SortState() const { return sort_; }
    QAction* CopyToClipboardAction() const { return copyAction_; }

public slots:
    void CopyToClipboard();

signals:
    void SortChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ColumnPressed(int column);
    void ApplyFontMetrics();
    void FitAddressColumn();
    void FitRowHeights();

    PeerSortState sort_;
    std::vector<PeerTableRow> rows_;
    QAction* copyAction_ = nullptr;
};
