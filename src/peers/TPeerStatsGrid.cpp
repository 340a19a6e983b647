#include "TPeerStatsGrid.h"

#include "PeerTableLayout.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

namespace {
constexpr int CellPadding = PeerCellPadding;

constexpr Qt::Alignment HeaderAlignment = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment AddressAlignment = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment NumberAlignment = Qt::AlignRight | Qt::AlignTop;
} // namespace

TPeerStatsGrid::TPeerStatsGrid(QWidget* parent)
    : QTableWidget(0, PeerTableColumns, parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(true);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(HeaderAlignment | Qt::Alignment(Qt::TextWordWrap));
    connect(header, &QHeaderView::sectionPressed, this, &TPeerStatsGrid::ColumnPressed);

    const PeerTableRow& headers = PeerTableHeaders();
    for (int c = 0; c < PeerTableColumns; ++c) {
        // The header's default alignment, with word wrap, applies to these items.
        setHorizontalHeaderItem(c, new QTableWidgetItem(headers[std::size_t(c)]));
    }
    rows_.push_back(headers);

    copyAction_ = new QAction(tr("&Copy to clipboard"), this);
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &TPeerStatsGrid::CopyToClipboard);
    addAction(copyAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    ApplyFontMetrics();
}

void TPeerStatsGrid::ApplyFontMetrics()
{
    const QFontMetrics metrics(font());
    verticalHeader()->setMinimumSectionSize(metrics.height() + 4);
    verticalHeader()->setDefaultSectionSize(metrics.boundingRect(QStringLiteral("Cy")).height() + 4);
    const std::array<int, PeerTableColumns> widths = PeerTableColumnWidths(font(), { PeerTableHeaders() });
    for (int c = 0; c < PeerTableColumns; ++c)
        setColumnWidth(c, widths[std::size_t(c)]);
    FitAddressColumn();
    FitRowHeights();
}

void TPeerStatsGrid::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        ApplyFontMetrics();
}

void TPeerStatsGrid::ShowPeerRows(const std::vector<PeerTableRow>& rows)
{
    rows_.resize(1);
    rows_.insert(rows_.end(), rows.begin(), rows.end());

    setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < PeerTableColumns; ++c) {
            auto* item = new QTableWidgetItem(rows[std::size_t(r)][std::size_t(c)]);
            item->setTextAlignment(c == 0 ? AddressAlignment : NumberAlignment);
            setItem(r, c, item);
        }
    }
    FitAddressColumn();
    FitRowHeights();
}

void TPeerStatsGrid::FitAddressColumn()
{
    if (rows_.size() <= 1)
        return; // the address column keeps its width until peers are shown
    setColumnWidth(0, PeerTableColumnWidths(font(), rows_)[0]);
}

void TPeerStatsGrid::FitRowHeights()
{
    // Wrapped texts make their row taller, never shorter than the default height.
    resizeRowsToContents();
    const int minimum = verticalHeader()->defaultSectionSize();
    for (int r = 0; r < rowCount(); ++r) {
        if (rowHeight(r) < minimum)
            setRowHeight(r, minimum);
    }
    const QFontMetrics metrics(horizontalHeader()->font());
    int headerHeight = metrics.height() + 4;
    const PeerTableRow& headers = PeerTableHeaders();
    for (int c = 0; c < PeerTableColumns; ++c) {
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, std::max(1, columnWidth(c) - CellPadding), 10000),
            Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, headers[std::size_t(c)]);
        headerHeight = std::max(headerHeight, wrapped.height() + 8);
    }
    horizontalHeader()->setFixedHeight(headerHeight);
}

std::vector<PeerTableRow> TPeerStatsGrid::AllRows() const
{
    return rows_;
}

QString TPeerStatsGrid::ClipboardText() const
{
    return PeerTableClipboardText(rows_);
}

void TPeerStatsGrid::CopyToClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ClipboardText());
}

void TPeerStatsGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        QTableWidget::mousePressEvent(event); // the pop-up menu handles it
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    ColumnPressed(index.isValid() ? index.column() : -1);
    QTableWidget::mousePressEvent(event);
}

void TPeerStatsGrid::ColumnPressed(int column)
{
    sort_.Click(column);
    emit SortChanged();
}
