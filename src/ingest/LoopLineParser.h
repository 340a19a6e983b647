#pragma once

#include <cstdint>
#include <string_view>

// One loop statistics record, in the units of the loop store.
struct LoopRecord
{
    double time = 0; // day number, shifted by the zone offset
    double offset = 0; // milliseconds
    double frequency = 0; // ppm
    double jitter = 0; // milliseconds
    std::int32_t pollExponent = 0;
};

// Parses "MJD seconds offset frequency jitter wander pollExponent". The line must have
// exactly seven fields; the wander (field 6) is not read. zoneOffset (days) is
// subtracted from the UTC time stamp. Returns false for a line to skip.
bool ParseLoopLine(std::string_view line, double zoneOffset, LoopRecord& record);
