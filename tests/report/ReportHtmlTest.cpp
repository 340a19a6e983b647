// The report page's HTML from a page description: what comes from outside is escaped,
// links are relative and resolve to the page's own sections and files, and missing
// parts are said to be missing.
#include "ReportHtml.h"
#include "ReportPage.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

ReportPage SamplePage()
{
    ReportPage page;
    page.SiteName = QStringLiteral("ntp1");
    page.Generated = QStringLiteral("2026-01-05 12:00:00 UTC");
    page.PeriodFirst = QStringLiteral("2026-01-05 00:00");
    page.PeriodLast = QStringLiteral("2026-01-05 11:59");
    page.ZoneLabel = QStringLiteral("UTC");
    page.LoopFiles = { QStringLiteral("/var/log/ntpstats/loopstats.20260105") };
    page.Version = QStringLiteral("Tallimer 1.0.0.0");
    page.Charts.push_back(
        { QStringLiteral("chart-offset"), QStringLiteral("Offset vs. date"), QStringLiteral("What it shows."),
            QStringLiteral("_offset.png"), QSize(900, 400), QStringLiteral("_offset.csv") });
    page.Charts.push_back({ QStringLiteral("chart-jitter"), QStringLiteral("Jitter"), QStringLiteral("Noise."),
        QStringLiteral("_jitter.svg"), QSize(900, 400), QStringLiteral("_jitter.csv") });
    return page;
}

QStringList Captures(const QString& html, const QString& pattern)
{
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(html);
    while (it.hasNext())
        found.append(it.next().captured(1));
    return found;
}

TEST(ReportHtml, EscapesEveryTextThatComesFromOutside)
{
    ReportPage page = SamplePage();
    const QString hostile = QStringLiteral("<b>&\"'");
    page.SiteName = hostile;
    page.LoopFiles = { QStringLiteral("/srv/<i>&\"dir'/loopstats.20260105") };
    page.PeerFiles = { QStringLiteral("/srv/a&b/peerstats.20260105") };
    page.Peers = ReportTable { { QStringLiteral("Address"), QStringLiteral("Count") },
        { { QStringLiteral("<img src=x onerror=alert(1)>"), QStringLiteral("5") } } };
    page.Summary = ReportTable { { QStringLiteral("<th>") }, { { QStringLiteral("a<b") } } };
    page.Charts[0].Title = QStringLiteral("Offset <script>");
    const QString html = ReportHtml(page);

    for (const char* raw : { "<b>", "<i>", "<img src=x", "<script", "a<b", "<th><th>", "&\"" })
        EXPECT_FALSE(html.contains(QLatin1String(raw))) << raw;
    EXPECT_TRUE(html.contains(QStringLiteral("<h1>&lt;b&gt;&amp;&quot;&#39;</h1>")));
    EXPECT_TRUE(html.contains(QStringLiteral("/srv/&lt;i&gt;&amp;&quot;dir&#39;/loopstats.20260105")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;img src=x onerror=alert(1)&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("alt=\"Chart: Offset &lt;script&gt;\"")));
}

