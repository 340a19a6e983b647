#pragma once

#include "AnalysisSamples.h"
#include "PercentileSummary.h"

#include <QFont>
#include <QImage>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

class StatisticsDocument;

// One row of the Analysis page's summary table: what was summarised and its summary
// (none when it had no finite value).
struct SummaryRow
{
    QString Caption; // "Loop offset (µs)", "192.168.0.5 delay (ms)"
    std::optional<PercentileSummary> Summary;
};

// The loop's offset (µs), frequency (ppm) and jitter (µs) over the plotted window, then
// each shown peer's offset, delay and jitter (ms) over the records its charts show.
std::vector<SummaryRow> BuildSummaryRows(const LoopWindowSamples& loop, std::span<const PeerSamples> peers);

// How the cells are written: as the table shows them (three decimals, the locale's
// decimal separator) or in full (9 significant digits, "." whatever the locale, for
// data files).
enum class SummaryCells { Shown, Full };

// The header row: "Series", "Min", "1%", "5%", "50%", "95%", "99%", "Max", "90% range",
// "98% range", "StdDev", "Mean", "Samples".
QStringList SummaryHeader();

// The header row, then one row of texts per summary row. A value that is absent is an
// empty cell; "Samples" is a whole number (0 for a row without values).
std::vector<QStringList> SummaryTableCells(
    std::span<const SummaryRow> rows, SummaryCells cells, const QLocale& locale = QLocale());

// The summary table of a document as its last rebuilds left it: the header row, then
// one row per loop quantity and per peer quantity. For pages, reports and data files.
std::vector<QStringList> AnalysisSummaryTable(
    const StatisticsDocument& document, SummaryCells cells, const QLocale& locale = QLocale());

// Column widths (padding included) that fit every text of the table in the font.
std::vector<int> SummaryColumnWidths(const std::vector<QStringList>& table, const QFont& font);

// The whole table as an image, drawn like the peer table's.
QImage DrawSummaryTableImage(const std::vector<QStringList>& table, const QFont& font);
