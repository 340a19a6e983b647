#include "AutoUpdateChoice.h"
#include "CommandLine.h"
#include "TimeZoneQuery.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/wait.h>

namespace {

struct CommandLineCase
{
    const char* Name;
    QStringList Args;
    bool IsList;
    QString Path;
    QStringList Files;
    int PeerDays;
};

void PrintTo(const CommandLineCase& c, std::ostream* os)
{
    *os << c.Name;
}

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase>
{ };

TEST_P(CommandLineTest, ReadsPathListAndPeerDays)
{
    const CommandLineCase& c = GetParam();
    const StartupCommand command = ParseCommandLine(c.Args);
    EXPECT_EQ(command.IsList, c.IsList);
    EXPECT_EQ(command.Path, c.Path);
    EXPECT_EQ(command.Files, c.Files);
    EXPECT_EQ(command.PeerDays, c.PeerDays);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest,
    ::testing::Values(CommandLineCase { "NoArgument", {}, false, ".", {}, 0 },
        CommandLineCase { "OneDirectory", { "/var/log/ntpstats" }, false, "/var/log/ntpstats", {}, 0 },
        // A single argument is a path, also when it looks like an option.
        CommandLineCase { "OneDashArgument", { "-3" }, false, "-3", {}, 0 },
        CommandLineCase { "OptionAndDirectory", { "-3", "/srv/ntp" }, true, "", { "/srv/ntp" }, 3 },
        // Only the one character after the dash is read.
        CommandLineCase { "OnlyFirstDigitCounts", { "-12", "a", "b" }, true, "", { "a", "b" }, 1 },
        CommandLineCase { "NonDigitOption", { "a", "-x", "b" }, true, "", { "a", "b" }, 0 },
        CommandLineCase { "BareDash", { "-", "a" }, true, "", { "a" }, 0 },
        // The last option wins; names keep their order.
        CommandLineCase { "LastOptionWins", { "-2", "b", "-7", "a" }, true, "", { "b", "a" }, 7 },
        CommandLineCase { "OnlyOptions", { "-4", "-5" }, true, "", {}, 5 }),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.Name); });

TEST(AutoUpdateChoiceTest, MinutesOfEveryEntryAndOfOddTexts)
{
    const int expected[] = { -1, 1, 5, 15, 30, 60 };
    for (std::size_t i = 0; i < std::size(AutoUpdateChoices); ++i)
        EXPECT_EQ(AutoUpdateMinutes(QLatin1String(AutoUpdateChoices[i])), expected[i]) << AutoUpdateChoices[i];
    EXPECT_EQ(AutoUpdateMinutes(QString()), -1);
    EXPECT_EQ(AutoUpdateMinutes(QStringLiteral("ten minutes")), -1);
    EXPECT_EQ(AutoUpdateMinutes(QStringLiteral("0 minutes")), 0);
    EXPECT_EQ(AutoUpdateMinutes(QStringLiteral("7")), 7);
}

class ZoneFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        if (tz)
            oldTz_ = tz;
    }
    void TearDown() override
    {
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

TEST_F(ZoneFixture, ZoneWithoutDaylightRulesIsLocalTime)
{
    UseZone("XST5");
    const TimeZoneAnswer answer = QueryTimeZone(QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC));
    EXPECT_TRUE(answer.Ok);
    EXPECT_EQ(answer.BiasMinutes, 300);
    EXPECT_EQ(answer.Label, "Local Time");
}

TEST_F(ZoneFixture, DaylightZoneNamesTheTimeInForce)
{
    UseZone("America/New_York");
    const TimeZoneAnswer winter = QueryTimeZone(QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC));
    EXPECT_TRUE(winter.Ok);
    EXPECT_EQ(winter.BiasMinutes, 300);
    EXPECT_EQ(winter.Label, "Eastern Standard Time");
    const TimeZoneAnswer summer = QueryTimeZone(QDateTime(QDate(2024, 7, 15), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(summer.BiasMinutes, 240);
    EXPECT_EQ(summer.Label, "Eastern Daylight Time");
}

TEST_F(ZoneFixture, EastOfGreenwichHasNegativeBias)
{
    UseZone("Asia/Kolkata");
    const TimeZoneAnswer answer = QueryTimeZone(QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC));
    EXPECT_TRUE(answer.Ok);
    EXPECT_EQ(answer.BiasMinutes, -330);
}

TEST_F(ZoneFixture, UnknownZoneFailsAsUtc)
{
    UseZone("Nowhere/Atlantis");
    const TimeZoneAnswer answer = QueryTimeZone();
    EXPECT_FALSE(answer.Ok);
    EXPECT_EQ(answer.Label, "UTC");
}

struct ProgramRun
{
    int ExitCode = -1;
    std::string Output;
};

// Runs the program with the display variables removed and `extra` set, for a moment.
ProgramRun RunProgramWithout(const std::string& extra)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + extra
        + " timeout 20 '" TALLIMER_EXE "' /nonexistent 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.Output += buffer;
    const int status = pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(NoDisplayTest, SaysSoAndEndsWithAnError)
{
    // Nothing at all, and a display that does not answer.
    for (const std::string extra : { "", "DISPLAY=:987" }) {
        const ProgramRun run = RunProgramWithout(extra);
        EXPECT_EQ(run.ExitCode, 2) << extra << "\n" << run.Output;
        EXPECT_NE(run.Output.find("no display is available"), std::string::npos) << run.Output;
        EXPECT_NE(run.Output.find("QT_QPA_PLATFORM=offscreen"), std::string::npos) << run.Output;
    }
}

} // namespace
