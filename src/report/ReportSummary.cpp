#include "ReportSummary.h"

#include "AnalysisSummary.h"

std::optional<ReportTable> ReportSummaryTable(StatisticsDocument& document)
{
    const std::vector<QStringList> cells = AnalysisSummaryTable(document, SummaryCells::Shown);
    if (cells.size() < 2)
        return std::nullopt;
    ReportTable table;
    table.Headers = cells.front();
    table.Rows.assign(cells.begin() + 1, cells.end());
    return table;
}
