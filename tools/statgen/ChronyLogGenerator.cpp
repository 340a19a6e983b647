#include "ChronyLogGenerator.h"

#include "StatGenParams.h"
#include "StatisticsDirectoryWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

constexpr double SecondsPerDay = 86400;

// Column titles of the banners; the rows of '=' around them are as wide as the title.
const char* const TrackingTitle
    = "   Date (UTC) Time     IP Address   St   Freq ppm   Skew ppm     Offset L Co  Offset sd Rem. corr. "
      "Root delay Root disp. Max. error";
const char* const MeasurementsTitle
    = "   Date (UTC) Time     IP Address   L St 123 567 ABCD  LP RP Score    Offset  Peer del. Peer disp. "
      "Root del. Root disp. Refid     MTxRx";
const char* const StatisticsTitle
    = "   Date (UTC) Time     IP Address    Std dev'n Est offset  Offset sd  Diff freq   Est skew  Stress  Ns  "
      "Bs  Nr  Asym";
const char* const RefclocksTitle = "   Date (UTC) Time         Refid  DP L P  Raw offset   Cooked offset      Disp.";

// One log file being written: the banner comes first and again after every n lines.
class LogText
{
public:
    LogText(const char* title, const ChronyGenParams& params)
        : title_(title)
        , params_(params)
    { }

    void Restart() { sinceBanner_ = 0; }
    void Add(std::string& out, const std::string& line)
    {
        if (params_.banners && params_.bannerEvery > 0 && sinceBanner_ % params_.bannerEvery == 0) {
            const std::string rule(std::char_traits<char>::length(title_), '=');
            out += rule;
            out += '\n';
            out += title_;
            out += '\n';
            out += rule;
            out += '\n';
        }
        ++sinceBanner_;
        out += line;
        out += '\n';
    }

private:
    const char* title_;
    const ChronyGenParams& params_;
    long long sinceBanner_ = 0;
};

// Text helpers: printf's %e and %f would do, but to_chars gives the same digits on every
// system whatever the locale.
std::string Scientific(double value, int decimals)
{
    std::array<char, 64> text {};
    const auto result
        = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific, decimals);
    return std::string(text.data(), result.ptr);
}

std::string Fixed(double value, int decimals)
{
    std::array<char, 64> text {};
    const auto result
        = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    return std::string(text.data(), result.ptr);
}

