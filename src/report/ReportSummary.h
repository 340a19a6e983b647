#pragma once

#include "ReportTable.h"

#include <optional>

class StatisticsDocument;

// The summary table of the "Analysis" page, as the report's second section shows it:
// its header row and its rows of cells as the page shows them, taken from the document
// as rebuilt. Nothing when the table has no rows to show; the page then says so.
std::optional<ReportTable> ReportSummaryTable(StatisticsDocument& document);
