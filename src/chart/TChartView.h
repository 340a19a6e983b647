#pragma once

#include "ChartRenderer.h"
#include "TChart.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;

// A widget that shows a chart model it does not own (as an item view shows its model) and
// repaints when the chart says so; the model must outlive the view or be replaced first. Dragging a
// rectangle left to right zooms into it; a right-to-left drag or a double click undoes
// the zoom. Zooming is a view state: the chart's axis ranges are not touched. A right
// click opens the context menu or calls the right-click handler; hovering near a point
// shows its time and value.
class TChartView : public QWidget
{
    Q_OBJECT

public:
    explicit TChartView(TChart* chart, QWidget* parent = nullptr);
    ~TChartView() override;

    // Shows another model (or none); the zoom is undone. The model is told the view's size.
    void SetChart(TChart* chart);
    // The model shown; only while there is one.
    TChart& Chart() { return *chart_; }
    const TChart& Chart() const { return *chart_; }
    bool HasChart() const { return chart_ != nullptr; }

    void SetContextMenu(QMenu* menu);
    QMenu* ContextMenu() const;
    void SetRightClickHandler(std::function<void(QPoint)> handler);

    bool IsZoomed() const { return zoom_.has_value(); }
    const std::optional<ChartViewRange>& Zoom() const { return zoom_; }
    void UndoZoom();
    // The text the tooltip shows for the point nearest to a widget position; empty when
    // no point is near enough.
    QString PointTextAt(QPoint position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Emitted on every right click, before the menu or handler, with the widget position.
    void RightClicked(QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void OpenContextMenu(QPoint position);
    void ZoomTo(const QRect& area);
    void ShowPointToolTip(QPoint position, QPoint globalPosition);

    TChart* chart_ = nullptr;
    int observerId_ = 0;
    QPointer<QMenu> menu_;
    std::function<void(QPoint)> rightClickHandler_;
    std::optional<ChartViewRange> zoom_;
    std::optional<QPoint> dragStart_;
    QPoint dragNow_;
};