// text right-aligned in width (never cut).
std::string Right(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Left(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// "YYYY-MM-DD HH:MM:SS" of seconds from 00:00 UTC of startMjd; with micro, six digits of
// the fraction of a second as refclocks.log has them.
std::string Stamp(std::int32_t startMjd, double seconds, bool micro)
{
    // Whole microseconds first, so that rounding never shows 60 seconds.
    const auto totalMicro = static_cast<long long>(std::llround(seconds * 1e6));
    const long long totalSeconds = totalMicro / 1000000;
    const long long fraction = totalMicro % 1000000;
    const auto dayIndex = static_cast<std::int32_t>(totalSeconds / 86400);
    const long long ofDay = totalSeconds % 86400;
    const std::string date = DateTextFromMjd(startMjd + dayIndex);
    char text[48];
    if (micro)
        std::snprintf(text, sizeof text, "%.4s-%.2s-%.2s %02lld:%02lld:%02lld.%06lld", date.c_str(), date.c_str() + 4,
            date.c_str() + 6, ofDay / 3600, ofDay / 60 % 60, ofDay % 60, fraction);
    else
        std::snprintf(text, sizeof text, "%.4s-%.2s-%.2s %02lld:%02lld:%02lld", date.c_str(), date.c_str() + 4,
            date.c_str() + 6, ofDay / 3600, ofDay / 60 % 60, ofDay % 60);
    return text;
}

struct NetSource
{
    std::string address;
    std::string refId; // of the server's own source, as measurements.log shows it
    int remoteStratum = 1;
    double delay = 0; // seconds, typical round trip
    double noise = 0; // seconds, of one offset sample
    double bias = 0; // seconds, asymmetry of the path
    double rootDispersion = 0;
    double next = 0; // seconds from the start: the next sample
    int burst = 4; // iburst: the first samples two seconds apart
    int poll = 6;
    double score = 0;
    int samples = 0;
};

struct Refclock
{
    std::string refId;
    bool pps = false;
    double rawInterval = 16; // seconds between driver polls (2^dpoll)
    int perFilter = 4; // raw samples per filtered sample (2^(poll - dpoll))
    double noise = 0; // seconds
    double bias = 0; // seconds
    double next = 0;
    int sequence = 0;
    double timeSum = 0; // of the raw samples since the last filtered one
    double errorSum = 0;
    int samples = 0; // in the regression, for statistics.log
};

class ChronySimulation
{
public:
    explicit ChronySimulation(const ChronyGenParams& params)
        : params_(params)
        , rng_(params.seed * 0xD1B54A32D192ED03ULL + 0x8CB92BA72F3D8DD7ULL)
        , tracking_(TrackingTitle, params)
        , measurements_(MeasurementsTitle, params)
        , statistics_(StatisticsTitle, params)
        , refclocks_(RefclocksTitle, params)
    {
        sources_ = {
            { "192.168.1.10", "50505300", 1, 0.000240, 20e-6, 15e-6, 0.00012 },
            { "192.0.2.123", "C6336407", 1, 0.018, 350e-6, 0.6e-3, 0.00045 },
        };
        // chronyd starts a second or two into the first day; iburst samples come first.
        sources_[0].next = 1.2 + uniform();
        sources_[1].next = 1.5 + uniform();
        refclocks_list_ = {
            { "GPS", false, 64, 4, 1.5e-3, 2e-3 },
            { "PPS", true, params_.ppsPollSeconds, std::max(params_.ppsSamplesPerFilter, 1), 0.4e-6, 0 },
        };
        refclocks_list_[0].next = 20 + std::floor(uniform() * 16);
        refclocks_list_[1].next = params_.ppsStartMinutes * 60 + std::floor(uniform() * 16);
        if (!params_.gpsRefclock)
            refclocks_list_.erase(refclocks_list_.begin());
        nextUnsynchronised_ = 2;
    }

    void Run(const std::function<void(ChronyLogDay&&)>& onDay)
    {
        onDay_ = &onDay;
        if (params_.days <= 0)
            return;
        today_.mjd = params_.startMjd;
        const double end = (params_.days - 1) * SecondsPerDay + std::clamp(params_.lastDayHours, 0.0, 24.0) * 3600;
        for (;;) {
            // The next event of all: a sample of an NTP source or a refclock poll.
            double t = end;
            int which = -1;
            for (std::size_t i = 0; i < sources_.size(); ++i)
                if (sources_[i].next < t) {
                    t = sources_[i].next;
                    which = static_cast<int>(i);
                }
            for (std::size_t i = 0; i < refclocks_list_.size(); ++i)
                if (refclocks_list_[i].next < t) {
                    t = refclocks_list_[i].next;
                    which = 100 + static_cast<int>(i);
                }
            if (which < 0)
                break;
            enterDay(t);
            if (which < 100)
                sourceSample(sources_[static_cast<std::size_t>(which)], t);
            else
                refclockPoll(refclocks_list_[static_cast<std::size_t>(which - 100)], t);
        }
        // The last day, and any day without a single event.
        while (day_ < params_.days)
            finishDay();
    }

private:
    double uniform()
    {
        rng_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = rng_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }

    // Sum of twelve uniforms: near enough to normal, with no library maths.
    double normal()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += uniform();
        return sum - 6;
    }

    // Lines go to the file of the day in which they are written; a rotation reopens the
    // logs, and chronyd starts each reopened file with a banner.
    void enterDay(double t)
    {
        const int day = static_cast<int>(t / SecondsPerDay);
        if (day == day_)
            return;
        while (day_ < day)
            finishDay();
        if (params_.rotation != ChronyRotation::None)
            for (LogText* log : { &tracking_, &measurements_, &statistics_, &refclocks_ })
                log->Restart();
    }

    ChronyLogDay& today() { return today_; }

    // Hands the day over and starts the next.
    void finishDay()
    {
        (*onDay_)(std::move(today_));
        ++day_;
        today_ = ChronyLogDay {};
        today_.mjd = params_.startMjd + day_;
    }

    bool ppsOut(double t) const
    {
        const double start = params_.ppsOutageStartHours * 3600;
        return params_.ppsOutageStartHours >= 0 && t >= start && t < start + params_.ppsOutageHours * 3600;
    }

    // The state of the local clock moves a little at every clock update.
    void stepClock(double t, double noise)
    {
        const double timeOfDay = std::fmod(t, SecondsPerDay) / SecondsPerDay;
        error_ = 0.6 * error_ + noise * normal();
        frequency_ += 0.002 * normal();
        frequency_ += (14.8 - frequency_) * 0.002;
        temperature_ = 0.25 * std::sin(2 * M_PI * timeOfDay);
    }

    // Tracking lines before the first update, while chronyd has nothing to go by.
    void unsynchronisedUntil(double t)
    {
        while (unsynchronisedWritten_ < params_.unsynchronisedLines && nextUnsynchronised_ <= t) {
            const double stamp = nextUnsynchronised_;
            nextUnsynchronised_ += 2;
            ++unsynchronisedWritten_;
            std::string line = Stamp(params_.startMjd, stamp, false) + " " + Left("0.0.0.0", 15) + " " + Right("0", 2)
                + " " + Right(Fixed(frequency_, 3), 10) + " " + Right(Fixed(0, 3), 10) + " "
                + Right(Scientific(0, 3), 10) + " ? " + Right("0", 2);
            for (int i = 0; i < 5; ++i) {
                line += ' ';
                line += Right(Scientific(0, 3), 10);
            }
            tracking_.Add(today().tracking, line);
        }
    }

    bool synchronised() const { return unsynchronisedWritten_ >= params_.unsynchronisedLines; }

    void trackingLine(double stamp, const std::string& reference, int stratum, double skew, double deviation,
        double rootDelay, double rootDispersion, int combined)
    {
        const double offset = error_ + 0.3 * deviation * normal();
        const double remaining = -0.4 * error_;
        const double maxError = std::fabs(offset) + std::fabs(remaining) + rootDelay / 2 + rootDispersion;
        std::string line = Stamp(params_.startMjd, stamp, false) + " " + Left(reference, 15) + " "
            + Right(std::to_string(stratum), 2) + " " + Right(Fixed(frequency_ + temperature_, 3), 10) + " "
            + Right(Fixed(skew, 3), 10) + " " + Right(Scientific(offset, 3), 10) + " N "
            + Right(std::to_string(combined), 2) + " " + Right(Scientific(deviation, 3), 10) + " "
            + Right(Scientific(remaining, 3), 10) + " " + Right(Scientific(rootDelay, 3), 10) + " "
            + Right(Scientific(rootDispersion, 3), 10) + " " + Right(Scientific(maxError, 3), 10);
        tracking_.Add(today().tracking, line);
    }

    void statisticsLine(double stamp, const std::string& source, double deviation, double offset, int samples)
    {
        const double offsetSd = deviation / std::sqrt(std::max(samples, 1));
        const double rate = 2e-9 * normal();
        const double rateError = 5e-9 + 2e-9 * std::fabs(normal());
        const double ratio = 0.05 + 0.4 * uniform();
        const int start = uniform() < 0.05 ? 1 + static_cast<int>(uniform() * 3) : 0;
        const int runs = std::max(1, samples / 2 + static_cast<int>(std::floor(2 * normal())));
        std::string line = Stamp(params_.startMjd, stamp, false) + " " + Left(source, 15) + " "
            + Right(Scientific(deviation, 3), 10) + " " + Right(Scientific(offset, 3), 10) + " "
            + Right(Scientific(offsetSd, 3), 10) + " " + Right(Scientific(rate, 3), 10) + " "
            + Right(Scientific(rateError, 3), 10) + " " + Right(Scientific(ratio, 1), 7) + " "
            + Right(std::to_string(samples), 3) + " " + Right(std::to_string(start), 3) + " "
            + Right(std::to_string(std::min(runs, samples)), 3) + " " + Right(Fixed(0, 2), 5);
        statistics_.Add(today().statistics, line);
    }

    void sourceSample(NetSource& source, double t)
    {
        unsynchronisedUntil(t);
        // The next sample: iburst first, then the poll interval, which creeps between 64 s
        // and 1024 s as the score says.
        if (source.burst > 0) {
            --source.burst;
            source.next = t + 2 + 0.001 * std::floor(uniform() * 300);
        } else {
            source.score += 0.25 * normal() + (source.poll < 8 ? 0.15 : -0.05);
            if (source.score > 1 && source.poll < 10) {
                ++source.poll;
                source.score = 0;
            } else if (source.score < -1 && source.poll > 6) {
                --source.poll;
                source.score = 0;
            }
            source.next = t + std::ldexp(1.0, source.poll) + 0.001 * std::floor(uniform() * 1500);
        }
        source.samples = std::min(source.samples + 1, 32);

        const double delay = source.delay * (1 + 0.15 * std::fabs(normal()));
        const double theta = -error_ + source.bias + source.noise * normal() + (delay - source.delay) * 0.3;
        const double peerDispersion = 2e-6 + 2e-5 * uniform();
        const double rootDelay = source.remoteStratum == 1 ? 0.0 : 0.01;
        const double rootDispersion = source.rootDispersion * (1 + 0.5 * uniform());
        std::string line = Stamp(params_.startMjd, t, false) + " " + Left(source.address, 15) + " N "
            + Right(std::to_string(source.remoteStratum), 2) + " 111 111 1111 " + Right(std::to_string(source.poll), 3)
            + " " + Right(std::to_string(source.poll), 2) + " "
            + Fixed(std::clamp(0.5 + source.score / 2, 0.0, 1.0) * 1.5 + 0.5, 2) + " " + Right(Scientific(theta, 3), 10)
            + " " + Right(Scientific(delay, 3), 10) + " " + Right(Scientific(peerDispersion, 3), 10) + " "
            + Right(Scientific(rootDelay, 3), 10) + " " + Right(Scientific(rootDispersion, 3), 10) + " " + source.refId
            + " 4B K K";
        measurements_.Add(today().measurements, line);
        statisticsLine(t, source.address, source.noise * (0.7 + 0.6 * uniform()), theta, source.samples);

        // The LAN server disciplines the clock until PPS samples arrive, and whenever they stop.
        const bool isReference = &source == &sources_[0] && synchronised() && (!ppsRunning_ || ppsOut(t));
        if (isReference) {
            stepClock(t, source.noise);
            trackingLine(t, source.address, source.remoteStratum + 1, 0.02 + 0.03 * uniform(),
                source.noise * (0.8 + 0.4 * uniform()), delay + rootDelay, rootDispersion + peerDispersion, 2);
        }
    }

    void refclockPoll(Refclock& clock, double t)
    {
        clock.next = t + clock.rawInterval;
        if (clock.pps && ppsOut(t)) {
            // No pulses: the driver has nothing, and the next filtered sample starts afresh.
            clock.sequence = 0;
            clock.timeSum = clock.errorSum = 0;
            return;
        }
        unsynchronisedUntil(t);
        // A raw sample: the pulse (or the NMEA message) arrives at the whole second as the
        // local clock reads it, off by the clock's error.
        const double cooked = -error_ + clock.bias + clock.noise * normal();
        // The NMEA message comes a good tenth of a second after the second it names; the
        // refclock's offset option takes that delay out of the cooked error.
        const double raw = clock.pps ? cooked + 1e-9 * std::floor(uniform() * 200) : cooked + 0.12;
        const double stamp = t + error_;
        std::string line = Stamp(params_.startMjd, stamp, true) + " " + Left(clock.refId, 4) + " "
            + Right(std::to_string(clock.sequence), 4) + " N " + (clock.pps ? "1" : "0") + " "
            + Right(Scientific(raw, 6), 13) + " " + Right(Scientific(cooked, 6), 13) + " "
            + Right(Scientific(clock.pps ? 1e-6 : 2e-4, 3), 10);
        refclocks_.Add(today().refclocks, line);
        clock.timeSum += stamp;
        clock.errorSum += cooked;
        if (++clock.sequence < clock.perFilter)
            return;

        // The filtered sample is stamped with the mean time of its raw samples, so it
        // lands in the logs behind lines written before it.
        const double filteredTime = clock.timeSum / clock.sequence;
        const double filteredError = clock.errorSum / clock.sequence;
        const double dispersion = (clock.pps ? 1e-6 : 2e-4) * (1 + uniform());
        clock.sequence = 0;
        clock.timeSum = clock.errorSum = 0;
        clock.samples = std::min(clock.samples + 1, 64);
        line = Stamp(params_.startMjd, filteredTime, true) + " " + Left(clock.refId, 4) + "    - N - " + Right("-", 13)
            + " " + Right(Scientific(filteredError, 6), 13) + " " + Right(Scientific(dispersion, 3), 10);
        refclocks_.Add(today().refclocks, line);
        statisticsLine(filteredTime, clock.refId, clock.noise * (0.7 + 0.6 * uniform()), filteredError, clock.samples);
        if (clock.pps && synchronised()) {
            ppsRunning_ = true;
            stepClock(t, clock.noise);
            trackingLine(filteredTime, clock.refId, 1, 0.002 + 0.01 * uniform(), clock.noise * (0.8 + 0.4 * uniform()),
                1e-9, dispersion + 1e-6 * uniform(), 1);
        }
    }

    const ChronyGenParams& params_;
    std::uint64_t rng_;
    LogText tracking_;
    LogText measurements_;
    LogText statistics_;
    LogText refclocks_;
    std::vector<NetSource> sources_;
    std::vector<Refclock> refclocks_list_;
    const std::function<void(ChronyLogDay&&)>* onDay_ = nullptr;
    ChronyLogDay today_;
    int day_ = 0;
    int unsynchronisedWritten_ = 0;
    double nextUnsynchronised_ = 0;
    bool ppsRunning_ = false;
    double error_ = 0; // seconds, positive: the local clock is fast
    double frequency_ = 14.8; // ppm, positive: the local clock runs fast
    double temperature_ = 0; // ppm
};

} // namespace

