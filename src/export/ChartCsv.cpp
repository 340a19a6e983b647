#include "ChartCsv.h"

#include "TChart.h"
#include "TChartSeries.h"

#include <QDate>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t MillisecondsPerDay = 86'400'000;

QDate DayZero()
{
    return QDate(1899, 12, 30);
}

// Milliseconds since midnight as HH:mm:ss.zzz.
QString TimeText(std::int64_t msOfDay)
{
    const auto part = [](std::int64_t value, int width) {
        return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
    };
    return part(msOfDay / 3'600'000, 2) + QLatin1Char(':') + part(msOfDay / 60'000 % 60, 2) +
           QLatin1Char(':') + part(msOfDay / 1000 % 60, 2) + QLatin1Char('.') +
           part(msOfDay % 1000, 3);
}

QString XText(const TChartSeries& series, double x, CsvTimeStyle timeStyle)
{
    return series.XValues.DateTime ? CsvDateTime(x, timeStyle) : CsvNumber(x);
}

void AppendRow(QString& text, const QString& a, const QString& b)
{
    text += a;
    text += QLatin1Char(',');
    text += b;
    text += QLatin1Char('\n');
}

} // namespace

QString CsvNumber(double value)
{
    if (!std::isfinite(value))
        return QString();
    // to_chars ignores the process locale, which the toolkit sets from the environment.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 9);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString CsvDateTime(double dayNumber, CsvTimeStyle timeStyle)
{
    static const double firstDay = static_cast<double>(DayZero().daysTo(QDate(1, 1, 1)));
    static const double lastDay = static_cast<double>(DayZero().daysTo(QDate(9999, 12, 31)));
    if (!std::isfinite(dayNumber) || dayNumber < firstDay || dayNumber >= lastDay + 1)
        return CsvNumber(dayNumber);

    if (timeStyle == CsvTimeStyle::TimeOfDay) {
        // A time just before midnight must not round to the next day's 00:00 on a
        // chart whose axis ends at 24:00.
        const double fraction = dayNumber - std::floor(dayNumber);
        const std::int64_t ms = std::min<std::int64_t>(
            std::llround(fraction * double(MillisecondsPerDay)), MillisecondsPerDay - 1);
        return TimeText(ms);
    }

    // Whole milliseconds on a continuous time line: rounding may carry into the next day.
    const std::int64_t total = std::llround(dayNumber * double(MillisecondsPerDay));
    std::int64_t days = total / MillisecondsPerDay;
    std::int64_t ms = total % MillisecondsPerDay;
    if (ms < 0) {
        ms += MillisecondsPerDay;
        --days;
    }
    const QDate date = DayZero().addDays(days);
    if (!date.isValid() || date.year() > 9999)
        return CsvNumber(dayNumber);
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T') + TimeText(ms);
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

QString ChartCsv(const TChart& chart, CsvTimeStyle timeStyle)
{
    QString text = QStringLiteral("series,x,y\n");
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const TChartSeries& series = chart.Series(s);
        const QString title = CsvField(series.Title());
        for (std::size_t i = 0; i < series.PointCount(); ++i) {
            text += title;
            text += QLatin1Char(',');
            AppendRow(text, XText(series, series.XValueAt(i), timeStyle),
                      CsvNumber(series.YValueAt(i)));
        }
    }
    return text;
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
    QString text = QStringLiteral("offset,count\n");
    for (std::size_t i = 0; i < bins.PointCount(); ++i)
        AppendRow(text, CsvNumber(bins.XValueAt(i)), CsvNumber(bins.YValueAt(i)));
    return text;
}

bool WriteCsvFile(const QString& fileName, const QString& text)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
