#include "LongOptions.h"

#include <QRegularExpression>

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
