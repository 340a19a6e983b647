#pragma once

#include "ChartCsv.h"

#include <QString>
#include <QStringList>

class TFormTallimer;

struct ChartDataExportResult
{
    QStringList SavedFiles;   // full names, in the order written
    QStringList FailedFiles;  // names that could not be written
};

// The X style of a chart's CSV: the two charts folded onto one day give times of day.
CsvTimeStyle CsvTimeStyleOf(const QString& chartName);

// Writes the data behind every image that "Save" writes, as CSV, into directory (which
// ends in '/'): the image's name with ".csv" for ".png", under the same rules (nothing
// before a loop statistics file was read, the peer pages only with peer data, the same
// date prefixes), and after the loop charts the offset histogram as "_histogram.csv"
// with the loop charts' prefix.
ChartDataExportResult ExportChartData(TFormTallimer& form, const QString& directory,
                                      bool withDatePrefix);
