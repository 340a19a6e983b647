#pragma once

class TChart;
class TChartAxis;

// The range an axis actually spans when drawn, and the mapping between values and pixels.
struct AxisScale
{
    double minimum = 0.0;
    double maximum = 1.0;
    bool logarithmic = false;
    bool decades = false; // a logarithmic axis with ticks at powers of ten only

    // p0 is the pixel of the minimum, p1 that of the maximum (p1 < p0 for vertical axes).
    // Values off a logarithmic axis (0 and below) map far beyond p0.
    double ToPixel(double value, double p0, double p1) const;
    double FromPixel(double pixel, double p0, double p1) const;
};

// Resolves an axis: automatic ends from the values of the series drawn against it (with a
// little room above and below on vertical axes), manual ends as set; a range that cannot
// be drawn (empty, reversed, not finite, or not positive on a logarithmic axis) is widened
// to one that can.
AxisScale ResolveAxisScale(const TChart& chart, const TChartAxis& axis);
// Repairs a range the same way, for ranges that come from elsewhere (a zoom).
AxisScale MakeDrawableScale(double minimum, double maximum, bool logarithmic);

// Whether the axis labels date-times: its first series has date-time values along it.
bool AxisShowsDateTime(const TChart& chart, const TChartAxis& axis);
// Whether any series is drawn against the right axis.
bool RightAxisInUse(const TChart& chart);
