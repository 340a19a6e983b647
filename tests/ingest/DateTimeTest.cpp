#include "Captions.h"
#include "DateTime.h"

#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class DateTimeFormatting : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST(DateTime, ModifiedJulianDaysOnTheDayScale)
{
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(0, 0), -15018);
    // Day 60000 at noon is 2023-02-25 12:00.
    EXPECT_DOUBLE_EQ(DateTimeFromMjd(60000, 43200), 44982.5);
    EXPECT_EQ(DateTimeToQDateTime(44982.5), QDateTime(QDate(2023, 2, 25), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(DateTimeToQDateTime(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC));
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(QDateTime(QDate(2020, 5, 31), QTime(1, 0, 0, 500), Qt::UTC)),
                     43982 + 3600.5 / 86400);
    // A zoned QDateTime converts by its UTC instant.
    const QDateTime east(QDate(2023, 2, 25), QTime(13, 0), QTimeZone(3600));
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(east), 44982.5);
    EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(QDateTime()), 0);
}

TEST_F(DateTimeFormatting, PatternsOfTheProgram)
{
    const double t = DateTimeFromQDateTime(QDateTime(QDate(2020, 4, 19), QTime(7, 5, 59), Qt::UTC));
    const struct
    {
        const char* pattern;
        const char* expected;
    } cases[] = {
        {"yyyy-mmm-dd hh:nn", "2020-Apr-19 07:05"},
        {"yyyy-mmm-dd hh:nn ", "2020-Apr-19 07:05 "},
        {"yyyy-mmm-dd", "2020-Apr-19"},
        {"hh:nn", "07:05"},
        {"yyyy-mm-dd", "2020-04-19"},
        {"[x] y", "[x] y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(t, QString::fromLatin1(c.pattern)), QString::fromLatin1(c.expected)) << c.pattern;
}

TEST_F(DateTimeFormatting, RoundsToTheMillisecondAndSurvivesNonsense)
{
    // A hair before midnight is midnight, not 23:59 with 60 seconds.
    EXPECT_EQ(FormatDateTime(44982.0 - 1e-10, QStringLiteral("yyyy-mm-dd hh:nn")), QStringLiteral("2023-02-25 00:00"));
    EXPECT_EQ(FormatDateTime(std::nan(""), QStringLiteral("yyyy hh")), QStringLiteral("???? ??"));
    EXPECT_EQ(FormatDateTime(1e300, QStringLiteral("dd")), QStringLiteral("??"));
}

TEST_F(DateTimeFormatting, Captions)
{
    const double t = DateTimeFromMjd(60000, 43200 + 59);
    EXPECT_EQ(ListCaption(QStringLiteral("1.0.0.0"), QStringLiteral("/var/log/ntpstats/"), t, QStringLiteral("UTC")),
              QStringLiteral("Tallimer V1.0.0.0 - /var/log/ntpstats/  up to: 2023-Feb-25 12:00 UTC"));
    EXPECT_EQ(ListCaption(QString(), QString(), t, QStringLiteral("Local Time")),
              QStringLiteral("Tallimer V -   up to: 2023-Feb-25 12:00 Local Time"));
    EXPECT_EQ(SingleFileCaption(QStringLiteral("loopstats.20230225"), t, QStringLiteral("UTC")),
              QStringLiteral("Tallimer:  loopstats.20230225  up to: 2023-Feb-25 12:00 UTC"));
}

} // namespace
