// statgen: writes a directory of realistic, deterministic ntpd statistics files, or with
// --chrony the logs chronyd writes.
#include "ChronyLogGenerator.h"
#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>

namespace {

const char* const Usage
    = "usage: statgen --out DIR [options]\n"
      "  --days N            number of daily files of each kind (default 5)\n"
      "  --start YYYY-MM-DD  date of the first day (default 2026-01-01)\n"
      "  --seed N            random seed (default 1)\n"
      "  --gzip LIST         comma-separated day indices written as .gz (default 0,1)\n"
      "  --gap H:L           no records for L hours from hour H of the first day (default 30:4)\n"
      "  --restart H         an ntpd restart at hour H of the first day (default 62.5)\n"
      "  --no-gap, --no-restart, --no-gzip\n"
      "  --year              a year at benchmark density (365 days, ~250 MB)\n"
      "chrony logs (tracking, measurements, statistics, refclocks .log):\n"
      "  --chrony            write chronyd's logs instead (--days default 3; --start, --seed apply)\n"
      "  --rotate KIND       none, numbered (default: .log, .log.1, .log.2.gz) or dated (.log-YYYYMMDD)\n"
      "  --no-gzip           rotated logs stay plain (default: all but the newest rotated gzipped)\n"
      "  --last-day-hours H  hours of the last day, the current log (default 24)\n"
      "  --no-banners        no column banners (as logbanner 0)\n"
      "  --banner-every N    a banner every N lines (default 32)\n"
      "  --unsynchronised N  tracking lines with reference 0.0.0.0 before the first update (default 4)\n"
      "  --pps-start M       minutes until the PPS refclock has samples (default 12)\n"
      "  --pps-outage H:L    no PPS for L hours from hour H (default 30:1.5); --no-pps-outage\n";

[[noreturn]] void Fail(const std::string& message)
{
    std::fprintf(stderr, "statgen: %s\n%s", message.c_str(), Usage);
    std::exit(2);
}

double Number(const std::string& text)
{
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        Fail("not a number: " + text);
    }
    if (used != text.size())
        Fail("not a number: " + text);
    return value;
}

// A whole number in [low, high]; anything else stops with the usage text.
long long WholeNumber(const std::string& text, double low, double high)
{
    const double value = Number(text);
    if (!(value >= low && value <= high) || value != static_cast<double>(static_cast<long long>(value)))
        Fail("out of range: " + text);
    return static_cast<long long>(value);
}

} // namespace

int main(int argc, char** argv)
{
    StatGenParams params = DefaultParams();
    ChronyGenParams chrony;
    bool chronyMode = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                Fail("missing value for " + arg);
            return argv[++i];
        };
        if (arg == "--out") {
            out = value();
        } else if (arg == "--days") {
            params.days = static_cast<int>(WholeNumber(value(), 1, 3660));
            chrony.days = params.days;
        } else if (arg == "--start") {
            int y = 0, m = 0, d = 0;
            const std::string text = value();
            if (std::sscanf(text.c_str(), "%d-%d-%d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
                Fail("bad date: " + text);
            params.startMjd = MjdFromDate(y, m, d);
            chrony.startMjd = params.startMjd;
        } else if (arg == "--seed") {
            params.seed = static_cast<std::uint64_t>(WholeNumber(value(), 0, 9.0e15));
            chrony.seed = params.seed;
        } else if (arg == "--gzip") {
            params.gzipDays.clear();
            std::stringstream list(value());
            for (std::string item; std::getline(list, item, ',');)
                params.gzipDays.insert(static_cast<int>(WholeNumber(item, 0, 3660)));
        } else if (arg == "--gap") {
            const std::string text = value();
            const auto colon = text.find(':');
            if (colon == std::string::npos)
                Fail("bad gap: " + text);
            params.gapStartHours = Number(text.substr(0, colon));
            params.gapHours = Number(text.substr(colon + 1));
        } else if (arg == "--restart") {
            params.restartHours = Number(value());
        } else if (arg == "--no-gap") {
            params.gapStartHours = -1;
        } else if (arg == "--no-restart") {
            params.restartHours = -1;
        } else if (arg == "--no-gzip") {
            params.gzipDays.clear();
            chrony.gzipRotated = false;
        } else if (arg == "--chrony") {
            chronyMode = true;
        } else if (arg == "--rotate") {
            const std::string kind = value();
            if (kind == "none")
                chrony.rotation = ChronyRotation::None;
            else if (kind == "numbered")
                chrony.rotation = ChronyRotation::Numbered;
            else if (kind == "dated")
                chrony.rotation = ChronyRotation::Dated;
            else
                Fail("bad rotation: " + kind);
        } else if (arg == "--last-day-hours") {
            chrony.lastDayHours = Number(value());
            if (!(chrony.lastDayHours >= 0 && chrony.lastDayHours <= 24))
                Fail("out of range: --last-day-hours");
        } else if (arg == "--no-banners") {
            chrony.banners = false;
        } else if (arg == "--banner-every") {
            chrony.bannerEvery = static_cast<int>(WholeNumber(value(), 1, 1000000));
        } else if (arg == "--unsynchronised") {
            chrony.unsynchronisedLines = static_cast<int>(WholeNumber(value(), 0, 1000));
        } else if (arg == "--pps-start") {
            chrony.ppsStartMinutes = Number(value());
            if (!(chrony.ppsStartMinutes >= 0))
                Fail("out of range: --pps-start");
        } else if (arg == "--pps-outage") {
            const std::string text = value();
            const auto colon = text.find(':');
            if (colon == std::string::npos)
                Fail("bad outage: " + text);
            chrony.ppsOutageStartHours = Number(text.substr(0, colon));
            chrony.ppsOutageHours = Number(text.substr(colon + 1));
        } else if (arg == "--no-pps-outage") {
            chrony.ppsOutageStartHours = -1;
        } else if (arg == "--year") {
            const StatGenParams year = YearParams();
            params.days = year.days;
            params.loopIntervalSeconds = year.loopIntervalSeconds;
            params.peers = year.peers;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else {
            Fail("unknown option " + arg);
        }
    }
    if (out.empty())
        Fail("--out is required");
    try {
        const auto written = chronyMode ? WriteChronyDirectory(out, chrony) : WriteStatisticsDirectory(out, params);
        std::printf("statgen: wrote %zu files to %s\n", written.size(), out.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "statgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