std::vector<ChronyLogDay> GenerateChronyLogs(const ChronyGenParams& params)
{
    std::vector<ChronyLogDay> days;
    GenerateChronyLogs(params, [&days](ChronyLogDay&& day) { days.push_back(std::move(day)); });
    return days;
}

void GenerateChronyLogs(const ChronyGenParams& params, const std::function<void(ChronyLogDay&&)>& onDay)
{
    ChronySimulation(params).Run(onDay);
}

std::string ChronyFileName(
    const std::string& log, int day, int days, std::int32_t startMjd, ChronyRotation rotation, bool gzipRotated)
{
    const std::string base = log + ".log";
    const int age = days - 1 - day; // rotations since the day was written
    if (rotation == ChronyRotation::None || age <= 0)
        return base;
    const std::string gz = gzipRotated && age >= 2 ? ".gz" : "";
    if (rotation == ChronyRotation::Numbered)
        return base + "." + std::to_string(age) + gz;
    // dateext names a file after the day it was rotated: the day after its lines.
    return base + "-" + DateTextFromMjd(startMjd + day + 1) + gz;
}

std::vector<std::string> WriteChronyDirectory(const std::string& directory, const ChronyGenParams& params)
{
    std::filesystem::create_directories(directory);
    const char* const logs[] = { "tracking", "measurements", "statistics", "refclocks" };
    std::vector<std::string> written;
    // Without rotation every day is appended to the one file of each log.
    std::vector<std::ofstream> whole;
    if (params.rotation == ChronyRotation::None)
        for (const char* log : logs) {
            const std::string path = (std::filesystem::path(directory) / (std::string(log) + ".log")).string();
            whole.emplace_back(path, std::ios::binary | std::ios::trunc);
            if (!whole.back())
                throw std::runtime_error("cannot write " + path);
            written.push_back(path);
        }
    int d = 0;
    GenerateChronyLogs(params, [&](ChronyLogDay&& day) {
        const std::string* texts[] = { &day.tracking, &day.measurements, &day.statistics, &day.refclocks };
        for (std::size_t k = 0; k < 4; ++k) {
            if (params.rotation == ChronyRotation::None) {
                if (!whole[k].write(texts[k]->data(), static_cast<std::streamsize>(texts[k]->size())))
                    throw std::runtime_error("cannot write " + written[k]);
                continue;
            }
            const std::string name
                = ChronyFileName(logs[k], d, params.days, params.startMjd, params.rotation, params.gzipRotated);
            const std::string path = (std::filesystem::path(directory) / name).string();
            if (name.ends_with(".gz"))
                WriteGzipFile(path, *texts[k]);
            else
                WritePlainFile(path, *texts[k]);
            written.push_back(path);
        }
        ++d;
    });
    for (std::size_t k = 0; k < whole.size(); ++k)
        if (!whole[k].flush())
            throw std::runtime_error("cannot write " + written[k]);
    return written;
}
