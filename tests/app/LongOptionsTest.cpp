#include "LongOptions.h"

#include <QFile>
#include <QRegularExpression>

#include <optional>

#include <gtest/gtest.h>

namespace {

using Outcome = LongOptions::Outcome;

struct LongOptionsCase
{
    const char* Name;
    QStringList Args;
    Outcome Action;
    QString Images;
    QString Csv;
    QStringList Remaining;
};

void PrintTo(const LongOptionsCase& c, std::ostream* os)
{
    *os << c.Name;
}

class LongOptionsTest : public ::testing::TestWithParam<LongOptionsCase>
{ };

TEST_P(LongOptionsTest, SplitsLongOptionsFromTheStartupArguments)
{
    const LongOptionsCase& c = GetParam();
    const LongOptions options = ParseLongOptions(c.Args);
    EXPECT_EQ(options.Action, c.Action) << options.Error.toStdString();
    EXPECT_EQ(options.SaveImagesDirectory, c.Images);
    EXPECT_EQ(options.ExportCsvDirectory, c.Csv);
    EXPECT_EQ(options.Remaining, c.Remaining);
    EXPECT_EQ(options.Error.isEmpty(), c.Action != Outcome::BadArguments);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongOptionsTest,
    ::testing::Values(LongOptionsCase { "nothing", {}, Outcome::Window, {}, {}, {} },
        // Everything that is no long option reaches the start-up load untouched, in order.
        LongOptionsCase { "single dash path", { "-3" }, Outcome::Window, {}, {}, { "-3" } },
        LongOptionsCase {
            "list with peer days", { "-3", "/ntp", "b" }, Outcome::Window, {}, {}, { "-3", "/ntp", "b" } },
        LongOptionsCase { "help", { "--help" }, Outcome::Help, {}, {}, {} },
        LongOptionsCase { "version", { "/ntp", "--version" }, Outcome::Version, {}, {}, { "/ntp" } },
        LongOptionsCase { "help wins over version", { "--version", "--help" }, Outcome::Help, {}, {}, {} },
        LongOptionsCase { "images", { "--save-images", "out", "/ntp" }, Outcome::Headless, "out", {}, { "/ntp" } },
        LongOptionsCase { "both, options anywhere", { "-2", "--export-csv=c", "a", "--save-images", "i", "b" },
            Outcome::Headless, "i", "c", { "-2", "a", "b" } },
        // The directory after the option may itself begin with one dash.
        LongOptionsCase { "dash directory", { "--save-images", "-out" }, Outcome::Headless, "-out", {}, {} },
        // After "--" nothing is an option any more.
        LongOptionsCase { "end of options", { "--save-images", "o", "--", "--help", "-1" }, Outcome::Headless, "o", {},
            { "--help", "-1" } },
        LongOptionsCase { "unknown option", { "--bogus", "/ntp" }, Outcome::BadArguments, {}, {}, {} },
        LongOptionsCase { "unknown wins over help", { "--help", "--bogus" }, Outcome::BadArguments, {}, {}, {} },
        LongOptionsCase { "help takes no value", { "--help=yes" }, Outcome::BadArguments, {}, {}, {} },
        LongOptionsCase { "missing directory", { "/ntp", "--save-images" }, Outcome::BadArguments, {}, {}, { "/ntp" } },
        LongOptionsCase {
            "option as directory", { "--save-images", "--export-csv", "c" }, Outcome::BadArguments, {}, {}, {} },
        LongOptionsCase { "empty directory", { "--export-csv=" }, Outcome::BadArguments, {}, {}, {} },
        LongOptionsCase {
            "given twice", { "--save-images", "a", "--save-images", "b" }, Outcome::BadArguments, "a", {}, {} }));

TEST(LongOptionsTexts, VersionAndUsageNameWhatTheyShould)
{
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Tallimer \\d+\\.\\d+\\.\\d+\\.\\d+\n$")).match(VersionText()).hasMatch())
        << VersionText().toStdString();
    const QString usage = UsageText();
    for (const char* word : { "--save-images DIR", "--export-csv DIR", "--help", "--version", "-N" })
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
    EXPECT_TRUE(usage.endsWith(QLatin1Char('\n')));
}

} // namespace

