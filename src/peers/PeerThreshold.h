#pragma once

#include <QString>

#include <cmath>

// A plotting threshold from its edit text, in seconds: a whole number of milliseconds.
// 0 (no threshold) for anything else: an empty or non-numeric text, a fraction, a number
// beyond 32 bits, or a negative number (which would otherwise hide every point).
double ParsePeerThreshold(const QString& millisecondsText);

// Whether a value in seconds goes on the chart whose threshold is thresholdSeconds.
inline bool WithinPeerThreshold(double valueSeconds, double thresholdSeconds)
{
    return thresholdSeconds == 0 || std::fabs(valueSeconds) < thresholdSeconds;
}
