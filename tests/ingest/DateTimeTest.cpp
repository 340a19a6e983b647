// Captions carry the latest time stamp as a date and time; the day-number scale and the
// formatter themselves are tested with the core library.
#include "DateTime.h"
#include "Captions.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class DateTimeFormatting : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

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

// The caption cuts the time to the minute after rounding to the millisecond: 12:00:59.6
// is still 12:00, while a hair before midnight is already the next day.
TEST_F(DateTimeFormatting, CaptionTimesAreNotRoundedToTheMinute)
{
    EXPECT_EQ(SingleFileCaption(QStringLiteral("f"), DateTimeFromMjd(60000, 43259.6), QStringLiteral("UTC")),
        QStringLiteral("Tallimer:  f  up to: 2023-Feb-25 12:00 UTC"));
    EXPECT_EQ(SingleFileCaption(QStringLiteral("f"), DateTimeFromMjd(60000, 86399.99996), QStringLiteral("UTC")),
        QStringLiteral("Tallimer:  f  up to: 2023-Feb-26 00:00 UTC"));
}

} // namespace
