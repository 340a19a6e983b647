#include "TSummaryGrid.h"

#include "TableImage.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>

#include <algorithm>

TSummaryGrid::TSummaryGrid(QWidget* parent)
    : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    // Rows as tall as a line of text: the table should fit a page without scrolling.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    copyAction_ = new QAction(tr("&Copy to clipboard"), this);
    copyAction_->setObjectName(QStringLiteral("ActionCopyToClipboard"));
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &TSummaryGrid::CopyToClipboard);
    addAction(copyAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TSummaryGrid::ShowTable(const std::vector<QStringList>& table)
{
    table_ = table;
    clear();
    const int columns = table.empty() ? 0 : int(table.front().size());
    setColumnCount(columns);
    setRowCount(table.empty() ? 0 : int(table.size()) - 1);
    if (table.empty())
        return;
    for (int c = 0; c < columns; ++c) {
        auto* header = new QTableWidgetItem(table.front()[c]);
        header->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        setHorizontalHeaderItem(c, header);
    }
    for (std::size_t r = 1; r < table.size(); ++r)
        for (int c = 0; c < columns && c < table[r].size(); ++c) {
            auto* item = new QTableWidgetItem(table[r][c]);
            item->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            setItem(int(r) - 1, c, item);
        }
    resizeColumnsToContents();
    // Numbers of different lengths line up better in columns of one width.
    int numbers = 0;
    for (int c = 1; c < columns; ++c)
        numbers = std::max(numbers, columnWidth(c));
    for (int c = 1; c < columns; ++c)
        setColumnWidth(c, numbers + 8);
    setColumnWidth(0, columnWidth(0) + 12);
}

QString TSummaryGrid::ClipboardText() const
{
    return TableClipboardText(table_);
}

void TSummaryGrid::CopyToClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ClipboardText());
}
