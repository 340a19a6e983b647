#include "ReportSummary.h"

std::optional<ReportTable> ReportSummaryTable(StatisticsDocument&)
{
    // The Analysis page does not offer its summary's rows yet.
    return std::nullopt;
}
