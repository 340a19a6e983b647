#include "ChartCsv.h"

#include "TChart.h"
#include "TChartSeries.h"

#include <QBuffer>
#include <QDate>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

constexpr std::int64_t MillisecondsPerDay = 86'400'000;

QDate DayZero()
{
    return QDate(1899, 12, 30);
}

bool IsDateDay(double dayNumber)
{
    static const double firstDay = static_cast<double>(DayZero().daysTo(QDate(1, 1, 1)));
    static const double lastDay = static_cast<double>(DayZero().daysTo(QDate(9999, 12, 31)));
    return std::isfinite(dayNumber) && dayNumber >= firstDay && dayNumber < lastDay + 1;
}

void AppendNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        return;
    // to_chars ignores the process locale, which the toolkit sets from the environment.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    out.append(buffer, result.ptr);
}

void AppendDigits(std::string& out, std::int64_t value, int width)
{
    char buffer[8];
    for (int i = width - 1; i >= 0; --i) {
        buffer[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buffer, width);
}

// Milliseconds since midnight as HH:mm:ss.zzz.
void AppendTime(std::string& out, std::int64_t msOfDay)
{
    AppendDigits(out, msOfDay / 3'600'000, 2);
    out += ':';
    AppendDigits(out, msOfDay / 60'000 % 60, 2);
    out += ':';
    AppendDigits(out, msOfDay / 1000 % 60, 2);
    out += '.';
    AppendDigits(out, msOfDay % 1000, 3);
}

// Formats day numbers; consecutive points mostly fall on the same day, so the date text
// of the last day is kept.
class DateTimeFormatter
{
public:
    void Append(std::string& out, double dayNumber, CsvTimeStyle timeStyle)
    {
        if (!IsDateDay(dayNumber)) {
            AppendNumber(out, dayNumber);
            return;
        }
        if (timeStyle == CsvTimeStyle::TimeOfDay) {
            // A time just before midnight must not round to the next day's 00:00 on a
            // chart whose axis ends at 24:00.
            const double fraction = dayNumber - std::floor(dayNumber);
            AppendTime(out, std::min<std::int64_t>(std::llround(fraction * double(MillisecondsPerDay)),
                                                   MillisecondsPerDay - 1));
            return;
        }
        // Whole milliseconds on a continuous time line: rounding may carry into the next day.
        const std::int64_t total = std::llround(dayNumber * double(MillisecondsPerDay));
        std::int64_t day = total / MillisecondsPerDay;
        std::int64_t ms = total % MillisecondsPerDay;
        if (ms < 0) {
            ms += MillisecondsPerDay;
            --day;
        }
        if (day != cachedDay_ || cachedDate_.empty()) {
            const QDate date = DayZero().addDays(day);
            if (!date.isValid() || date.year() > 9999) {
                AppendNumber(out, dayNumber);
                return;
            }
            cachedDay_ = day;
            cachedDate_ = date.toString(QStringLiteral("yyyy-MM-dd")).toStdString() + 'T';
        }
        out += cachedDate_;
        AppendTime(out, ms);
    }

private:
    std::int64_t cachedDay_ = 0;
    std::string cachedDate_;
};

// Collects text and hands it to the device in pieces of about a megabyte.
class ChunkedWriter
{
public:
    explicit ChunkedWriter(QIODevice& out) : out_(out) { text_.reserve(ChunkSize + 256); }

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
    DateTimeFormatter().Append(text, dayNumber, timeStyle);
    return QString::fromStdString(text);
}

QString CsvField(const QString& text)
{
    const bool mustQuote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                           text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!mustQuote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool WriteChartCsv(QIODevice& out, const TChart& chart, CsvTimeStyle timeStyle)
{
    ChunkedWriter writer(out);
    DateTimeFormatter dates;
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
                dates.Append(text, series.XValueAt(i), timeStyle);
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
