#pragma once

#include <QStringList>
#include <QTableWidget>

#include <vector>

class QAction;

// The summary table of the Analysis page ("StringGridSummary"): the header row of the
// table as its column headers, one row per quantity, the quantities left- and the numbers
// right-aligned. Its menu (right click) offers "&Copy to clipboard", also Ctrl+C while
// it has the focus: the table as shown, the header included, tab-separated with CR LF
// after each row, as the peer table copies.
class TSummaryGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit TSummaryGrid(QWidget* parent = nullptr);

    // Shows a table: its first row is the header. An empty list shows nothing.
    void ShowTable(const std::vector<QStringList>& table);
    const std::vector<QStringList>& Table() const { return table_; }
    QString ClipboardText() const;
    QAction* CopyToClipboardAction() const { return copyAction_; }

public slots:
    void CopyToClipboard();

private:
    std::vector<QStringList> table_;
    QAction* copyAction_ = nullptr;
};
