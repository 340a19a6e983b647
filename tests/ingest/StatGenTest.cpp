#include "ChronyLogGenerator.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsGenerator.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> Records(const std::string& text)
{
    std::vector<std::vector<std::string>> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        out.emplace_back();
        for (std::string field; fields >> field;)
            out.back().push_back(field);
    }
    return out;
}

TEST(StatGen, CalendarConversions)
{
    EXPECT_EQ(MjdFromDate(1858, 11, 17), 0);
    EXPECT_EQ(MjdFromDate(2020, 5, 31), 59000);
    EXPECT_EQ(MjdFromDate(2026, 1, 1), 61041);
    EXPECT_EQ(DateTextFromMjd(59000), "20200531");
    EXPECT_EQ(DateTextFromMjd(MjdFromDate(2024, 2, 29)), "20240229");
}

TEST(StatGen, DeterministicRealisticDays)
{
    const StatGenParams params = DefaultParams();
    const std::string loop = GenerateLoopLines(params);
    EXPECT_EQ(loop, GenerateLoopLines(params));
    StatGenParams other = params;
    other.seed = 2;
    EXPECT_NE(loop, GenerateLoopLines(other));

    const double gapStart = params.gapStartHours * 3600;
    const double gapEnd = gapStart + params.gapHours * 3600;
    int restartLines = 0;
    for (const auto& r : Records(loop)) {
        ASSERT_EQ(r.size(), 7u);
        const double t = (std::stoi(r[0]) - params.startMjd) * 86400.0 + std::stod(r[1]);
        EXPECT_FALSE(t >= gapStart && t < gapEnd) << "record in the gap";
        const int poll = std::stoi(r[6]);
        EXPECT_GE(poll, 6);
        EXPECT_LE(poll, 10);
        if (r[3] == "0.000" && r[5] == "0.000000")
            ++restartLines;
        else
            EXPECT_NEAR(std::stod(r[3]), -15, 2);
        EXPECT_LT(std::abs(std::stod(r[2])), 0.005);
    }
    EXPECT_GE(restartLines, 5);

    bool refclockDelayZero = false;
    bool ipv6 = false;
    for (const auto& r : Records(GeneratePeerLines(params))) {
        ASSERT_EQ(r.size(), 8u);
        if (r[2] == "127.127.28.0")
            refclockDelayZero = r[5] == "0.000000000";
        ipv6 = ipv6 || r[2].find("::") != std::string::npos;
    }
    EXPECT_TRUE(refclockDelayZero);
    EXPECT_TRUE(ipv6);
}

TEST(StatGen, WritesDailyFilesSomeGzipped)
{
    const auto dir = std::filesystem::temp_directory_path() / "statgen-test-dir";
    std::filesystem::remove_all(dir);
    StatGenParams params = DefaultParams();
    params.days = 2;
    params.gzipDays = { 1 };
    const auto written = WriteStatisticsDirectory(dir.string(), params);
    std::vector<std::string> names;
    for (const auto& path : written)
        names.push_back(std::filesystem::path(path).filename().string());
    EXPECT_EQ(names,
        (std::vector<std::string> {
            "loopstats.20260101", "peerstats.20260101", "loopstats.20260102.gz", "peerstats.20260102.gz" }));
    std::filesystem::remove_all(dir);
}

// chronyd's logs: field counts per log, banners at the start of a file and after every
// 32 lines, none when they are off, and the unsynchronised lines at the start.
TEST(StatGen, ChronyLogLayout)
{
    ChronyGenParams params;
    params.days = 2;
    const auto days = GenerateChronyLogs(params);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[1].mjd, params.startMjd + 1);
    // The same parameters give the same bytes; another seed does not.
    EXPECT_EQ(GenerateChronyLogs(params)[1].refclocks, days[1].refclocks);
    ChronyGenParams other = params;
    other.seed = 2;
    EXPECT_NE(GenerateChronyLogs(other)[1].refclocks, days[1].refclocks);

    ChronyGenParams plain = params;
    plain.banners = false;
    const auto plainDays = GenerateChronyLogs(plain);

    const struct
    {
        std::string ChronyLogDay::*log;
        std::size_t fields;
    } logs[] = { { &ChronyLogDay::tracking, 14 }, { &ChronyLogDay::measurements, 20 },
        { &ChronyLogDay::statistics, 13 }, { &ChronyLogDay::refclocks, 9 } };
    for (const auto& [log, fields] : logs) {
        for (std::size_t d = 0; d < days.size(); ++d) {
            const auto records = Records(days[d].*log);
            ASSERT_GT(records.size(), 40u);
            // Banner, then 32 records, then the banner again: rule, titles, rule.
            std::size_t sinceBanner = 0;
            for (std::size_t i = 0; i < records.size(); ++i) {
                const auto& r = records[i];
                if (r.size() == 1 && r[0].find_first_not_of('=') == std::string::npos) {
                    EXPECT_EQ(sinceBanner % 32, 0u) << "banner after " << sinceBanner << " lines";
                    ASSERT_LT(i + 2, records.size());
                    EXPECT_EQ(records[i + 1][0], "Date");
                    EXPECT_EQ(records[i + 2], r);
                    i += 2;
                    sinceBanner = 0;
                    continue;
                }
                EXPECT_TRUE(i > 0) << "a file starts with a banner";
                ASSERT_EQ(r.size(), fields) << "day " << d << " line " << i;
                ++sinceBanner;
                EXPECT_LE(sinceBanner, 32u);
            }
            // Without banners: the same records, nothing else.
            std::vector<std::vector<std::string>> expected;
            std::copy_if(records.begin(), records.end(), std::back_inserter(expected),
                [&](const auto& r) { return r.size() == fields; });
            EXPECT_EQ(Records(plainDays[d].*log), expected);
        }
    }

    const auto tracking = Records(days[0].tracking);
    for (int i = 3; i < 3 + params.unsynchronisedLines; ++i) {
        EXPECT_EQ(tracking[i][2], "0.0.0.0");
        EXPECT_EQ(tracking[i][3], "0");
        EXPECT_EQ(tracking[i][7], "?");
    }
    EXPECT_EQ(tracking[3 + params.unsynchronisedLines][7], "N");
}

