#pragma once

#include "ReportTable.h"

#include <optional>

class StatisticsDocument;

// The summary table of the "Analysis" page, as the report's second section shows it:
// its header row and its rows of cells, taken from the document as rebuilt. Nothing
// while the program has no such table to give; the page then says so.
//
// This is the one place that connects the report to the Analysis page: when the page's
// summary can be asked of a StatisticsDocument, return its rows here.
std::optional<ReportTable> ReportSummaryTable(StatisticsDocument& document);
