#include "ReportHtml.h"

#include "ReportPage.h"
#include "ReportTexts.h"

#include <QUrl>

namespace {

// Colours by name, light first; the dark set follows the reader's preference. The chart
// images keep their own light background in both, inside a frame.
const char* const StyleSheet = R"css(
:root {
  color-scheme: light dark;
  --text: #1d2125; --muted: #59636e; --back: #ffffff; --panel: #f4f6f8; --line: #d0d7de;
  --link: #0b57d0; --head: #e8edf2; --note: #fff6d6; --note-line: #e0c060;
}
@media (prefers-color-scheme: dark) {
  :root {
    --text: #e6e8eb; --muted: #a3acb6; --back: #15181c; --panel: #1e2328; --line: #3a424b;
    --link: #8ab4f8; --head: #262d34; --note: #3a3320; --note-line: #8a7434;
  }
  img { filter: brightness(0.92); }
}
* { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0 auto; max-width: 72rem; padding: 1rem; background: var(--back); color: var(--text);
  font: 1rem/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif;
}
a { color: var(--link); }
h1 { font-size: 1.75rem; margin: 0.5rem 0 0; overflow-wrap: anywhere; }
h2 { font-size: 1.3rem; margin: 2rem 0 0.5rem; border-bottom: 1px solid var(--line); padding-bottom: 0.25rem; }
.subtitle { margin: 0 0 1rem; color: var(--muted); }
dl.facts { display: grid; grid-template-columns: max-content 1fr; gap: 0.25rem 1rem; margin: 0; }
dl.facts dt { font-weight: 600; }
dl.facts dd { margin: 0; overflow-wrap: anywhere; }
details summary { cursor: pointer; }
ul.files { margin: 0.25rem 0; padding-left: 1.25rem; font-family: ui-monospace, "DejaVu Sans Mono", monospace;
  font-size: 0.875rem; }
nav ol { columns: 2 14rem; margin: 0; padding-left: 1.5rem; }
figure { margin: 0.75rem 0; padding: 0.5rem; background: var(--panel); border: 1px solid var(--line);
  border-radius: 6px; }
figure img { display: block; max-width: 100%; height: auto; margin: 0 auto; }
figcaption { margin-top: 0.5rem; font-size: 0.9rem; }
.table-wrap { overflow-x: auto; border: 1px solid var(--line); border-radius: 6px; }
table { border-collapse: collapse; width: 100%; font-size: 0.9rem; font-variant-numeric: tabular-nums; }
th, td { padding: 0.3rem 0.6rem; border-bottom: 1px solid var(--line); text-align: right; white-space: nowrap; }
th:first-child, td:first-child { text-align: left; }
thead th { background: var(--head); vertical-align: bottom; white-space: normal; }
tbody tr:last-child td { border-bottom: none; }
.note { background: var(--note); border-left: 4px solid var(--note-line); padding: 0.5rem 0.75rem; }
dl.glossary dt { font-weight: 600; margin-top: 0.5rem; }
dl.glossary dd { margin: 0 0 0 1rem; }
footer { margin-top: 2rem; padding-top: 0.5rem; border-top: 1px solid var(--line); color: var(--muted);
  font-size: 0.85rem; }
@media (max-width: 40rem) {
  body { padding: 0.75rem; }
  dl.facts { grid-template-columns: 1fr; }
  dl.facts dd { margin-bottom: 0.5rem; }
  figure { padding: 0.25rem; }
}
)css";

class HtmlWriter
{
public:
    void Raw(const QString& html) { text_ += html; }
    void Raw(const char* html) { text_ += QLatin1StringView(html); }
    void Text(const QString& text) { text_ += HtmlEscaped(text); }
    // <tag>text</tag> and a line end.
    void Element(const char* tag, const QString& text)
    {
        text_ += QStringLiteral("<%1>%2</%1>\n").arg(QLatin1StringView(tag), HtmlEscaped(text));
    }
    void Link(const QString& href, const QString& text)
    {
        text_ += QStringLiteral("<a href=\"%1\">%2</a>").arg(href, HtmlEscaped(text));
    }
    const QString& Result() const { return text_; }

private:
    QString text_;
};

