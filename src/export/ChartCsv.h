#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QIODevice;
class TChart;
class TChartSeries;

// How the X values of a chart's date-time series are written. A series whose X values
// are not date-times is always written as plain numbers.
enum class CsvTimeStyle {
    Calendar, // yyyy-MM-ddTHH:mm:ss.zzz, the day number as plotted (already in the
              // time base in use, so no zone conversion happens here)
    TimeOfDay, // HH:mm:ss.zzz, for the charts folded onto one day
};

// The data behind a chart: the header "series,x,y", then one row per point of every
// series in attachment order. Y is written as drawn, with up to 9 significant digits
// and "." as the decimal separator whatever the locale; a Y that is not a finite
// number leaves its field empty. Rows end in LF.
QString ChartCsv(const TChart& chart, CsvTimeStyle timeStyle);

// The same text written to out as UTF-8 piece by piece, so that a chart of millions of
// points never needs the whole text in memory; false when writing failed.
bool WriteChartCsv(QIODevice& out, const TChart& chart, CsvTimeStyle timeStyle);

// A table as CSV: each row's cells comma-separated, a cell quoted when it holds a
// comma, a double quote, CR or LF (double quotes inside doubled). Rows end in LF.
QString TableCsv(const std::vector<QStringList>& rows);

// The histogram's bins from its line series (X the bin centre, Y the count): the header
// "offset,count", then one row per bin in X order.
QString HistogramCsv(const TChartSeries& bins);

// One CSV field, quoted when it must be.
QString CsvField(const QString& text);

// A number with up to 9 significant digits in the C locale; empty when not finite.
QString CsvNumber(double value);

// A day number (days since 30 December 1899, fraction = time of day) as text in the
// given style, to the millisecond. A value that is no date between the years 1 and
// 9999 is written as a number instead, so nothing is ever lost or misdated.
QString CsvDateTime(double dayNumber, CsvTimeStyle timeStyle);

// Writes the text as UTF-8, replacing a file of that name only once the whole text is
// on disk; false when it could not be written (the old file, if any, stays).
bool WriteCsvFile(const QString& fileName, const QString& text);

// The same for a text that write produces into the file; write returns false on failure.
bool WriteCsvFile(const QString& fileName, const std::function<bool(QIODevice&)>& write);
