#pragma once

class QMenu;
class QWidget;
class TFormHistogram;

// The context menu of ChartOffsets: "Offset histogram" opens the histogram window
// modally; "Change scale" and "Restore auto-scale" follow a separator and are shown
// disabled, as they have no action. The menu belongs to `parent` (the chart's view);
// the histogram window must outlive it or be destroyed first, in which case the item
// does nothing.
QMenu* CreatePopupMenuShowHisto(TFormHistogram& histogram, QWidget* parent);