void WriteFileList(HtmlWriter& html, const QStringList& files, const QString& kind)
{
    if (files.isEmpty()) {
        html.Raw("none");
        return;
    }
    // A year of daily files is a long list: it opens on demand, without a script.
    html.Raw("<details><summary>");
    html.Text(QStringLiteral("%1 %2 file%3").arg(files.size()).arg(kind, files.size() == 1 ? "" : "s"));
    html.Raw("</summary>\n<ul class=\"files\">\n");
    for (const QString& file : files)
        html.Element("li", file);
    html.Raw("</ul></details>");
}

void WriteHeader(HtmlWriter& html, const ReportPage& page)
{
    html.Raw("<header>\n");
    html.Element("h1", page.SiteName);
    html.Raw("<p class=\"subtitle\">NTP server statistics</p>\n<dl class=\"facts\">\n");
    html.Raw("<dt>Generated</dt><dd>");
    html.Text(page.Generated);
    html.Raw("</dd>\n<dt>Period shown</dt><dd>");
    if (page.PeriodFirst.isEmpty())
        html.Text(QStringLiteral("nothing plotted (%1)").arg(page.ZoneLabel));
    else
        html.Text(QStringLiteral("%1 to %2 %3").arg(page.PeriodFirst, page.PeriodLast, page.ZoneLabel));
    html.Raw("</dd>\n<dt>Loop statistics</dt><dd>");
    WriteFileList(html, page.LoopFiles, QStringLiteral("loop statistics"));
    html.Raw("</dd>\n<dt>Peer statistics</dt><dd>");
    WriteFileList(html, page.PeerFiles, QStringLiteral("peer statistics"));
    html.Raw("</dd>\n</dl>\n</header>\n");
}

void WriteContents(HtmlWriter& html, const ReportPage& page)
{
    html.Raw("<nav aria-label=\"Contents\">\n<h2>Contents</h2>\n<ol>\n");
    const auto item = [&html](const QString& anchor, const QString& title) {
        html.Raw("<li>");
        html.Link(QLatin1Char('#') + anchor, title);
        html.Raw("</li>\n");
    };
    item(QStringLiteral("summary"), QStringLiteral("Summary"));
    for (const ReportChart& chart : page.Charts)
        item(chart.Anchor, chart.Title);
    item(QStringLiteral("peers"), QStringLiteral("Peers"));
    item(QStringLiteral("glossary"), QStringLiteral("Glossary"));
    html.Raw("</ol>\n</nav>\n");
}

void WriteTable(HtmlWriter& html, const ReportTable& table, const QString& label)
{
    html.Raw("<div class=\"table-wrap\">\n<table>\n");
    html.Raw("<caption hidden>");
    html.Text(label);
    html.Raw("</caption>\n<thead><tr>");
    for (const QString& header : table.Headers) {
        html.Raw("<th scope=\"col\">");
        html.Text(header.trimmed());
        html.Raw("</th>");
    }
    html.Raw("</tr></thead>\n<tbody>\n");
    for (const QStringList& row : table.Rows) {
        html.Raw("<tr>");
        for (qsizetype c = 0; c < row.size(); ++c) {
            html.Raw(c == 0 ? "<th scope=\"row\">" : "<td>");
            html.Text(row[c].trimmed());
            html.Raw(c == 0 ? "</th>" : "</td>");
        }
        html.Raw("</tr>\n");
    }
    html.Raw("</tbody>\n</table>\n</div>\n");
}

void WriteDataLink(HtmlWriter& html, const QString& csvFile, const QString& what)
{
    if (csvFile.isEmpty())
        return;
    html.Raw("<p>");
    html.Link(RelativeLink(csvFile), QStringLiteral("Data of the %1 (CSV)").arg(what));
    html.Raw("</p>\n");
}

