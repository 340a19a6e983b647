#include "AnalysisSummary.h"

#include "ChartCsv.h"
#include "PeerTable.h"
#include "SharedWork.h"
#include "StatisticsDocument.h"
#include "TableImage.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

QString Cell(std::optional<double> value, SummaryCells cells, const QLocale& locale)
{
    if (!value || !std::isfinite(*value))
        return QString();
    return cells == SummaryCells::Shown ? FormatThreeDecimals(*value, locale) : CsvNumber(*value);
}

} // namespace

std::vector<SummaryRow> BuildSummaryRows(const LoopWindowSamples& loop, std::span<const PeerSamples> peers)
{
    struct Source
    {
        QString caption;
        std::span<const double> values;
        ValueScale scale;
    };
    std::vector<Source> sources {
        { QStringLiteral("Loop offset (µs)"), loop.Offsets, { 1.0, 1000.0 } },
        { QStringLiteral("Loop frequency (ppm)"), loop.Frequencies, {} },
        { QStringLiteral("Loop jitter (µs)"), loop.Jitters, { 1.0, 1000.0 } },
    };
    for (const PeerSamples& peer : peers) {
        sources.push_back(
            { peer.Address + QStringLiteral(" offset (ms)"), peer.Offsets.Shown, { peer.Offsets.Divisor() } });
        sources.push_back(
            { peer.Address + QStringLiteral(" delay (ms)"), peer.Delays.Shown, { peer.Delays.Divisor() } });
        sources.push_back(
            { peer.Address + QStringLiteral(" jitter (ms)"), peer.Jitters.Shown, { peer.Jitters.Divisor() } });
    }
    // Each row is summarised on its own, on whichever core is free.
    std::vector<SummaryRow> rows(sources.size());
    RunSharedWork(sources.size(), [&](std::size_t k) {
        const Source& source = sources[k];
        rows[k] = { source.caption, SummariseScaledPercentiles(source.values, source.scale) };
    });
    return rows;
}

QStringList SummaryHeader()
{
    QStringList header { QStringLiteral("Series") };
    for (const PercentileRow& row : PercentileRows(PercentileSummary {}))
        header.append(QString::fromUtf8(row.Caption.data(), qsizetype(row.Caption.size())));
    return header;
}

std::vector<QStringList> SummaryTableCells(std::span<const SummaryRow> rows, SummaryCells cells, const QLocale& locale)
{
    std::vector<QStringList> table { SummaryHeader() };
    for (const SummaryRow& row : rows) {
        QStringList texts { row.Caption };
        if (!row.Summary) {
            for (std::size_t i = 1; i < PercentileRowCount; ++i)
                texts.append(QString());
            texts.append(QStringLiteral("0"));
        } else {
            const auto values = PercentileRows(*row.Summary);
            for (std::size_t i = 0; i + 1 < PercentileRowCount; ++i)
                texts.append(Cell(values[i].Value, cells, locale));
            texts.append(QString::number(row.Summary->Samples));
        }
        table.push_back(texts);
    }
    return table;
}

std::vector<QStringList> AnalysisSummaryTable(
    const StatisticsDocument& document, SummaryCells cells, const QLocale& locale)
{
    return SummaryTableCells(document.SummaryRows(), cells, locale);
}

std::vector<int> SummaryColumnWidths(const std::vector<QStringList>& table, const QFont& font)
{
    const QFontMetrics metrics(font);
    const std::size_t columns = table.empty() ? 0 : std::size_t(table.front().size());
    // The numbers get at least the room the peer table gives its numbers.
    std::vector<int> widths(columns, metrics.horizontalAdvance(QStringLiteral("  -99999.999 ")));
    if (!widths.empty())
        widths[0] = metrics.horizontalAdvance(QStringLiteral("Loop frequency (ppm)"));
    for (const QStringList& row : table)
        for (std::size_t c = 0; c < columns && qsizetype(c) < row.size(); ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(row[qsizetype(c)]) + 4);
    for (int& w : widths)
        w += TableCellPadding;
    return widths;
}

QImage DrawSummaryTableImage(const std::vector<QStringList>& table, const QFont& font)
{
    return DrawTableImage(table, SummaryColumnWidths(table, font), font);
}
