#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"
#include "StatisticsGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
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
    params.gzipDays = {1};
    const auto written = WriteStatisticsDirectory(dir.string(), params);
    std::vector<std::string> names;
    for (const auto& path : written)
        names.push_back(std::filesystem::path(path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"loopstats.20260101", "peerstats.20260101", "loopstats.20260102.gz",
                                               "peerstats.20260102.gz"}));
    std::filesystem::remove_all(dir);
}

} // namespace
