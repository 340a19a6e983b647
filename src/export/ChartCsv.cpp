#include "ChartCsv.h"

#include "DateTimeFormat.h"
#include "TChart.h"
#include "TChartSeries.h"

#include <QBuffer>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

void AppendNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        return;
    // to_chars ignores the process locale, which the toolkit sets from the environment.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    out.append(buffer, result.ptr);
}

// The last millisecond of a day, as a fraction of it: rounds to 23:59:59.999.
constexpr double LastMillisecondOfDay = (86'400'000.0 - 1) / 86'400'000.0;

// Day numbers in one style, rounded to the millisecond; a value that is no date between
// the years 1 and 9999 is written as a number. The pattern is read once per column.
class CsvTimeWriter
{
public:
    explicit CsvTimeWriter(CsvTimeStyle timeStyle)
        : timeOfDay_(timeStyle == CsvTimeStyle::TimeOfDay)
        , format_(timeOfDay_ ? QStringLiteral("hh:nn:ss.zzz") : QStringLiteral("yyyy-mm-ddThh:nn:ss.zzz"),
              TimeRounding::Millisecond, QLocale::c())
    { }

    void Append(std::string& out, double dayNumber) const
    {
        if (timeOfDay_) {
            const double day = std::floor(dayNumber);
            if (!IsCalendarDateTime(day)) {
                AppendNumber(out, dayNumber);
                return;
            }
            // A time just before midnight must not round to the next day's 00:00 on a
            // chart whose axis ends at 24:00.
            format_.AppendUtf8(out, std::min(dayNumber - day, LastMillisecondOfDay));
            return;
        }
        // Whole milliseconds on a continuous time line: rounding may carry into the next day.
        if (!IsCalendarDateTime(dayNumber)) {
            AppendNumber(out, dayNumber);
            return;
        }
        format_.AppendUtf8(out, dayNumber);
    }

private:
    bool timeOfDay_;
    DateTimeFormat format_;
};

// Collects text and hands it to the device in pieces of about a megabyte.
class ChunkedWriter
{
public:
    explicit ChunkedWriter(QIODevice& out)
        : out_(out)
    {
        text_.reserve(ChunkSize + 256);
    }

    std::string& Text() { return text_; }

    bool FlushIfFull() { return text_.size() < ChunkSize || Flush(); }

    bool Flush()
    {
        const auto size = static_cast<qint64>(text_.size());
        const bool written = size == 0 || out_.write(text_.data(), size) == size;
        text_.clear();
        return written;
    }

private:
    static constexpr std::size_t ChunkSize = 1 << 20;
    QIODevice& out_;
    std::string text_;
};

} // namespace

QString CsvNumber(double value)
{
    std::string text;
    AppendNumber(text, value);
    return QString::fromStdString(text);
}

QString CsvDateTime(double dayNumber, CsvTimeStyle timeStyle)
{
    std::string text;
    CsvTimeWriter(timeStyle).Append(text, dayNumber);
    return QString::fromStdString(text);
}

QString CsvField(const QString& text)
{
    const bool mustQuote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!mustQuote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool WriteChartCsv(QIODevice& out, const TChart& chart, CsvTimeStyle timeStyle)
{
    ChunkedWriter writer(out);
    const CsvTimeWriter times(timeStyle);
    std::string& text = writer.Text();
    text += "series,x,y\n";
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const TChartSeries& series = chart.Series(s);
        const std::string title = CsvField(series.Title()).toStdString();
        const bool dateTime = series.XValues.DateTime;
        for (std::size_t i = 0; i < series.PointCount(); ++i) {
            text += title;
            text += ',';
            if (dateTime)
                times.Append(text, series.XValueAt(i));
            else
                AppendNumber(text, series.XValueAt(i));
            text += ',';
            AppendNumber(text, series.YValueAt(i));
            text += '\n';
            if (!writer.FlushIfFull())
                return false;
        }
    }
    return writer.Flush();
}

QString ChartCsv(const TChart& chart, CsvTimeStyle timeStyle)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteChartCsv(buffer, chart, timeStyle);
    return QString::fromUtf8(bytes);
}

QString TableCsv(const std::vector<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += QLatin1Char(',');
            text += CsvField(row[i]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QString HistogramCsv(const TChartSeries& bins)
{
    std::string text = "offset,count\n";
    for (std::size_t i = 0; i < bins.PointCount(); ++i) {
        AppendNumber(text, bins.XValueAt(i));
        text += ',';
        AppendNumber(text, bins.YValueAt(i));
        text += '\n';
    }
    return QString::fromStdString(text);
}

bool WriteCsvFile(const QString& fileName, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteCsvFile(const QString& fileName, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return WriteCsvFile(fileName, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}
