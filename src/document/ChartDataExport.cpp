#include "ChartDataExport.h"

#include "AnalysisSummary.h"
#include "ChartCsv.h"
#include "ImageFileNaming.h"
#include "StatisticsDocument.h"

#include <QIODevice>

#include <functional>

namespace {

std::vector<QStringList> PeerTableCells(const std::vector<PeerTableRow>& table)
{
    // The table pads its texts with blanks to set them off the grid lines; in a data
    // file those blanks would only stand in the way of reading the numbers.
    std::vector<QStringList> rows;
    for (const PeerTableRow& row : table) {
        QStringList cells;
        for (const QString& cell : row)
            cells.append(cell.trimmed());
        rows.push_back(cells);
    }
    return rows;
}

CsvTimeStyle TimeStyleOf(const ChartRow& row)
{
    return row.TimeOfDay ? CsvTimeStyle::TimeOfDay : CsvTimeStyle::Calendar;
}

QString HistogramText(OffsetHistogramModel& histogram)
{
    histogram.Recompute();
    const TChart& chart = histogram.Chart();
    return chart.SeriesCount() > 0 ? HistogramCsv(chart.Series(0)) : QStringLiteral("offset,count\n");
}

std::function<bool(QIODevice&)> TextWriter(const QString& text)
{
    return [bytes = text.toUtf8()](QIODevice& out) { return out.write(bytes) == bytes.size(); };
}

// Charts of a long year hold millions of points: they go to the file as written.
std::function<bool(QIODevice&)> DataWriter(StatisticsDocument& document, const DocumentChart& chart)
{
    if (chart.Row.Id == ChartId::PeerTable || chart.Row.Id == ChartId::Histo || chart.Row.Id == ChartId::Stability
        || !chart.Model)
        return TextWriter(ChartDataText(document, chart));
    return [model = chart.Model, style = TimeStyleOf(chart.Row)](
               QIODevice& out) { return WriteChartCsv(out, *model, style); };
}

} // namespace

QString ChartDataText(StatisticsDocument& document, const DocumentChart& chart)
{
    if (chart.Row.Id == ChartId::PeerTable)
        return TableCsv(PeerTableCells(document.PeerTableRows()));
    if (chart.Row.Id == ChartId::Histo)
        return HistogramText(document.Histogram());
    if (chart.Row.Id == ChartId::Stability)
        return StabilityCsv(document.Stability());
    if (chart.Row.Id == ChartId::AnalysisSummary)
        return TableCsv(AnalysisSummaryTable(document, SummaryCells::Full));
    return chart.Model ? ChartCsv(*chart.Model, TimeStyleOf(chart.Row)) : QString();
}

ChartDataExportResult ExportChartData(StatisticsDocument& document, const QString& directory, bool withDatePrefix)
{
    ChartDataExportResult result;
    if (document.Files().LoopDirectory.isEmpty())
        return result;
    const bool peers = document.Files().HavePeerData;
    for (const DocumentChart& chart : document.Charts()) {
        const ChartGroup group = chart.Row.Group;
        if (group == ChartGroup::Peer && !peers)
            continue;
        const QString prefix = withDatePrefix ? DatePrefix(document.ReferenceHighestX(group)) : QString();
        const QString name
            = ImageFileName(directory, prefix, QString::fromLatin1(chart.Row.FileSuffix) + QStringLiteral(".csv"));
        (WriteCsvFile(name, DataWriter(document, chart)) ? result.SavedFiles : result.FailedFiles).append(name);
    }
    return result;
}
