#pragma once

#include <QString>
#include <QStringList>

struct DocumentChart;
class StatisticsDocument;

struct ChartDataExportResult
{
    QStringList SavedFiles; // full names, in the order written
    QStringList FailedFiles; // names that could not be written
};

// The data behind one chart as the "Copy data" item and --export-csv give it: a chart's
// series, the peer table's cells, the offset histogram's bins (binned now), the
// stability curves ("series,tau,deviation,low,high,n") or the summary table in full
// precision.
QString ChartDataText(StatisticsDocument& document, const DocumentChart& chart);

// Writes the data behind every image that "Save" writes, as CSV, into directory (which
// ends in '/'): the image's name with ".csv", under the same rules (nothing before a
// loop statistics file was read, the peer pages only with peer data, the same date
// prefixes), and after the loop charts the offset histogram as "_histogram.csv", the
// stability curves as "_stability.csv" and the summary as "_summary.csv", all three with
// the loop charts' prefix.
ChartDataExportResult ExportChartData(StatisticsDocument& document, const QString& directory, bool withDatePrefix);
