#include "TChartView.h"

#include "ChartLayout.h"
#include "NearestPoint.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cstdlib>

namespace {
// A drag shorter than this (pixels) is a click, not a zoom.
constexpr int MinimumDrag = 4;
constexpr double ToolTipDistance = 10.0;
} // namespace

TChartView::TChartView(TChart* chart, QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetChart(chart);
}

TChartView::~TChartView()
{
    SetChart(nullptr);
}

void TChartView::SetChart(TChart* chart)
{
    if (chart_ == chart)
        return;
    if (chart_)
        chart_->RemoveChangeObserver(observerId_);
    chart_ = chart;
    zoom_.reset();
    if (chart_) {
        observerId_ = chart_->AddChangeObserver([this] { update(); });
        chart_->SetSize(width(), height());
    }
    update();
}

void TChartView::SetContextMenu(QMenu* menu)
{
    menu_ = menu;
}

QMenu* TChartView::ContextMenu() const
{
    return menu_.data();
}

void TChartView::SetRightClickHandler(std::function<void(QPoint)> handler)
{
    rightClickHandler_ = std::move(handler);
}

void TChartView::UndoZoom()
{
    if (!zoom_)
        return;
    zoom_.reset();
    update();
}

QSize TChartView::sizeHint() const
{
    return { 640, 400 };
}

QSize TChartView::minimumSizeHint() const
{
    return { 160, 120 };
}

void TChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!chart_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Drawn into an image first: on an image the renderer can draw a wide antialiased
    // line column by column, many times faster than on the window's surface.
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    {
        QPainter imagePainter(&image);
        DrawTo(*chart_, imagePainter, rect(), zoom_);
    }
    painter.drawImage(QPoint(0, 0), image);
    if (dragStart_ && dragNow_.x() > dragStart_->x()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(chart_->ZoomPenColor().ToQColor(), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(*dragStart_, dragNow_).normalized());
    }
}

void TChartView::resizeEvent(QResizeEvent* event)
{
    if (chart_)
        chart_->SetSize(width(), height());
    QWidget::resizeEvent(event);
}

void TChartView::OpenContextMenu(QPoint position)
{
    emit RightClicked(position);
    if (rightClickHandler_)
        rightClickHandler_(position);
    if (menu_)
        menu_->popup(mapToGlobal(position));
}

void TChartView::mousePressEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        dragStart_.reset();
        OpenContextMenu(position);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        dragStart_ = position;
        dragNow_ = position;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragStart_ && (event->buttons() & Qt::LeftButton)) {
        dragNow_ = event->position().toPoint();
        update();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragStart_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint start = *dragStart_;
    const QPoint end = event->position().toPoint();
    dragStart_.reset();
    if (end.x() < start.x() - MinimumDrag)
        UndoZoom();
    else if (end.x() > start.x() + MinimumDrag && std::abs(end.y() - start.y()) > MinimumDrag)
        ZoomTo(QRect(start, end).normalized());
    update();
}

void TChartView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragStart_.reset();
        UndoZoom();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TChartView::contextMenuEvent(QContextMenuEvent* event)
{
    // Mouse right clicks are handled on the press; this is the keyboard's menu key.
    if (event->reason() != QContextMenuEvent::Mouse)
        OpenContextMenu(event->pos());
    event->accept();
}

void TChartView::ZoomTo(const QRect& area)
{
    if (!chart_)
        return;
    const ChartLayout layout = LayoutChart(*chart_, rect(), zoom_);
    if (!layout.HasPlot())
        return;
    const QRect inside = area.intersected(layout.plot);
    if (inside.width() < MinimumDrag || inside.height() < MinimumDrag)
        return;
    const double left = layout.PlotLeft();
    const double right = layout.PlotRight();
    const double bottom = layout.PlotBottom();
    const double top = layout.PlotTop();
    ChartViewRange range;
    range.xMinimum = layout.bottom.scale.FromPixel(inside.left(), left, right);
    range.xMaximum = layout.bottom.scale.FromPixel(inside.right(), left, right);
    range.leftMinimum = layout.left.scale.FromPixel(inside.bottom(), bottom, top);
    range.leftMaximum = layout.left.scale.FromPixel(inside.top(), bottom, top);
    range.rightMinimum = layout.right.scale.FromPixel(inside.bottom(), bottom, top);
    range.rightMaximum = layout.right.scale.FromPixel(inside.top(), bottom, top);
    zoom_ = range;
    update();
}

bool TChartView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowPointToolTip(help->pos(), help->globalPos());
        return true;
    }
    return QWidget::event(event);
}

QString TChartView::PointTextAt(QPoint position) const
{
    if (!chart_)
        return QString();
    const ChartLayout layout = LayoutChart(*chart_, rect(), zoom_);
    const std::optional<NearestPoint> nearest = FindNearestPoint(*chart_, layout, position, ToolTipDistance);
    return nearest ? PointDescription(*chart_, *nearest) : QString();
}

void TChartView::ShowPointToolTip(QPoint position, QPoint globalPosition)
{
    const QString text = PointTextAt(position);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPosition, text, this);
}
