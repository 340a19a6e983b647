#pragma once

#include <QRect>

// Where a peer chart's "Change scale" spinner sits on its chart: 17 × 25 pixels, 4 pixels
// from the left edge, its lower edge 36 pixels above the chart's bottom edge. The window
// moves the spinner here whenever the chart view is resized.
QRect PeerScaleSpinnerRect(int chartHeight);

// The spinner's range: positions 0 to 100, step 1, no wrap-around, 0 at start.
inline constexpr int PeerScaleSpinnerMaximum = 100;