TEST(ReportHtml, FileNamesBecomeRelativeLinks)
{
    const struct
    {
        QString Name;
        QString Link;
    } cases[] = {
        { "_offset.png", "_offset.png" },
        { "_offset-tod.csv", "_offset-tod.csv" },
        // A link must not read "#" as an anchor, "?" as a query, "/" as a folder or
        // "%" as an escape; HTML's own characters are encoded, not escaped.
        { "a b#c?d.png", "a%20b%23c%3Fd.png" },
        { "100%/x.csv", "100%25%2Fx.csv" },
        { "<&\">.svg", "%3C%26%22%3E.svg" },
        { QString::fromUtf8("zürich.png"), "z%C3%BCrich.png" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelativeLink(c.Name), c.Link) << c.Name.toStdString();
}

TEST(ReportHtml, SectionsComeInOrderAndEveryLinkStaysOnThePageOrBesideIt)
{
    ReportPage page = SamplePage();
    page.Peers = ReportTable { { QStringLiteral("Address") }, { { QStringLiteral("192.0.2.1") } } };
    page.PeersCsv = QStringLiteral("_peerstats.csv");
    const QString html = ReportHtml(page);

    const QStringList ids = Captures(html, QStringLiteral(" id=\"([^\"]+)\""));
    EXPECT_EQ(ids.join(u' '), QStringLiteral("summary chart-offset chart-jitter peers glossary"));
    const QSet<QString> idSet(ids.begin(), ids.end());
    const QStringList links = Captures(html, QStringLiteral(" (?:href|src)=\"([^\"]*)\""));
    EXPECT_EQ(links.size(), 5 + 6 + 1); // the contents, two images linked and shown, two CSV, the peers' CSV
    for (const QString& link : links) {
        if (link.startsWith(u'#'))
            EXPECT_TRUE(idSet.contains(link.mid(1))) << link.toStdString();
        else
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^_[a-z_-]+\\.(png|svg|csv)$")).match(link).hasMatch())
                << link.toStdString();
    }
    // Nothing to fetch from elsewhere, nothing to run.
    for (const char* outside : { "http:", "https:", "//", "<script", "<link", "@import", "url(" })
        EXPECT_FALSE(html.contains(QLatin1String(outside))) << outside;
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">")));
    EXPECT_TRUE(html.endsWith(QStringLiteral("</html>\n")));
    EXPECT_TRUE(html.contains(QStringLiteral("prefers-color-scheme: dark")));
    EXPECT_TRUE(html.contains(QStringLiteral("<img src=\"_jitter.svg\" width=\"900\" height=\"400\"")));
}

TEST(ReportHtml, SaysWhatIsMissingAndShowsWhatIsThere)
{
    ReportPage page = SamplePage();
    page.PeriodFirst.clear();
    page.PeriodLast.clear();
    page.Charts[1].ImageFile.clear();
    page.Charts[1].CsvFile.clear();
    QString html = ReportHtml(page);
    EXPECT_TRUE(html.contains(QStringLiteral("No summary: no values were plotted.")));
    EXPECT_TRUE(html.contains(QStringLiteral("No peer statistics were read.")));
    EXPECT_TRUE(html.contains(QStringLiteral("nothing plotted (UTC)")));
    EXPECT_TRUE(html.contains(QStringLiteral("No image could be drawn for this chart.")));
    EXPECT_FALSE(html.contains(QStringLiteral("_jitter.")));
    EXPECT_TRUE(html.contains(QStringLiteral("<dt>Peer statistics</dt><dd>none</dd>")));

    page.PeriodFirst = QStringLiteral("2026-01-05 00:00");
    page.PeriodLast = QStringLiteral("2026-01-05 11:59");
    page.Summary = ReportTable { { QStringLiteral("Quantity"), QStringLiteral("Median") },
        { { QStringLiteral("Offset (µs)"), QStringLiteral("1.5") } } };
    page.SummaryCsv = QStringLiteral("_summary.csv");
    page.Peers = ReportTable { { QStringLiteral(" Address "), QStringLiteral(" Count ") },
        { { QStringLiteral(" 192.0.2.1 "), QStringLiteral(" 48 ") } } };
    html = ReportHtml(page);
    EXPECT_FALSE(html.contains(QStringLiteral("No summary")));
    EXPECT_FALSE(html.contains(QStringLiteral("No peer statistics")));
    // Cells lose the blanks that set them off the grid lines on screen.
    EXPECT_TRUE(html.contains(QStringLiteral("<tr><th scope=\"row\">Offset (µs)</th><td>1.5</td></tr>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<tr><th scope=\"row\">192.0.2.1</th><td>48</td></tr>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th scope=\"col\">Address</th><th scope=\"col\">Count</th>")));
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"_summary.csv\"")));
    EXPECT_TRUE(html.contains(QStringLiteral("2026-01-05 00:00 to 2026-01-05 11:59 UTC")));
}

} // namespace
