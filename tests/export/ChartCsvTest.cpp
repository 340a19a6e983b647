#include "ChartCsv.h"

#include "TChart.h"
#include "TLineSeries.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

// 7 March 2021 as a day number counted from 30 December 1899.
constexpr double March7 = 44262.0;
constexpr double Ms = 1.0 / 86'400'000.0;

TLineSeries* AddSeries(TChart& chart, const QString& title, bool dateTime)
{
    auto series = std::make_unique<TLineSeries>();
    series->SetTitle(title);
    series->XValues.DateTime = dateTime;
    return AttachSeries(chart, std::move(series));
}

struct DateTimeCase
{
    double Day;
    CsvTimeStyle Style;
    const char* Expected;
};

TEST(ChartCsvTest, DayNumbersBecomeDatesAndTimesToTheMillisecond)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const DateTimeCase cases[] = {
        { 0.0, CsvTimeStyle::Calendar, "1899-12-30T00:00:00.000" },
        { 1.75, CsvTimeStyle::Calendar, "1899-12-31T18:00:00.000" },
        { March7 + 1234 * Ms, CsvTimeStyle::Calendar, "2021-03-07T00:00:01.234" },
        { March7 + 0.5 + 0.4 * Ms, CsvTimeStyle::Calendar, "2021-03-07T12:00:00.000" },
        // Rounding to the millisecond carries into the next day rather than naming 24:00.
        { March7 + 1 - 0.4 * Ms, CsvTimeStyle::Calendar, "2021-03-08T00:00:00.000" },
        // Before day zero the time line goes on: a quarter day earlier is 18:00 the day before.
        { -0.25, CsvTimeStyle::Calendar, "1899-12-29T18:00:00.000" },
        { 0.5, CsvTimeStyle::TimeOfDay, "12:00:00.000" },
        { March7 + 0.25, CsvTimeStyle::TimeOfDay, "06:00:00.000" },
        { (3600 + 61.5) / 86400.0, CsvTimeStyle::TimeOfDay, "01:01:01.500" },
        // The folded charts end at 24:00; the last instant stays on the same day.
        { 1 - 0.4 * Ms, CsvTimeStyle::TimeOfDay, "23:59:59.999" },
        // No date: kept as the number rather than misdated.
        { 1e9, CsvTimeStyle::Calendar, "1e+09" },
        { -1e9, CsvTimeStyle::TimeOfDay, "-1e+09" },
        { nan, CsvTimeStyle::Calendar, "" },
        { std::numeric_limits<double>::infinity(), CsvTimeStyle::TimeOfDay, "" },
    };
    for (const DateTimeCase& c : cases)
        EXPECT_EQ(CsvDateTime(c.Day, c.Style), QString::fromLatin1(c.Expected)) << c.Day;
}

TEST(ChartCsvTest, NumbersKeepNineSignificantDigitsWithADotInAnyLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::pair<double, const char*> cases[] = {
        { 0.0, "0" },
        { 1.5, "1.5" },
        { -0.000123456789123, "-0.000123456789" },
        { 123456789012.0, "1.23456789e+11" },
        { 0.1 + 0.2, "0.3" },
        { 4096.0, "4096" },
        { std::numeric_limits<double>::quiet_NaN(), "" },
        { -std::numeric_limits<double>::infinity(), "" },
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(CsvNumber(value), QString::fromLatin1(expected)) << value;
    QLocale::setDefault(QLocale::c());
}

TEST(ChartCsvTest, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    const std::pair<const char*, const char*> cases[] = {
        { "", "" },
        { "127.127.1.0", "127.127.1.0" },
        { "a b", "a b" },
        { "1,5", "\"1,5\"" },
        { "say \"hi\"", "\"say \"\"hi\"\"\"" },
        { "two\nlines", "\"two\nlines\"" },
        { "cr\r", "\"cr\r\"" },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CsvField(QString::fromLatin1(text)), QString::fromLatin1(expected)) << text;
}

TEST(ChartCsvTest, ChartRowsFollowAttachmentOrderAndEachSeriesOwnXKind)
{
    TChart chart;
    TLineSeries* offsets = AddSeries(chart, QStringLiteral("Mar 7, UTC"), true);
    offsets->AddPoint(March7 + 0.5, 12.5);
    offsets->AddPoint(March7 + 0.75, -3.25);
    AddSeries(chart, QString(), true); // a series without points writes no row
    TLineSeries* plain = AddSeries(chart, QStringLiteral("count"), false);
    plain->AddPoint(2.5, 1e-7);

    EXPECT_EQ(ChartCsv(chart, CsvTimeStyle::Calendar),
        QStringLiteral("series,x,y\n"
                       "\"Mar 7, UTC\",2021-03-07T12:00:00.000,12.5\n"
                       "\"Mar 7, UTC\",2021-03-07T18:00:00.000,-3.25\n"
                       "count,2.5,1e-07\n"));
    EXPECT_EQ(ChartCsv(chart, CsvTimeStyle::TimeOfDay),
        QStringLiteral("series,x,y\n"
                       "\"Mar 7, UTC\",12:00:00.000,12.5\n"
                       "\"Mar 7, UTC\",18:00:00.000,-3.25\n"
                       "count,2.5,1e-07\n"));

    TChart empty;
    EXPECT_EQ(ChartCsv(empty, CsvTimeStyle::Calendar), QStringLiteral("series,x,y\n"));
}

TEST(ChartCsvTest, TablesAndHistogramsAsCsv)
{
    const std::vector<QStringList> rows = {
        { QStringLiteral("Peer"), QStringLiteral("Offset, ms") },
        { QStringLiteral("192.168.1.2"), QStringLiteral("0,125") },
        {},
    };
    EXPECT_EQ(TableCsv(rows), QStringLiteral("Peer,\"Offset, ms\"\n192.168.1.2,\"0,125\"\n\n"));
    EXPECT_EQ(TableCsv({}), QString());

    TLineSeries bins;
    bins.AddPoint(1.0 / 3.0, 7);
    bins.AddPoint(-2.0 / 3.0, 1);
    EXPECT_EQ(HistogramCsv(bins), QStringLiteral("offset,count\n-0.666666667,1\n0.333333333,7\n"));
}

TEST(ChartCsvTest, WritingReplacesWholeFilesAndReportsFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("_offset.csv"));
    ASSERT_TRUE(WriteCsvFile(name, QStringLiteral("first,a much longer text\n")));
    ASSERT_TRUE(WriteCsvFile(name, QStringLiteral("µs\n")));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xC2\xB5s\n"));

    EXPECT_FALSE(WriteCsvFile(dir.filePath(QStringLiteral("missing/_offset.csv")), QString()));

    // A writer that fails leaves the file as it was.
    EXPECT_FALSE(WriteCsvFile(name, [](QIODevice& out) { return out.write("partial") < 0; }));
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xC2\xB5s\n"));
}

TEST(ChartCsvTest, AFullDiskIsReportedAsAFailure)
{
    TChart chart;
    TLineSeries* series = AddSeries(chart, QStringLiteral("long"), true);
    for (int i = 0; i < 100'000; ++i) // several megabytes of rows
        series->AddPoint(March7 + i * Ms * 1000, i);
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_FALSE(WriteChartCsv(full, chart, CsvTimeStyle::Calendar));
}

} // namespace
