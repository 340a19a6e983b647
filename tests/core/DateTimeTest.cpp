#include "DateTime.h"
#include "DateTimeFormat.h"

#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// The user's locale is the default QLocale; pin it so month names are English.
class DateTimeFormatting : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

// Seconds past midnight as a fraction of a day.
double At(double day, int hour, int minute, double second)
{
    return day + (hour * 3600 + minute * 60 + second) / SecondsPerDay;
}

// An expected text with '#' standing for '?' (runs of '?' in a literal may read as trigraphs).
QString Expected(const char* text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('#'), QLatin1Char('?'));
}

TEST(DateTime, ModifiedJulianDaysOnTheDayScale)
{
    EXPECT_EQ(DateOfDay(0), QDate(1899, 12, 30));
    EXPECT_EQ(DateOfDay(-15018), QDate(1858, 11, 17)); // MJD 0
    EXPECT_EQ(DateOfDay(FirstCalendarDay), QDate(1, 1, 1));
    EXPECT_EQ(DateOfDay(LastCalendarDay), QDate(9999, 12, 31));
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(0, 0), -15018);
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(0, 0), MjdDayZero);
    // Day 60000 at noon is 2023-02-25 12:00; 59000 + 3600.5 s is 2020-05-31 01:00:00.5.
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(60000, 43200), 44982.5);
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(59000, 3600.5), 43982 + 3600.5 / 86400);
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(-1, 86400), -15018);
    EXPECT_EQ(DateTimeToQDateTime(44982.5), QDateTime(QDate(2023, 2, 25), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(DateTimeToQDateTime(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(DateTimeToQDateTime(-0.25), QDateTime(QDate(1899, 12, 29), QTime(18, 0), Qt::UTC));
    EXPECT_DOUBLE_EQ(
        DateTimeFromQDateTime(QDateTime(QDate(2020, 5, 31), QTime(1, 0, 0, 500), Qt::UTC)), 43982 + 3600.5 / 86400);
    // A zoned QDateTime converts by its UTC instant.
    const QDateTime east(QDate(2023, 2, 25), QTime(13, 0), QTimeZone(3600));
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(east), 44982.5);
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(QDateTime()), 0);
    EXPECT_FALSE(DateTimeToQDateTime(std::nan("")).isValid());
    EXPECT_FALSE(DateTimeToQDateTime(double(LastCalendarDay) + 1).isValid());
}

TEST_F(DateTimeFormatting, PatternsOfTheProgram)
{
    const double t = DateTimeFromQDateTime(QDateTime(QDate(2020, 4, 19), QTime(7, 5, 59, 250), Qt::UTC));
    const struct
    {
        const char* pattern;
        const char* expected;
    } cases[] = {
        { "yyyy-mmm-dd hh:nn", "2020-Apr-19 07:05" },
        { "yyyy-mmm-dd hh:nn ", "2020-Apr-19 07:05 " },
        { "yyyy-mmm-dd", "2020-Apr-19" },
        { "hh:nn", "07:05" },
        { "yyyy-mm-dd", "2020-04-19" },
        { "hh:nn:ss", "07:05:59" },
        { "yyyy-mm-ddThh:nn:ss.zzz", "2020-04-19T07:05:59.250" },
        { "mmmm", "Aprm" }, // "mmm", then the lone "m" is copied
        { "yyyyy", "2020y" },
        { "[x] y", "[x] y" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(t, QString::fromLatin1(c.pattern)), QString::fromLatin1(c.expected)) << c.pattern;
    EXPECT_EQ(FormatDateTime(DateTimeFromMjd(60000, 0), QStringLiteral("dd mmm yyyy")), QStringLiteral("25 Feb 2023"));
    EXPECT_EQ(FormatDateTime(FirstCalendarDay, QStringLiteral("yyyy-mm-dd")), QStringLiteral("0001-01-01"));
}

TEST_F(DateTimeFormatting, MonthNamesComeFromTheGivenLocale)
{
    const QLocale french(QLocale::French, QLocale::France);
    const double february = DateTimeFromMjd(60000, 0);
    EXPECT_EQ(FormatDateTime(february, QStringLiteral("mmm"), TimeRounding::Millisecond, french),
        french.monthName(2, QLocale::ShortFormat));
    EXPECT_NE(french.monthName(2, QLocale::ShortFormat), QStringLiteral("Feb"));
    // Digits stay ASCII whatever the locale: day numbers are never localised numbers.
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    EXPECT_EQ(FormatDateTime(february, QStringLiteral("yyyy-mm-dd hh:nn"), TimeRounding::Second, arabic),
        QStringLiteral("2023-02-25 00:00"));
}

// Rounding first, then every field is read from the rounded time: the two roundings
// differ only in the unit, and the date follows a carry over midnight.
TEST_F(DateTimeFormatting, RoundsToTheUnitThenCutsTheFields)
{
    const double day = 44982; // 2023-02-25
    const QString full = QStringLiteral("yyyy-mm-dd hh:nn:ss.zzz");
    const struct
    {
        double value;
        const char* toMillisecond;
        const char* toSecond;
    } cases[] = {
        { At(day, 7, 5, 59.6), "2023-02-25 07:05:59.600", "2023-02-25 07:06:00.000" },
        { At(day, 7, 5, 59.4), "2023-02-25 07:05:59.400", "2023-02-25 07:05:59.000" },
        { At(day, 7, 5, 59.0004), "2023-02-25 07:05:59.000", "2023-02-25 07:05:59.000" },
        { At(day, 7, 5, 59.0006), "2023-02-25 07:05:59.001", "2023-02-25 07:05:59.000" },
        { At(day, 23, 59, 59.9994), "2023-02-25 23:59:59.999", "2023-02-26 00:00:00.000" },
        { At(day, 23, 59, 59.9996), "2023-02-26 00:00:00.000", "2023-02-26 00:00:00.000" },
        { At(day, 23, 59, 59.4), "2023-02-25 23:59:59.400", "2023-02-25 23:59:59.000" },
        { day - 1e-10, "2023-02-25 00:00:00.000", "2023-02-25 00:00:00.000" },
        { day + 1e-10, "2023-02-25 00:00:00.000", "2023-02-25 00:00:00.000" },
        // Before day 0 the fraction still counts forward from that day's midnight.
        { -0.25, "1899-12-29 18:00:00.000", "1899-12-29 18:00:00.000" },
        { -1.25, "1899-12-28 18:00:00.000", "1899-12-28 18:00:00.000" },
        { -1e-10, "1899-12-30 00:00:00.000", "1899-12-30 00:00:00.000" },
        // Rounded to the second, 9999-12-31 23:59:59.6 is in the year 10000: off the calendar.
        { At(double(LastCalendarDay), 23, 59, 59.4), "9999-12-31 23:59:59.400", "9999-12-31 23:59:59.000" },
        { At(double(LastCalendarDay), 23, 59, 59.6), "9999-12-31 23:59:59.600", "####-##-## ##:##:##.###" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.value, full, TimeRounding::Millisecond), Expected(c.toMillisecond))
            << c.toMillisecond;
        EXPECT_EQ(FormatDateTime(c.value, full, TimeRounding::Second), Expected(c.toSecond)) << c.toSecond;
    }
    // Minutes are never rounded on their own: 07:05:59.6 is still 07:05 to the millisecond.
    EXPECT_EQ(FormatDateTime(At(day, 7, 5, 59.6), QStringLiteral("hh:nn")), QStringLiteral("07:05"));
    EXPECT_EQ(
        FormatDateTime(At(day, 7, 5, 59.6), QStringLiteral("hh:nn"), TimeRounding::Second), QStringLiteral("07:06"));
}

TEST_F(DateTimeFormatting, OffTheCalendarEveryTokenIsQuestionMarks)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double value :
        { nan, inf, -inf, 1e300, -1e300, double(FirstCalendarDay) - 1e-3, double(LastCalendarDay) + 1, 1e8 }) {
        EXPECT_FALSE(IsCalendarDateTime(value)) << value;
        EXPECT_FALSE(IsCalendarDateTime(value, TimeRounding::Second)) << value;
        EXPECT_EQ(FormatDateTime(value, QStringLiteral("yyyy-mmm-dd hh:nn:ss.zzz [x]")),
            Expected("####-###-## ##:##:##.### [x]"))
            << value;
    }
    for (const double value : { 0.0, double(FirstCalendarDay), double(LastCalendarDay) + 0.5, 44982.5 })
        EXPECT_TRUE(IsCalendarDateTime(value)) << value;
    // Just before the first day, the rounding decides.
    const double justBefore = double(FirstCalendarDay) - 0.4 / SecondsPerDay;
    EXPECT_FALSE(IsCalendarDateTime(justBefore, TimeRounding::Millisecond));
    EXPECT_TRUE(IsCalendarDateTime(justBefore, TimeRounding::Second));
}

// A pattern read once gives the same text for every value as FormatDateTime, also as
// UTF-8 (month names and literals beyond ASCII included) and after a value off the
// calendar.
TEST_F(DateTimeFormatting, AFormatReadOnceWritesLikeTheFunction)
{
    const QLocale french(QLocale::French, QLocale::France);
    const QString pattern = QStringLiteral("\u00e9 dd mmm yyyy hh:nn:ss.zzz \u00e0");
    const DateTimeFormat format(pattern, TimeRounding::Millisecond, french);
    for (const double value : { 44982.5, At(44982, 23, 59, 59.9996), -0.25, std::nan(""), 44983.75 }) {
        const QString expected = FormatDateTime(value, pattern, TimeRounding::Millisecond, french);
        EXPECT_EQ(format.Format(value), expected) << value;
        std::string utf8 = "x";
        format.AppendUtf8(utf8, value);
        EXPECT_EQ(utf8, "x" + expected.toStdString()) << value;
    }
    EXPECT_EQ(DateTimeFormat(QStringLiteral("hh:nn:ss"), TimeRounding::Second).Format(At(44982, 7, 5, 59.6)),
        QStringLiteral("07:06:00"));
}

} // namespace
