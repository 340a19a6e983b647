#pragma once

#include "RowImageFile.h"

#include <QString>
#include <QStringList>

class StatisticsDocument;

struct HtmlReportOptions
{
    QString Directory; // where index.html goes: an existing, writable directory ending in '/'
    QString SiteName; // the page's heading; empty: the host name
    ImageFormat Format = ImageFormat::Png;
};

struct HtmlReportResult
{
    enum class Outcome {
        Written, // index.html and every file it links are in place
        NoLoopStatistics, // nothing was read: nothing written, a page already there stays
        Failed, // a file could not be written: nothing published, a page already there stays
    };
    Outcome Result = Outcome::Failed;
    QStringList PublishedFiles; // full names, index.html last
};

// The size of the histogram window's chart, at which the report draws the histogram.
inline constexpr int ReportHistogramWidth = 535;
inline constexpr int ReportHistogramHeight = 341;

// Writes the web page of the document as rebuilt: index.html, an image and a CSV file for
// every chart of the chart table (the peer charts only with peer data), and CSV files
// of the peer table and the Analysis summary, all in Directory under fixed names (the
// images and data keep the names "Save" and --export-csv give them, without a date
// prefix, so the page's links stay the same from one run to the next).
//
// Everything is written into a hidden directory inside Directory first and renamed into
// place only when complete, index.html last: a browser never sees a page or an image half
// written, and a failure leaves the previous page as it was. Two runs into one directory
// publish one after the other.
HtmlReportResult WriteHtmlReport(StatisticsDocument& document, const HtmlReportOptions& options);
