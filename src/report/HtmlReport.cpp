#include "HtmlReport.h"

#include "ChartDataExport.h"
#include "DateTime.h"
#include "ReportHtml.h"
#include "ReportPage.h"
#include "ReportSummary.h"
#include "ReportTexts.h"
#include "SharedWork.h"
#include "StagedFiles.h"
#include "StatisticsDocument.h"
#include "TallimerVersion.h"

#include <QDateTime>
#include <QSaveFile>
#include <QSysInfo>

#include <atomic>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

const QString IndexFile = QStringLiteral("index.html");
const QString SummaryCsv = QStringLiteral("_summary.csv");

QString AnchorOf(const ChartRow& row)
{
    QString anchor = QStringLiteral("chart-");
    for (const QChar c : QString::fromLatin1(row.FileSuffix).mid(1))
        anchor += c.isLetterOrNumber() && c.unicode() < 128 ? c : QLatin1Char('-');
    return anchor;
}

// The first and last time plotted on the offset chart, in the time base in use.
void PlottedPeriod(const StatisticsDocument& document, ReportPage& page)
{
    const DocumentChart* chart = document.FindChart(ChartId::Offsets);
    if (!chart || !chart->Model)
        return;
    double first = std::numeric_limits<double>::infinity();
    double last = -first;
    const TChart& model = *chart->Model;
    for (std::size_t s = 0; s < model.SeriesCount(); ++s) {
        const TChartSeries& series = model.Series(s);
        for (std::size_t i = 0; i < series.PointCount(); ++i) {
            const double x = series.XValueAt(i);
            if (IsCalendarDateTime(x)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    if (first > last)
        return;
    const QString pattern = QStringLiteral("yyyy-mm-dd hh:nn");
    page.PeriodFirst = FormatDateTime(first, pattern, TimeRounding::Second);
    page.PeriodLast = FormatDateTime(last, pattern, TimeRounding::Second);
}

ReportTable PeerTable(const StatisticsDocument& document)
{
    ReportTable table;
    const std::vector<PeerTableRow>& rows = document.PeerTableRows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QStringList cells(rows[r].begin(), rows[r].end());
        if (r == 0)
            table.Headers = cells;
        else
            table.Rows.push_back(cells);
    }
    return table;
}

bool WriteText(const QString& path, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString NameOnly(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

class ReportWriter
{
public:
    ReportWriter(StatisticsDocument& document, const HtmlReportOptions& options)
        : document_(document)
        , options_(options)
        , staged_(options.Directory)
    { }

    HtmlReportResult Write()
    {
        HtmlReportResult result;
        if (document_.Files().LoopDirectory.isEmpty()) {
            result.Result = HtmlReportResult::Outcome::NoLoopStatistics;
            return result;
        }
        if (!staged_.IsValid() || !WriteData() || !WriteCharts())
            return result;
        Describe();
        if (!WriteText(staged_.StagingDirectory() + IndexFile, ReportHtml(page_)))
            return result;
        publish_.append(IndexFile);
        result.PublishedFiles = staged_.Publish(publish_);
        if (result.PublishedFiles.size() == publish_.size())
            result.Result = HtmlReportResult::Outcome::Written;
        return result;
    }

private:
    // The data first: the histogram is binned on the way, before it is drawn.
    bool WriteData()
    {
        const ChartDataExportResult data = ExportChartData(document_, staged_.StagingDirectory(), false);
        for (const QString& path : data.SavedFiles)
            csvFiles_.append(NameOnly(path));
        return data.FailedFiles.isEmpty();
    }

    bool WriteCharts()
    {
        const bool peers = document_.Files().HavePeerData;
        std::vector<std::pair<const ChartRow*, QString>> images;
        for (const DocumentChart& chart : document_.Charts()) {
            // Tables (no model) are shown as tables of the page, not as pictures.
            if (!chart.Model || (chart.Row.Group == ChartGroup::Peer && !peers))
                continue;
            if (chart.Row.Group == ChartGroup::Histogram)
                chart.Model->SetSize(ReportHistogramWidth, ReportHistogramHeight);
            ReportChart entry;
            entry.Anchor = AnchorOf(chart.Row);
            entry.Title = ReportChartTitle(chart.Row);
            entry.Description = ReportChartDescription(chart.Row);
            const QString suffix = QString::fromLatin1(chart.Row.FileSuffix);
            const QSize size = RowImageSize(document_, chart.Row);
            if (!size.isEmpty()) {
                const QString image = suffix + ImageExtension(options_.Format);
                images.emplace_back(&chart.Row, staged_.StagingDirectory() + image);
                entry.ImageFile = image;
                entry.ImageSize = size;
                publish_.append(image);
            }
            entry.CsvFile = TakeCsv(suffix + QStringLiteral(".csv"));
            page_.Charts.push_back(entry);
        }
        // Drawn and written on every core at once: the document is only read meanwhile.
        std::atomic<bool> written { true };
        RunSharedWork(images.size(), [&](std::size_t k) {
            if (!SaveRowImage(document_, *images[k].first, images[k].second, options_.Format))
                written = false;
        });
        return written;
    }

    // The CSV file's name when it was written (and from now on published), else empty.
    QString TakeCsv(const QString& name)
    {
        if (!csvFiles_.contains(name))
            return QString();
        publish_.append(name);
        return name;
    }

    void Describe()
    {
        page_.SiteName = options_.SiteName.isEmpty() ? QSysInfo::machineHostName() : options_.SiteName;
        if (page_.SiteName.isEmpty())
            page_.SiteName = QStringLiteral("NTP server");
        const double now = DateTimeFromQDateTime(QDateTime::currentDateTimeUtc()) - document_.ZoneOffset();
        page_.Generated = FormatDateTime(now, QStringLiteral("yyyy-mm-dd hh:nn:ss"), TimeRounding::Second) + u' '
            + document_.ZoneLabel();
        page_.ZoneLabel = document_.ZoneLabel();
        PlottedPeriod(document_, page_);
        page_.LoopFiles = document_.Files().LoopFilesRead;
        page_.PeerFiles = document_.Files().PeerFilesRead;
        page_.Version = QStringLiteral("Tallimer " TALLIMER_VERSION);
        page_.Summary = ReportSummaryTable(document_);
        if (page_.Summary)
            page_.SummaryCsv = TakeCsv(SummaryCsv);
        if (document_.Files().HavePeerData) {
            page_.Peers = PeerTable(document_);
            const DocumentChart* table = document_.FindChart(ChartId::PeerTable);
            if (table)
                page_.PeersCsv = TakeCsv(QString::fromLatin1(table->Row.FileSuffix) + QStringLiteral(".csv"));
        }
    }

    StatisticsDocument& document_;
    const HtmlReportOptions& options_;
    StagedFiles staged_;
    ReportPage page_;
    QStringList csvFiles_; // written into the staging directory
    QStringList publish_; // to be renamed into place, in this order
};

} // namespace

HtmlReportResult WriteHtmlReport(StatisticsDocument& document, const HtmlReportOptions& options)
{
    return ReportWriter(document, options).Write();
}