void WriteSummary(HtmlWriter& html, const ReportPage& page)
{
    html.Raw("<section id=\"summary\">\n<h2>Summary</h2>\n");
    if (page.Summary) {
        WriteTable(html, *page.Summary, QStringLiteral("Summary"));
        WriteDataLink(html, page.SummaryCsv, QStringLiteral("summary"));
    } else {
        html.Raw("<p class=\"note\">No summary: no values were plotted.</p>\n");
    }
    html.Raw("</section>\n");
}

void WriteChart(HtmlWriter& html, const ReportChart& chart)
{
    html.Raw(QStringLiteral("<section id=\"%1\">\n").arg(HtmlEscaped(chart.Anchor)));
    html.Element("h2", chart.Title);
    html.Element("p", chart.Description);
    html.Raw("<figure>\n");
    if (chart.ImageFile.isEmpty()) {
        html.Raw("<p class=\"note\">No image could be drawn for this chart.</p>\n");
    } else {
        const QString link = RelativeLink(chart.ImageFile);
        html.Raw(QStringLiteral("<a href=\"%1\"><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\"></a>\n")
                     .arg(link)
                     .arg(chart.ImageSize.width())
                     .arg(chart.ImageSize.height())
                     .arg(HtmlEscaped(QStringLiteral("Chart: ") + chart.Title)));
    }
    if (!chart.CsvFile.isEmpty()) {
        html.Raw("<figcaption>");
        html.Link(RelativeLink(chart.CsvFile), QStringLiteral("Data of this chart (CSV)"));
        html.Raw("</figcaption>\n");
    }
    html.Raw("</figure>\n</section>\n");
}

void WritePeers(HtmlWriter& html, const ReportPage& page)
{
    html.Raw("<section id=\"peers\">\n<h2>Peers</h2>\n");
    if (page.Peers) {
        html.Element("p",
            QStringLiteral("Each peer's samples in the period: their number and the mean, spread and extremes of "
                           "its offset, delay, dispersion and jitter, as the program's peer table shows them."));
        WriteTable(html, *page.Peers, QStringLiteral("Peers"));
        WriteDataLink(html, page.PeersCsv, QStringLiteral("peer table"));
    } else {
        html.Raw("<p class=\"note\">No peer statistics were read.</p>\n");
    }
    html.Raw("</section>\n");
}

void WriteGlossary(HtmlWriter& html)
{
    html.Raw("<section id=\"glossary\">\n<h2>Glossary</h2>\n<dl class=\"glossary\">\n");
    for (const GlossaryEntry& entry : ReportGlossary()) {
        html.Element("dt", entry.Term);
        html.Element("dd", entry.Meaning);
    }
    html.Raw("</dl>\n</section>\n");
}

} // namespace

QString HtmlEscaped(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            escaped += QLatin1StringView("&amp;");
            break;
        case '<':
            escaped += QLatin1StringView("&lt;");
            break;
        case '>':
            escaped += QLatin1StringView("&gt;");
            break;
        case '"':
            escaped += QLatin1StringView("&quot;");
            break;
        case '\'':
            escaped += QLatin1StringView("&#39;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString RelativeLink(const QString& fileName)
{
    return HtmlEscaped(QString::fromLatin1(QUrl::toPercentEncoding(fileName)));
}

QString ReportHtml(const ReportPage& page)
{
    HtmlWriter html;
    html.Raw("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
             "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
             "<meta name=\"color-scheme\" content=\"light dark\">\n");
    html.Raw(QStringLiteral("<meta name=\"generator\" content=\"%1\">\n").arg(HtmlEscaped(page.Version)));
    html.Element("title", page.SiteName + QStringLiteral(" \u2013 NTP statistics"));
    html.Raw("<style>");
    html.Raw(StyleSheet);
    html.Raw("</style>\n</head>\n<body>\n");
    WriteHeader(html, page);
    WriteContents(html, page);
    html.Raw("<main>\n");
    WriteSummary(html, page);
    for (const ReportChart& chart : page.Charts)
        WriteChart(html, chart);
    WritePeers(html, page);
    WriteGlossary(html);
    html.Raw("</main>\n<footer>");
    html.Text(QStringLiteral("Made by %1.").arg(page.Version));
    html.Raw("</footer>\n</body>\n</html>\n");
    return html.Result();
}
