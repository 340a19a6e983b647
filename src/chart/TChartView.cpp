#include "TChartView.h"

#include <QMenu>
#include <QPainter>

TChartView::TChartView(QWidget* parent) : QWidget(parent)
{
    observerId_ = chart_.AddChangeObserver([this] { update(); });
}

TChartView::~TChartView()
{
    chart_.RemoveChangeObserver(observerId_);
}

void TChartView::SetContextMenu(QMenu* menu) { menu_ = menu; }
QMenu* TChartView::ContextMenu() const { return menu_.data(); }
void TChartView::SetRightClickHandler(std::function<void(QPoint)> handler) { rightClickHandler_ = std::move(handler); }
void TChartView::UndoZoom() { zoom_.reset(); update(); }
QSize TChartView::sizeHint() const { return {640, 400}; }
QSize TChartView::minimumSizeHint() const { return {160, 120}; }

void TChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawTo(chart_, painter, rect(), zoom_);
}

void TChartView::resizeEvent(QResizeEvent* event)
{
    chart_.SetSize(width(), height());
    QWidget::resizeEvent(event);
}

void TChartView::mousePressEvent(QMouseEvent* event) { QWidget::mousePressEvent(event); }
void TChartView::mouseMoveEvent(QMouseEvent* event) { QWidget::mouseMoveEvent(event); }
void TChartView::mouseReleaseEvent(QMouseEvent* event) { QWidget::mouseReleaseEvent(event); }
void TChartView::mouseDoubleClickEvent(QMouseEvent* event) { QWidget::mouseDoubleClickEvent(event); }
bool TChartView::event(QEvent* event) { return QWidget::event(event); }
void TChartView::ShowPointToolTip(QPoint, QPoint) {}
