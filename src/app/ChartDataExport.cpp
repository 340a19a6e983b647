#include "ChartDataExport.h"

#include "ChartImageList.h"
#include "ImageFileNaming.h"
#include "TChart.h"
#include "TChartView.h"
#include "TFormHistogram.h"
#include "TFormTallimer.h"
#include "TPeerStatsGrid.h"
#include "TallimerImageHost.h"

#include <QIODevice>

#include <functional>

namespace {

QString CsvSuffix(const char* imageSuffix)
{
    QString suffix = QString::fromLatin1(imageSuffix);
    suffix.chop(4);  // ".png"
    return suffix + QStringLiteral(".csv");
}

std::vector<QStringList> PeerTableCells(const TPeerStatsGrid& grid)
{
    // The grid pads its texts with blanks to set them off the grid lines; in a data file
    // those blanks would only stand in the way of reading the numbers.
    std::vector<QStringList> rows;
    for (const PeerTableRow& row : grid.AllRows()) {
        QStringList cells;
        for (const QString& cell : row)
            cells.append(cell.trimmed());
        rows.push_back(cells);
    }
    return rows;
}

QString HistogramText(TFormHistogram& histogram)
{
    // The window bins at every showing; here nothing is shown, so bin now.
    histogram.Recompute();
    const TChart& chart = histogram.ChartHisto();
    return chart.SeriesCount() > 0 ? HistogramCsv(chart.Series(0)) : QStringLiteral("offset,count\n");
}

class ChartDataWriter
{
public:
    ChartDataWriter(TFormTallimer& form, const QString& directory, bool withDatePrefix)
        : form_(form), host_(form), directory_(directory), withDatePrefix_(withDatePrefix)
    {
    }

    ChartDataExportResult Run()
    {
        if (host_.LoopDirectory().isEmpty())
            return result_;
        WriteGroup(ChartImageGroup::Loop);
        if (form_.FormHistogram)
            Write(ChartImageGroup::Loop, QStringLiteral("_histogram.csv"), TextWriter(HistogramText(*form_.FormHistogram)));
        if (host_.HavePeerData())
            WriteGroup(ChartImageGroup::Peer);
        return result_;
    }

private:
    void WriteGroup(ChartImageGroup group)
    {
        for (const ChartImageKind& kind : ChartImageKinds())
            if (kind.Group == group)
                Write(group, CsvSuffix(kind.Suffix), DataOf(kind));
    }

    // Charts of a long year hold millions of points: they go to the file as written.
    std::function<bool(QIODevice&)> DataOf(const ChartImageKind& kind) const
    {
        const QString name = QString::fromLatin1(kind.ControlName);
        if (form_.StringGridPeerstats->objectName() == name)
            return TextWriter(TableCsv(PeerTableCells(*form_.StringGridPeerstats)));
        const TChartView* view = form_.findChild<TChartView*>(name);
        if (!view)
            return TextWriter(QString());
        return [view, style = CsvTimeStyleOf(name)](QIODevice& out) {
            return WriteChartCsv(out, view->Chart(), style);
        };
    }

    static std::function<bool(QIODevice&)> TextWriter(const QString& text)
    {
        return [bytes = text.toUtf8()](QIODevice& out) { return out.write(bytes) == bytes.size(); };
    }

    void Write(ChartImageGroup group, const QString& suffix, const std::function<bool(QIODevice&)>& write)
    {
        const QString prefix = withDatePrefix_ ? DatePrefix(host_.ReferenceHighestX(group)) : QString();
        const QString name = ImageFileName(directory_, prefix, suffix);
        (WriteCsvFile(name, write) ? result_.SavedFiles : result_.FailedFiles).append(name);
    }

    TFormTallimer& form_;
    TallimerImageHost host_;
    QString directory_;
    bool withDatePrefix_;
    ChartDataExportResult result_;
};

} // namespace

CsvTimeStyle CsvTimeStyleOf(const QString& chartName)
{
    const bool folded = chartName == QStringLiteral("ChartOffsetVsTOD") || chartName == QStringLiteral("ChartFreqVsTOD");
    return folded ? CsvTimeStyle::TimeOfDay : CsvTimeStyle::Calendar;
}

ChartDataExportResult ExportChartData(TFormTallimer& form, const QString& directory, bool withDatePrefix)
{
    return ChartDataWriter(form, directory, withDatePrefix).Run();
}