// Realistic values: offsets of microseconds to a millisecond, polls 6 to 10, both
// refclocks with raw and filtered samples, statistics a little out of time order.
TEST(StatGen, ChronyLogValues)
{
    ChronyGenParams params;
    params.days = 2;
    const auto days = GenerateChronyLogs(params);
    std::set<std::string> refclocks;
    std::set<std::string> sources;
    int filtered = 0;
    int statisticsBackwards = 0;
    for (const auto& day : days) {
        for (const auto& r : Records(day.tracking)) {
            if (r.size() == 14) {
                EXPECT_LT(std::abs(std::stod(r[6])), 1e-3);
            }
        }
        for (const auto& r : Records(day.measurements)) {
            if (r.size() != 20)
                continue;
            sources.insert(r[2]);
            EXPECT_GE(std::stoi(r[8]), 6);
            EXPECT_LE(std::stoi(r[8]), 10);
            EXPECT_LT(std::abs(std::stod(r[11])), 5e-3);
        }
        std::string last;
        for (const auto& r : Records(day.statistics)) {
            if (r.size() != 13)
                continue;
            const std::string stamp = r[0] + " " + r[1];
            statisticsBackwards += stamp < last;
            last = stamp;
        }
        for (const auto& r : Records(day.refclocks)) {
            if (r.size() != 9)
                continue;
            refclocks.insert(r[2]);
            EXPECT_EQ(r[1].size(), 15u) << "seconds with six decimals";
            filtered += r[3] == "-";
        }
    }
    EXPECT_EQ(sources, (std::set<std::string> { "192.168.1.10", "192.0.2.123" }));
    EXPECT_EQ(refclocks, (std::set<std::string> { "GPS", "PPS" }));
    EXPECT_GT(filtered, 100);
    EXPECT_GT(statisticsBackwards, 100);
}

TEST(StatGen, ChronyRotatedNames)
{
    const struct
    {
        ChronyRotation rotation;
        bool gzip;
        std::vector<std::string> names; // of tracking, oldest day first
    } cases[] = {
        { ChronyRotation::Numbered, true,
            { "tracking.log.3.gz", "tracking.log.2.gz", "tracking.log.1", "tracking.log" } },
        { ChronyRotation::Numbered, false, { "tracking.log.3", "tracking.log.2", "tracking.log.1", "tracking.log" } },
        { ChronyRotation::Dated, true,
            { "tracking.log-20260102.gz", "tracking.log-20260103.gz", "tracking.log-20260104", "tracking.log" } },
        { ChronyRotation::None, true, { "tracking.log", "tracking.log", "tracking.log", "tracking.log" } },
    };
    for (const auto& c : cases)
        for (int day = 0; day < 4; ++day)
            EXPECT_EQ(ChronyFileName("tracking", day, 4, MjdFromDate(2026, 1, 1), c.rotation, c.gzip), c.names[day]);

    // Of this process alone: other builds may run the same test at the same time.
    const auto dir = std::filesystem::temp_directory_path() / ("statgen-test-chrony-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    ChronyGenParams params;
    params.days = 3;
    params.lastDayHours = 2;
    params.rotation = ChronyRotation::Dated;
    const auto written = WriteChronyDirectory(dir.string(), params);
    EXPECT_EQ(written.size(), 12u);
    std::ifstream gz(dir / "refclocks.log-20260102.gz", std::ios::binary);
    std::string magic(2, '\0');
    gz.read(magic.data(), 2);
    EXPECT_EQ(magic, "\x1f\x8b");
    // The current log ends within the hours asked for.
    std::ifstream current(dir / "tracking.log");
    std::string line, lastLine;
    while (std::getline(current, line))
        lastLine = line;
    EXPECT_TRUE(lastLine.starts_with("2026-01-03 01:")) << lastLine;
    params.rotation = ChronyRotation::None;
    std::filesystem::remove_all(dir);
    EXPECT_EQ(WriteChronyDirectory(dir.string(), params).size(), 4u);
    std::size_t bytes = 0;
    for (const auto& day : GenerateChronyLogs(params))
        bytes += day.tracking.size();
    EXPECT_EQ(std::filesystem::file_size(dir / "tracking.log"), bytes) << "every day in the one file";
    std::filesystem::remove_all(dir);
}

} // namespace
