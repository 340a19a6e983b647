#pragma once

#include <QString>

#include <vector>

struct ChartRow;

// The words of the report page: a heading and a few sentences for each chart (what it
// shows, how to read it, what a healthy server and a step or a gap look like), and the
// glossary. All plain text; the page escapes it.

// The heading of a chart's section: its tab caption, with the page it belongs to where
// the caption alone would be ambiguous ("Peer offset").
QString ReportChartTitle(const ChartRow& row);

// Two or three sentences on the chart; a chart the report has no words for yet gets a
// general sentence pointing at its data.
QString ReportChartDescription(const ChartRow& row);

struct GlossaryEntry
{
    QString Term;
    QString Meaning;
};

const std::vector<GlossaryEntry>& ReportGlossary();