namespace {

// The options of the runs without a window beyond the target directories: the report's
// name and image format, and the settings they override for one run.
struct HeadlessOptionCase
{
    const char* Name;
    QStringList Args;
    // Expected when Error is empty:
    QString Report;
    QString SiteName;
    bool Svg = false;
    std::optional<int> Hours;
    std::optional<bool> LocalTime;
    std::optional<bool> Weighted;
    // Otherwise a part of the one-line error.
    QString Error;
};

void PrintTo(const HeadlessOptionCase& c, std::ostream* os)
{
    *os << c.Name;
}

class HeadlessOptionsTest : public ::testing::TestWithParam<HeadlessOptionCase>
{ };

TEST_P(HeadlessOptionsTest, ReadsValuesAndRefusesBadOnes)
{
    const HeadlessOptionCase& c = GetParam();
    const LongOptions options = ParseLongOptions(c.Args);
    if (!c.Error.isEmpty()) {
        EXPECT_EQ(options.Action, Outcome::BadArguments);
        EXPECT_TRUE(options.Error.contains(c.Error)) << options.Error.toStdString();
        EXPECT_FALSE(options.Error.contains(QLatin1Char('\n')));
        return;
    }
    ASSERT_EQ(options.Action, Outcome::Headless) << options.Error.toStdString();
    EXPECT_EQ(options.ReportDirectory, c.Report);
    EXPECT_EQ(options.SiteName, c.SiteName);
    EXPECT_EQ(options.SvgImages, c.Svg);
    EXPECT_EQ(options.Overrides.PlotHours, c.Hours);
    EXPECT_EQ(options.Overrides.LocalTime, c.LocalTime);
    EXPECT_EQ(options.Overrides.Weighted, c.Weighted);
}

HeadlessOptionCase Good(const char* name, QStringList args, QString report, QString site = {}, bool svg = false,
    std::optional<int> hours = {}, std::optional<bool> localTime = {}, std::optional<bool> weighted = {})
{
    return { name, std::move(args), std::move(report), std::move(site), svg, hours, localTime, weighted, {} };
}

HeadlessOptionCase Bad(const char* name, QStringList args, QString error)
{
    HeadlessOptionCase c;
    c.Name = name;
    c.Args = std::move(args);
    c.Error = std::move(error);
    return c;
}

INSTANTIATE_TEST_SUITE_P(Cases, HeadlessOptionsTest,
    ::testing::Values(Good("report", { "--report", "web", "/ntp" }, "web"),
        Good("report with name and svg", { "--report=web", "--name", "<b>&\"", "--image-format", "svg" }, "web",
            "<b>&\"", true),
        // An empty name is the host name, so that a service can always pass one.
        Good("empty name", { "--report", "web", "--name=" }, "web"),
        Good("png is the default", { "--report", "web", "--image-format=png" }, "web"),
        Good("svg for images", { "--save-images", "i", "--image-format", "svg" }, {}, {}, true),
        Good("hours at both ends", { "--export-csv", "c", "--hours", "168" }, {}, {}, false, 168),
        Good("hours low end", { "--export-csv", "c", "--hours=12" }, {}, {}, false, 12),
        Good("local time and weighted", { "--report", "w", "--local-time", "--weighted" }, "w", {}, false, {}, true,
            true),
        Good("utc", { "--report", "w", "--utc" }, "w", {}, false, {}, false),
        Bad("hours below", { "--report", "w", "--hours", "11" }, "12 to 168"),
        Bad("hours above", { "--report", "w", "--hours", "169" }, "12 to 168"),
        Bad("hours signed", { "--report", "w", "--hours", "+24" }, "12 to 168"),
        Bad("hours fraction", { "--report", "w", "--hours=24.5" }, "12 to 168"),
        Bad("hours huge", { "--report", "w", "--hours", "99999999999999999999" }, "12 to 168"),
        Bad("hours missing", { "--report", "w", "--hours" }, "--hours needs"),
        Bad("hours empty", { "--report", "w", "--hours=" }, "--hours needs"),
        Bad("format unknown", { "--report", "w", "--image-format", "gif" }, "png or svg"),
        Bad("format upper case", { "--report", "w", "--image-format", "SVG" }, "png or svg"),
        Bad("local and utc", { "--report", "w", "--local-time", "--utc" }, "exclude each other"),
        Bad("utc twice", { "--report", "w", "--utc", "--utc" }, "--utc given twice"),
        Bad("report twice", { "--report", "a", "--report", "b" }, "--report given twice"),
        Bad("report without directory", { "--report" }, "--report needs a directory"),
        Bad("name without report", { "--save-images", "i", "--name", "x" }, "--name needs --report"),
        Bad("format for csv only", { "--export-csv", "c", "--image-format", "svg" }, "--image-format needs"),
        Bad("override for the window", { "/ntp", "--weighted" }, "--weighted needs"),
        Bad("flag with a value", { "--report", "w", "--weighted=yes" }, "unknown option")));

TEST(LongOptionsTexts, UsageNamesTheOptionsOfTheRunsWithoutAWindow)
{
    const QString usage = UsageText();
    for (const char* word : { "--report DIR", "--name TEXT", "--image-format png|svg", "--hours N", "--local-time",
             "--utc", "--weighted" })
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
}

// Every long option of --help is in the manual page, where groff writes "-" as "\-".
TEST(LongOptionsTexts, TheManualPageNamesEveryOption)
{
    QFile page(QStringLiteral(TALLIMER_SOURCE_DIR "/dist/tallimer.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString manual = QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    auto options = QRegularExpression(QStringLiteral("--[a-z][a-z-]*")).globalMatch(UsageText());
    int count = 0;
    while (options.hasNext()) {
        const QString option = options.next().captured();
        EXPECT_TRUE(manual.contains(option)) << option.toStdString();
        ++count;
    }
    EXPECT_GE(count, 11);
}

} // namespace
