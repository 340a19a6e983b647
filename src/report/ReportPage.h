#pragma once

#include "ReportTable.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One chart's section of the report page.
struct ReportChart
{
    QString Anchor; // the section's id, for the contents' links
    QString Title;
    QString Description;
    QString ImageFile; // file name beside the page; empty: no image could be drawn
    QSize ImageSize; // its size in pixels
    QString CsvFile; // file name beside the page; empty: no data file
};

// Everything the report page shows, as plain text (the page escapes it).
struct ReportPage
{
    QString SiteName;
    QString Generated; // the time the page was made, with its zone
    QString PeriodFirst; // the first and the last time plotted; empty when none was
    QString PeriodLast;
    QString ZoneLabel;
    QStringList LoopFiles; // the statistics files read
    QStringList PeerFiles;
    QString Version; // "Tallimer 1.0.0.0"

    std::optional<ReportTable> Summary; // nothing: the summary is not available
    QString SummaryCsv;
    std::vector<ReportChart> Charts;
    std::optional<ReportTable> Peers; // nothing: no peer statistics were read
    QString PeersCsv;
};
