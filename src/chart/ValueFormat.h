#pragma once

#include <QLocale>
#include <QString>

// Number labels by pattern: "#,##0.###" groups thousands and shows at most three
// decimals; "#.###" the same without grouping. Decimals counted by '0' after the point
// are always shown, those counted by '#' only when not zero. At least one integer digit
// is shown, so 0 reads "0" and 0.5 reads "0.5". Separators come from the locale.
// Values that are not finite give an empty text; magnitudes of 1e15 and more are shown
// with a power of ten ("-1.02e+20").
QString FormatAxisValue(double value, const QString& pattern, const QLocale& locale = QLocale());

// The most decimals the pattern ever shows.
int MaximumDecimals(const QString& pattern);

// Date-time day numbers (day 0 = 1899-12-30) by pattern: "yyyy" year, "mmm" the locale's
// abbreviated month name, "mm" month, "dd" day, "hh" hour (00-23), "nn" minute, "ss"
// second; other characters are copied. Times are rounded to the nearest second. Values
// that are not finite or lie beyond the years 1 to 9999 give an empty text.
QString FormatDateTime(double dayNumber, const QString& pattern, const QLocale& locale = QLocale());
