#pragma once

#include <QLocale>
#include <QString>

// Number labels by pattern: "#,##0.###" groups thousands and shows at most three
// decimals; "#.###" the same without grouping. Decimals counted by '0' after the point
// are always shown, those counted by '#' only when not zero. At least one integer digit
// is shown, so 0 reads "0" and 0.5 reads "0.5". Separators come from the locale.
// Values that are not finite give an empty text; magnitudes of 1e15 and more are shown
// with a power of ten ("-1.02e+20").
// A pattern with an exponent part, "0.##e-0" or "0.0E+00", shows every value with a
// power of ten: the decimals of the mantissa as above, the exponent with its sign ("+"
// in the pattern: always; "-": only when negative) and at least as many digits as the
// pattern has zeros after the sign: 2e-9 reads "2e-9", 12345 "1.23e4" under "0.##e-0".
// The pattern's letter (e or E) is the one shown.
QString FormatAxisValue(double value, const QString& pattern, const QLocale& locale = QLocale());

// The most decimals the pattern ever shows.
int MaximumDecimals(const QString& pattern);

// Date-time labels of the chart (axis ticks, tool tips): the program's FormatDateTime
// (DateTime.h, same pattern tokens) with the time rounded to the whole second, since
// these labels show seconds at most and a tool tip at 12:00:00.7 reads 12:00:01. A day
// number that is not a date of the years 1 to 9999 gives an empty text: an axis without
// a label rather than one with question marks.
QString ChartDateTimeLabel(double dayNumber, const QString& pattern, const QLocale& locale = QLocale());
