#include "StatisticsGenerator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace {

constexpr double SecondsPerDay = 86400;
constexpr double RestartSilence = 120;
constexpr double RestartSettling = 900;

void AppendFixed(std::string& out, double value, int decimals)
{
    std::array<char, 64> text {};
    const auto result
        = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    out.append(text.data(), result.ptr);
}

void AppendInt(std::string& out, long long value)
{
    std::array<char, 24> text {};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), result.ptr);
}

const char* StatusOf(StatGenPeerKind kind)
{
    switch (kind) {
    case StatGenPeerKind::RefClock:
        return "963a";
    case StatGenPeerKind::Lan:
        return "9424";
    case StatGenPeerKind::Internet:
        return "9324";
    }
    return "9024";
}

} // namespace

StatisticsGenerator::StatisticsGenerator(StatGenParams params)
    : params_(std::move(params))
    , rng_(params_.seed * 0x9E3779B97F4A7C15ULL + 0x6A09E667F3BCC909ULL)
{
    peers_.resize(params_.peers.size());
    for (std::size_t i = 0; i < peers_.size(); ++i)
        peers_[i].nextSample = uniform() * params_.peers[i].pollSeconds;
    nextLoop_ = uniform() * 16;
}

double StatisticsGenerator::uniform()
{
    // splitmix64: tiny, fast and the same on every platform.
    rng_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = rng_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

double StatisticsGenerator::normal()
{
    // Sum of twelve uniforms: close enough to normal, and free of library maths whose
    // last digits could differ between systems.
    double sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += uniform();
    return sum - 6;
}

bool StatisticsGenerator::isSilent(double t) const
{
    const double gapStart = params_.gapStartHours * 3600;
    if (params_.gapStartHours >= 0 && t >= gapStart && t < gapStart + params_.gapHours * 3600)
        return true;
    const double restart = params_.restartHours * 3600;
    return params_.restartHours >= 0 && t >= restart && t < restart + RestartSilence;
}

bool StatisticsGenerator::isRestarting(double t) const
{
    const double settled = params_.restartHours * 3600 + RestartSilence;
    return params_.restartHours >= 0 && t >= settled && t < settled + RestartSettling;
}

StatisticsGenerator::Day StatisticsGenerator::nextDay()
{
    Day day;
    day.mjd = params_.startMjd + dayIndex_;
    const double dayStart = dayIndex_ * SecondsPerDay;
    makeLoopLines(day, dayStart);
    makePeerLines(day, dayStart);
    ++dayIndex_;
    return day;
}

void StatisticsGenerator::makeLoopLines(Day& day, double dayStart)
{
    const double dayEnd = dayStart + SecondsPerDay;
    day.loopText.reserve(static_cast<std::size_t>(SecondsPerDay / 16 * 64));
    while (nextLoop_ < dayEnd) {
        const double t = nextLoop_;
        const double interval = params_.loopIntervalSeconds > 0 ? params_.loopIntervalSeconds : std::ldexp(1.0, poll_);
        nextLoop_ += interval + std::floor(uniform() * 3000) / 1000;
        const double restart = params_.restartHours * 3600;
        if (params_.restartHours >= 0 && t < restart && nextLoop_ > restart) {
            // The daemon starts again at the shortest poll interval right after it is up.
            nextLoop_ = restart + RestartSilence + std::floor(uniform() * 8000) / 1000;
            poll_ = 6;
        }
        if (isSilent(t))
            continue;

        // The poll interval moves between 64 s and 1024 s, one step at a time, and
        // spends most of its time near the short end, as it does with a good refclock.
        const double step = uniform();
        if (isRestarting(t))
            poll_ = 6;
        else if (step < 0.02 && poll_ < 10)
            ++poll_;
        else if (step > 1 - 0.02 * (poll_ - 5) && poll_ > 6)
            --poll_;
        const double timeOfDay = (t - dayStart) / SecondsPerDay;
        const bool restarting = isRestarting(t);
        offset_ = 0.9 * offset_ + 12e-6 * normal() + (restarting ? 400e-6 * normal() : 0);
        frequency_ += 0.01 * normal();
        frequency_ += (-15 - frequency_) * 0.001; // the drift file keeps it near home
        const double temperature = 0.3 * std::sin(2 * M_PI * timeOfDay);
        const double frequency = restarting ? 0.0 : frequency_ + temperature;
        const double jitter = 15e-6 + 6e-6 * std::fabs(normal());
        const double wander = restarting ? 0.0 : 0.001 + 0.003 * std::fabs(normal());

        std::string& out = day.loopText;
        AppendInt(out, day.mjd);
        out += ' ';
        AppendFixed(out, t - dayStart, 3);
        out += ' ';
        AppendFixed(out, offset_, 9);
        out += ' ';
        AppendFixed(out, frequency, 3);
        out += ' ';
        AppendFixed(out, jitter, 9);
        out += ' ';
        AppendFixed(out, wander, 6);
        out += ' ';
        AppendInt(out, poll_);
        out += '\n';
    }
}

void StatisticsGenerator::makePeerLines(Day& day, double dayStart)
{
    const double dayEnd = dayStart + SecondsPerDay;
    // Each peer is sampled on its own schedule; the file is in time order, so the
    // samples are merged by time.
    std::vector<std::pair<double, std::string>> samples;
    for (std::size_t i = 0; i < peers_.size(); ++i) {
        const StatGenPeer& peer = params_.peers[i];
        PeerState& state = peers_[i];
        while (state.nextSample < dayEnd) {
            const double t = state.nextSample;
            state.nextSample += peer.pollSeconds + std::floor(uniform() * 2000) / 1000;
            if (isSilent(t))
                continue;
            double delay = 0;
            double dispersion = 0;
            double jitter = 0;
            double noise = 0;
            switch (peer.kind) {
            case StatGenPeerKind::RefClock:
                noise = 150e-6;
                dispersion = 0.000950 + 0.0001 * uniform();
                jitter = 80e-6 + 40e-6 * std::fabs(normal());
                break;
            case StatGenPeerKind::Lan:
                noise = 25e-6;
                delay = 0.000250 + 40e-6 * std::fabs(normal());
                dispersion = 0.001 + 0.004 * uniform();
                jitter = 20e-6 + 10e-6 * std::fabs(normal());
                break;
            case StatGenPeerKind::Internet:
                noise = 400e-6;
                delay = 0.012 + 0.004 * std::fabs(normal()) + (i % 3) * 0.009;
                dispersion = 0.002 + 0.03 * uniform();
                jitter = 0.0002 + 0.0004 * std::fabs(normal());
                break;
            }
            state.offset = 0.7 * state.offset + noise * normal();
            if (isRestarting(t))
                state.offset += 2e-3 * normal();

            std::string line;
            line.reserve(96);
            AppendInt(line, day.mjd);
            line += ' ';
            AppendFixed(line, t - dayStart, 3);
            line += ' ';
            line += peer.address;
            line += ' ';
            line += StatusOf(peer.kind);
            line += ' ';
            AppendFixed(line, peer.offsetBias + state.offset, 9);
            line += ' ';
            AppendFixed(line, delay, 9);
            line += ' ';
            AppendFixed(line, dispersion, 9);
            line += ' ';
            AppendFixed(line, jitter, 9);
            line += '\n';
            samples.emplace_back(t, std::move(line));
        }
    }
    std::stable_sort(samples.begin(), samples.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t bytes = 0;
    for (const auto& sample : samples)
        bytes += sample.second.size();
    day.peerText.reserve(bytes);
    for (const auto& sample : samples)
        day.peerText += sample.second;
}

std::string GenerateLoopLines(const StatGenParams& params)
{
    StatisticsGenerator generator(params);
    std::string text;
    while (!generator.atEnd())
        text += generator.nextDay().loopText;
    return text;
}

std::string GeneratePeerLines(const StatGenParams& params)
{
    StatisticsGenerator generator(params);
    std::string text;
    while (!generator.atEnd())
        text += generator.nextDay().peerText;
    return text;
}
