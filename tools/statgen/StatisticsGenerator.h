#pragma once

#include "StatGenParams.h"

#include <cstdint>
#include <string>
#include <vector>

// Deterministic, realistic ntpd statistics: the same parameters always give the same
// bytes. Days are made one at a time so a year never has to be held in memory.
//
// loopstats: "MJD seconds offset frequency jitter wander pollExponent"
// peerstats: "MJD seconds address status offset delay dispersion jitter"
class StatisticsGenerator
{
public:
    struct Day
    {
        std::int32_t mjd = 0;
        std::string loopText;
        std::string peerText;
    };

    explicit StatisticsGenerator(StatGenParams params);

    bool atEnd() const { return dayIndex_ >= params_.days; }
    // The next day's files, in day order.
    Day nextDay();

private:
    struct PeerState
    {
        double nextSample = 0; // seconds from the first midnight
        double offset = 0;
    };

    double uniform();
    double normal();
    bool isSilent(double t) const;
    bool isRestarting(double t) const;
    void makeLoopLines(Day& day, double dayStart);
    void makePeerLines(Day& day, double dayStart);

    StatGenParams params_;
    int dayIndex_ = 0;
    std::uint64_t rng_;
    double nextLoop_ = 0;
    int poll_ = 6;
    double offset_ = 0; // seconds
    double frequency_ = -15; // ppm
    std::vector<PeerState> peers_;
};

// Every day's loopstats lines of params, concatenated (small parameter sets only).
std::string GenerateLoopLines(const StatGenParams& params);
// Every day's peerstats lines of params, concatenated (small parameter sets only).
std::string GeneratePeerLines(const StatGenParams& params);
